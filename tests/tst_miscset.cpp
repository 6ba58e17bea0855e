#include "support/harness.h"

#include "pages/codeedit.h"
#include "pages/miscsettab.h"
#include "pages/radiogroup.h"

#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <cstring>

namespace {

// Where each box and group keeps its value, written out by hand so that a wrong field in
// the page's tables shows up here.
struct Place {
    const char *name;
    int offset;
    int size;
};

const Place CodePlaces[] = {
    {"SFEdit", 20, 10},         {"EFEdit", 30, 10},          {"SPEdit", 954, 10},
    {"EPEdit", 964, 10},        {"CNCDataEdit", 40, 10},     {"AZIFEdit", 3092, 20},
    {"InchSetting", 894, 10},   {"MetricSetting", 904, 10},  {"KOffSetting", 984, 10},
    {"KLeftSetting", 1004, 10}, {"KRightSetting", 994, 10},  {"KValSetting", 1104, 10},
    {"AHCOnSetting", 1114, 10}, {"AHCOffSetting", 1124, 10},
};

const Place OptionPlaces[] = {
    {"RadGroupXY", 3090, 2},         {"RadGroupXYVals", 3068, 2},     {"RadGroupIJVals", 3032, 2},
    {"RadGroupUnIJ", 3026, 2},       {"RadGroupQuadArc", 3064, 2},    {"RadGroupInOutFor", 3066, 2},
    {"RadGroupKerfCompIncVal", 3218, 1},
    {"RadGroupIncOnly", 3070, 2},    {"RadGroupAbsOnly", 3072, 2},    {"RadGroupIJArcMode", 3074, 2},
    {"RadGroupArcModeAbs", 3028, 2}, {"RadGroupArcIncr", 3030, 2},    {"ModalRadGroup", 60, 2},
    {"NonModalRadGroup", 3158, 2},
};

// A zero record (all its reals are 0.0, which every store takes back) with a marker in the
// byte after KerfCompIncludesValue, so a two-byte write there would show.
QByteArray baseBytes()
{
    QByteArray bytes(kvd::RecordSize, '\0');
    bytes[3219] = char(0xA5);
    return bytes;
}

QByteArray little(int value, int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

// Brings the page to the front so that clicks and keys reach it as they would a user's.
void showPage(Harness &h)
{
    h.form.PageControl->setCurrentWidget(h.form.MiscSetTabPage);
}

void choose(RadioGroup *group, int item)
{
    const QList<QRadioButton *> buttons = group->findChildren<QRadioButton *>();
    QCOMPARE(buttons.size(), 2);
    for (QRadioButton *b : buttons) {
        if (b->text() == group->itemText(item))
            QTest::mouseClick(b, Qt::LeftButton);
    }
    QCOMPARE(group->itemIndex(), item);
}

} // namespace

class MiscSetTest : public QObject
{
    Q_OBJECT

private slots:
    void codeBoxEditsItsField_data();
    void codeBoxEditsItsField();
    void unchangedCodeSavesAsRead_data();
    void unchangedCodeSavesAsRead();
    void typingStopsAtTheBoxLimit_data();
    void typingStopsAtTheBoxLimit();
    void ctrlEnterAppendsLineFeed_data();
    void ctrlEnterAppendsLineFeed();
    void groupChoosesItsField_data();
    void groupChoosesItsField();
    void choiceValues_data();
    void choiceValues();
    void optionsAreIndependent();
    void loadDoesNotMarkModified();
    void captionsShowOneAmpersand();
    void tabOrder();
};

void MiscSetTest::codeBoxEditsItsField_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(CodePlaces)); ++i)
        QTest::newRow(CodePlaces[i].name) << i;
}

// Each box shows only its own field and saves into it, keeping the bytes after the new
// terminator.
void MiscSetTest::codeBoxEditsItsField()
{
    QFETCH(int, row);
    const Place &place = CodePlaces[row];
    QByteArray bytes = baseBytes();
    bytes.replace(place.offset, 6, QByteArray("AB\0XYZ", 6));

    TestFiles files;
    const QString path = files.write(QStringLiteral("code.kvd"), bytes);
    Harness h;
    h.open(path);
    for (const Place &other : CodePlaces) {
        const QString expected = other.offset == place.offset ? QStringLiteral("AB") : QString();
        QCOMPARE(h.widget<CodeEdit>(other.name)->text(), expected);
    }

    showPage(h);
    CodeEdit *edit = h.widget<CodeEdit>(place.name);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("N1"));
    QVERIFY(h.form.Modified);
    h.form.FileSaveClick();

    bytes.replace(place.offset, 3, QByteArray("N1\0", 3));
    QCOMPARE(TestFiles::read(path), bytes);
}

void MiscSetTest::unchangedCodeSavesAsRead_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("markNeighbours");

    // The neighbours of AbsZeroInit are a choice and a real that a save rewrites, so only
    // the short codes get marked neighbours.
    QTest::newRow("bytes after the terminator") << QByteArray("SFEdit") << 20 << QByteArray("%\0" "ABCDEFGH", 10)
                                                << QStringLiteral("%") << true;
    QTest::newRow("9 characters") << QByteArray("KRightSetting") << 994 << QByteArray("G90G91G92\0", 10)
                                  << QStringLiteral("G90G91G92") << true;
    QTest::newRow("19 characters") << QByteArray("AZIFEdit") << 3092 << QByteArray("G92X0Y0Z0ABCDEFGHIJ\0", 20)
                                   << QStringLiteral("G92X0Y0Z0ABCDEFGHIJ") << false;
    // With no zero the text runs to the field's end, and the save must stay inside it.
    QTest::newRow("10 without zero") << QByteArray("AHCOffSetting") << 1124 << QByteArray("M65M66M67X")
                                     << QStringLiteral("M65M66M67X") << true;
    QTest::newRow("20 without zero") << QByteArray("AZIFEdit") << 3092 << QByteArray("ABCDEFGHIJKLMNOPQRST")
                                     << QStringLiteral("ABCDEFGHIJKLMNOPQRST") << false;
    QTest::newRow("line feed and high byte") << QByteArray("CNCDataEdit") << 40
                                             << QByteArray("G\nX\xE9\0\0\0\0\0", 10)
                                             << QString(QStringLiteral("G\nX") + QChar(0xE9)) << true;
}

void MiscSetTest::unchangedCodeSavesAsRead()
{
    QFETCH(QByteArray, name);
    QFETCH(int, offset);
    QFETCH(QByteArray, field);
    QFETCH(QString, shown);
    QFETCH(bool, markNeighbours);

    QByteArray bytes = baseBytes();
    bytes.replace(offset, int(field.size()), field);
    if (markNeighbours) {
        // A write past either end of the field would show here.
        bytes[offset - 1] = '<';
        bytes[offset + int(field.size())] = '>';
    }

    TestFiles files;
    const QString path = files.write(QStringLiteral("code.kvd"), bytes);
    Harness h;
    h.open(path);
    QCOMPARE(h.widget<CodeEdit>(name.constData())->text(), shown);
    QVERIFY(!h.form.Modified);

    h.saveAs(files.path(QStringLiteral("copy.kvd")));
    QCOMPARE(TestFiles::read(files.path(QStringLiteral("copy.kvd"))), bytes);
}

void MiscSetTest::typingStopsAtTheBoxLimit_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("short code") << QByteArray("KValSetting") << 1104 << QByteArray("123456789\0", 10);
    QTest::newRow("abs zero init") << QByteArray("AZIFEdit") << 3092 << QByteArray("1234567890123456789\0", 20);
}

void MiscSetTest::typingStopsAtTheBoxLimit()
{
    QFETCH(QByteArray, name);
    QFETCH(int, offset);
    QFETCH(QByteArray, stored);

    TestFiles files;
    const QString path = files.write(QStringLiteral("limit.kvd"), baseBytes());
    Harness h;
    h.open(path);
    showPage(h);
    QTest::keyClicks(h.widget<CodeEdit>(name.constData()), QStringLiteral("1234567890123456789012345"));
    h.form.FileSaveClick();
    QCOMPARE(TestFiles::read(path).mid(offset, int(stored.size())), stored);
}

void MiscSetTest::ctrlEnterAppendsLineFeed_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("8 of 9") << QByteArray("EPEdit") << 964 << QStringLiteral("M30M02M0")
                            << QStringLiteral("M30M02M0\n");
    QTest::newRow("9 of 9") << QByteArray("EPEdit") << 964 << QStringLiteral("M30M02M00")
                            << QStringLiteral("M30M02M00");
    QTest::newRow("18 of 19") << QByteArray("AZIFEdit") << 3092 << QStringLiteral("G92X0Y0Z0ABCDEFGHI")
                              << QStringLiteral("G92X0Y0Z0ABCDEFGHI\n");
    QTest::newRow("19 of 19") << QByteArray("AZIFEdit") << 3092 << QStringLiteral("G92X0Y0Z0ABCDEFGHIJ")
                              << QStringLiteral("G92X0Y0Z0ABCDEFGHIJ");
}

void MiscSetTest::ctrlEnterAppendsLineFeed()
{
    QFETCH(QByteArray, name);
    QFETCH(int, offset);
    QFETCH(QString, before);
    QFETCH(QString, after);

    QByteArray bytes = baseBytes();
    bytes.replace(offset, int(before.size()), before.toLatin1());
    TestFiles files;
    const QString path = files.write(QStringLiteral("lf.kvd"), bytes);
    Harness h;
    h.open(path);
    showPage(h);
    CodeEdit *edit = h.widget<CodeEdit>(name.constData());
    QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(edit->text(), after);
    QCOMPARE(h.form.Modified, after != before);

    h.saveAs(files.path(QStringLiteral("out.kvd")));
    QByteArray expected = after.toLatin1();
    expected.append('\0');
    QCOMPARE(TestFiles::read(files.path(QStringLiteral("out.kvd"))).mid(offset, int(expected.size())), expected);
}

void MiscSetTest::groupChoosesItsField_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("item0");
    QTest::addColumn<QString>("item1");
    for (int i = 0; i < int(std::size(OptionPlaces)); ++i) {
        const bool arcMode = std::strncmp(OptionPlaces[i].name, "RadGroupArc", 11) == 0;
        QTest::newRow(OptionPlaces[i].name) << i << (arcMode ? QStringLiteral("ABS") : QStringLiteral("No"))
                                            << (arcMode ? QStringLiteral("INC") : QStringLiteral("Yes"));
    }
}

// A 1 in one field selects item 1 of its group alone; choosing item 1 in a fresh document
// writes a 1 of the field's width there and nothing anywhere else.
void MiscSetTest::groupChoosesItsField()
{
    QFETCH(int, row);
    QFETCH(QString, item0);
    QFETCH(QString, item1);
    const Place &place = OptionPlaces[row];

    TestFiles files;
    QByteArray chosen = baseBytes();
    chosen.replace(place.offset, place.size, little(1, place.size));
    {
        Harness h;
        h.open(files.write(QStringLiteral("one.kvd"), chosen));
        for (const Place &other : OptionPlaces)
            QCOMPARE(h.widget<RadioGroup>(other.name)->itemIndex(), other.offset == place.offset ? 1 : 0);
    }

    const QString path = files.write(QStringLiteral("zero.kvd"), baseBytes());
    Harness h;
    h.open(path);
    showPage(h);
    RadioGroup *group = h.widget<RadioGroup>(place.name);
    QCOMPARE(group->itemText(0), item0);
    QCOMPARE(group->itemText(1), item1);
    choose(group, 1);
    h.form.FileSaveClick();
    QCOMPARE(TestFiles::read(path), chosen);
}

void MiscSetTest::choiceValues_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("choice"); // -1 leaves the group as loaded
    QTest::addColumn<QByteArray>("saved");

    QTest::newRow("rapid modal 0") << QByteArray("ModalRadGroup") << 60 << little(0, 2) << QStringLiteral("No") << -1
                                   << little(0, 2);
    QTest::newRow("rapid modal 1") << QByteArray("ModalRadGroup") << 60 << little(1, 2) << QStringLiteral("Yes") << -1
                                   << little(1, 2);
    QTest::newRow("rapid modal 2") << QByteArray("ModalRadGroup") << 60 << little(2, 2) << QStringLiteral("No") << -1
                                   << little(0, 2);
    QTest::newRow("rapid modal -1") << QByteArray("ModalRadGroup") << 60 << little(0xFFFF, 2) << QStringLiteral("No")
                                    << -1 << little(0, 2);
    QTest::newRow("high byte only") << QByteArray("NonModalRadGroup") << 3158 << little(0x0100, 2)
                                    << QStringLiteral("No") << -1 << little(0, 2);
    QTest::newRow("kerf comp byte 1") << QByteArray("RadGroupKerfCompIncVal") << 3218 << little(1, 1)
                                      << QStringLiteral("Yes") << -1 << little(1, 1);
    QTest::newRow("kerf comp byte 2") << QByteArray("RadGroupKerfCompIncVal") << 3218 << little(2, 1)
                                      << QStringLiteral("No") << -1 << little(0, 1);
    QTest::newRow("kerf comp set to No") << QByteArray("RadGroupKerfCompIncVal") << 3218 << little(1, 1)
                                         << QStringLiteral("Yes") << 0 << little(0, 1);
    QTest::newRow("arc mode INC to ABS") << QByteArray("RadGroupArcModeAbs") << 3028 << little(1, 2)
                                         << QStringLiteral("INC") << 0 << little(0, 2);
    QTest::newRow("arc mode ABS to INC") << QByteArray("RadGroupArcIncr") << 3030 << little(0, 2)
                                         << QStringLiteral("ABS") << 1 << little(1, 2);
}

void MiscSetTest::choiceValues()
{
    QFETCH(QByteArray, name);
    QFETCH(int, offset);
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);
    QFETCH(int, choice);
    QFETCH(QByteArray, saved);

    QByteArray bytes = baseBytes();
    bytes.replace(offset, int(stored.size()), stored);
    TestFiles files;
    const QString path = files.write(QStringLiteral("choice.kvd"), bytes);
    Harness h;
    h.open(path);
    RadioGroup *group = h.widget<RadioGroup>(name.constData());
    QCOMPARE(group->itemText(group->itemIndex()), shown);
    if (choice >= 0) {
        showPage(h);
        choose(group, choice);
    }

    h.saveAs(files.path(QStringLiteral("out.kvd")));
    bytes.replace(offset, int(saved.size()), saved);
    QCOMPARE(TestFiles::read(files.path(QStringLiteral("out.kvd"))), bytes);
}

// The page ties no option to another: both "only" outputs may be Yes, and the arc modes
// keep their values whatever the outputs say.
void MiscSetTest::optionsAreIndependent()
{
    QByteArray bytes = baseBytes();
    bytes.replace(3028, 2, little(1, 2));
    TestFiles files;
    const QString path = files.write(QStringLiteral("both.kvd"), bytes);
    Harness h;
    h.open(path);
    showPage(h);
    choose(h.widget<RadioGroup>("RadGroupIncOnly"), 1);
    choose(h.widget<RadioGroup>("RadGroupAbsOnly"), 1);
    QCOMPARE(h.widget<RadioGroup>("RadGroupArcModeAbs")->itemIndex(), 1);
    QCOMPARE(h.widget<RadioGroup>("RadGroupArcIncr")->itemIndex(), 0);
    h.form.FileSaveClick();

    bytes.replace(3070, 2, little(1, 2));
    bytes.replace(3072, 2, little(1, 2));
    QCOMPARE(TestFiles::read(path), bytes);
}

void MiscSetTest::loadDoesNotMarkModified()
{
    // Every widget of the page changes on this load.
    QByteArray bytes = baseBytes();
    for (const Place &p : CodePlaces)
        bytes.replace(p.offset, 2, QByteArray("C\0", 2));
    for (const Place &p : OptionPlaces)
        bytes.replace(p.offset, p.size, little(1, p.size));
    TestFiles files;
    const QString path = files.write(QStringLiteral("full.kvd"), bytes);
    Harness h;
    h.open(path);
    QVERIFY(!h.form.Modified);

    showPage(h);
    for (const Place &p : OptionPlaces) {
        h.form.FileSaveClick();
        QVERIFY(!h.form.Modified);
        choose(h.widget<RadioGroup>(p.name), 0);
        QVERIFY2(h.form.Modified, p.name);
    }
}

void MiscSetTest::captionsShowOneAmpersand()
{
    Harness h;
    QCOMPARE(h.widget<QLabel>("xyValuesStat")->text(), QStringLiteral("X & Y Values Always Reqd. on Arcs."));
    QCOMPARE(h.widget<QLabel>("InOutForStat")->text(), QStringLiteral("Use ESSI Input & Output Format"));
    QCOMPARE(h.widget<QLabel>("StartCNCStat")->text(), QStringLiteral("Start of CNC data:"));
}

void MiscSetTest::tabOrder()
{
    Harness h;
    MiscSetTab *page = h.form.MiscSetTabPage;
    QList<QWidget *> expected;
    for (const char *name : {"SFEdit", "EFEdit", "SPEdit", "EPEdit", "CNCDataEdit", "AZIFEdit", "InchSetting",
                             "MetricSetting", "KOffSetting", "KLeftSetting", "KRightSetting", "KValSetting",
                             "AHCOnSetting", "AHCOffSetting"})
        expected << h.widget<QWidget>(name);
    for (const Place &p : OptionPlaces)
        expected << h.widget<QWidget>(p.name);

    // Follow the focus chain once round, counting a group's buttons as the group.
    QList<QWidget *> seen;
    QWidget *w = expected.first();
    do {
        QWidget *owner = w;
        if (auto *group = qobject_cast<RadioGroup *>(w->parentWidget()))
            owner = group;
        if (owner->parentWidget() == page && expected.contains(owner) && !seen.contains(owner))
            seen << owner;
        w = w->nextInFocusChain();
    } while (w != expected.first());
    QCOMPARE(seen, expected);
}

QTEST_MAIN(MiscSetTest)
#include "tst_miscset.moc"
