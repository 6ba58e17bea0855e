#include "support/harness.h"

#include "pages/codeedit.h"
#include "pages/miscsettab.h"
#include "pages/radiogroup.h"

#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <functional>

namespace {

// Where each box and group keeps its value, written out by hand so that a wrong field in
// the page's tables shows up here. In tab order.
struct Place {
    const char *name;
    int offset;
    int size;
};
const Place Codes[] = {
    {"SFEdit", 20, 10},         {"EFEdit", 30, 10},         {"SPEdit", 954, 10},       {"EPEdit", 964, 10},
    {"CNCDataEdit", 40, 10},    {"AZIFEdit", 3092, 20},     {"InchSetting", 894, 10},  {"MetricSetting", 904, 10},
    {"KOffSetting", 984, 10},   {"KLeftSetting", 1004, 10}, {"KRightSetting", 994, 10}, {"KValSetting", 1104, 10},
    {"AHCOnSetting", 1114, 10}, {"AHCOffSetting", 1124, 10},
};
const Place Options[] = {
    {"RadGroupXY", 3090, 2},         {"RadGroupXYVals", 3068, 2},  {"RadGroupIJVals", 3032, 2},
    {"RadGroupUnIJ", 3026, 2},       {"RadGroupQuadArc", 3064, 2}, {"RadGroupInOutFor", 3066, 2},
    {"RadGroupKerfCompIncVal", 3218, 1},                           {"RadGroupIncOnly", 3070, 2},
    {"RadGroupAbsOnly", 3072, 2},    {"RadGroupIJArcMode", 3074, 2}, {"RadGroupArcModeAbs", 3028, 2},
    {"RadGroupArcIncr", 3030, 2},    {"ModalRadGroup", 60, 2},     {"NonModalRadGroup", 3158, 2},
};

QByteArray little(int value, int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

// A zero record (its reals, 0.0, survive every store) with `field` at `offset`, and a marker
// after KerfCompIncludesValue that a two-byte write there would destroy.
QByteArray recordWith(int offset, const QByteArray &field)
{
    QByteArray bytes(kvd::RecordSize, '\0');
    bytes[3219] = char(0xA5);
    return bytes.replace(offset, int(field.size()), field);
}

// Opens `bytes`, lets `edit` work on the page in front, saves under a new name and returns
// what was written.
QByteArray afterSave(const QByteArray &bytes, const std::function<void(Harness &)> &edit)
{
    TestFiles files;
    Harness h;
    h.open(files.write(QStringLiteral("in.kvd"), bytes));
    h.form.PageControl->setCurrentWidget(h.form.MiscSetTabPage);
    edit(h);
    h.saveAs(files.path(QStringLiteral("out.kvd")));
    return TestFiles::read(files.path(QStringLiteral("out.kvd")));
}

void choose(RadioGroup *group, int item)
{
    for (QRadioButton *b : group->findChildren<QRadioButton *>())
        if (b->text() == group->itemText(item))
            QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(group->itemIndex(), item);
}

} // namespace

class MiscSetTest : public QObject
{
    Q_OBJECT

private slots:
    void codeBoxEditsItsField_data();
    void codeBoxEditsItsField();
    void codeTexts_data();
    void codeTexts();
    void groupChoosesItsField_data();
    void groupChoosesItsField();
    void choiceValues_data();
    void choiceValues();
    void loadDoesNotMarkModified();
    void captionsAndTabOrder();
};

void MiscSetTest::codeBoxEditsItsField_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(Codes)); ++i)
        QTest::newRow(Codes[i].name) << i;
}

// Each box shows only its own field and saves into it, keeping the bytes after the terminator.
void MiscSetTest::codeBoxEditsItsField()
{
    QFETCH(int, row);
    const Place &place = Codes[row];
    const QByteArray saved = afterSave(recordWith(place.offset, QByteArray("AB\0XYZ", 6)), [&](Harness &h) {
        for (const Place &other : Codes)
            QCOMPARE(h.widget<CodeEdit>(other.name)->text(), &other == &place ? QStringLiteral("AB") : QString());
        h.widget<CodeEdit>(place.name)->selectAll();
        QTest::keyClicks(h.widget<CodeEdit>(place.name), QStringLiteral("N1"));
    });
    QCOMPARE(saved, recordWith(place.offset, QByteArray("N1\0XYZ", 6)));
}

void MiscSetTest::codeTexts_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("ctrlEnter");
    QTest::addColumn<QByteArray>("saved");

    const QByteArray nine("G90G91G92\0", 10), nineteen("G92X0Y0Z0ABCDEFGHIJ\0", 20);
    QTest::newRow("bytes after the zero") << QByteArray("SFEdit") << 20 << QByteArray("%\0ABCDEFGH", 10) << false
                                          << QByteArray("%\0ABCDEFGH", 10);
    QTest::newRow("9 characters") << QByteArray("KRightSetting") << 994 << nine << false << nine;
    QTest::newRow("19 characters") << QByteArray("AZIFEdit") << 3092 << nineteen << false << nineteen;
    // A field with no zero loads whole and is written back unchanged.
    QTest::newRow("20 without zero") << QByteArray("AZIFEdit") << 3092 << QByteArray("ABCDEFGHIJKLMNOPQRST")
                                     << false << QByteArray("ABCDEFGHIJKLMNOPQRST");
    QTest::newRow("line feed at 8") << QByteArray("EPEdit") << 964 << QByteArray("M30M02M0") << true
                                    << QByteArray("M30M02M0\n\0", 10);
    QTest::newRow("no line feed at 9") << QByteArray("EPEdit") << 964 << nine << true << nine;
    QTest::newRow("line feed at 18") << QByteArray("AZIFEdit") << 3092 << QByteArray("G92X0Y0Z0ABCDEFGHI") << true
                                     << QByteArray("G92X0Y0Z0ABCDEFGHI\n\0", 20);
    QTest::newRow("no line feed at 19") << QByteArray("AZIFEdit") << 3092 << nineteen << true << nineteen;
}

void MiscSetTest::codeTexts()
{
    QFETCH(QByteArray, name);
    QFETCH(int, offset);
    QFETCH(QByteArray, stored);
    QFETCH(bool, ctrlEnter);
    QFETCH(QByteArray, saved);

    const QByteArray written = afterSave(recordWith(offset, stored), [&](Harness &h) {
        CodeEdit *edit = h.widget<CodeEdit>(name.constData());
        QCOMPARE(edit->text(), QString::fromLatin1(stored.constData(), int(qstrnlen(stored.constData(), uint(stored.size())))));
        if (ctrlEnter)
            QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    });
    QCOMPARE(written, recordWith(offset, saved));
}

void MiscSetTest::groupChoosesItsField_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(Options)); ++i)
        QTest::newRow(Options[i].name) << i;
}

// A 1 in one field selects item 1 of its group alone; choosing item 1 in an empty record
// writes a 1 of the field's width there and nothing anywhere else.
void MiscSetTest::groupChoosesItsField()
{
    QFETCH(int, row);
    const Place &place = Options[row];
    const QByteArray chosen = recordWith(place.offset, little(1, place.size));
    afterSave(chosen, [&](Harness &h) {
        for (const Place &other : Options)
            QCOMPARE(h.widget<RadioGroup>(other.name)->itemIndex(), &other == &place ? 1 : 0);
    });
    QCOMPARE(afterSave(recordWith(0, {}), [&](Harness &h) { choose(h.widget<RadioGroup>(place.name), 1); }), chosen);
}

void MiscSetTest::choiceValues_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("choice"); // -1 leaves the group as loaded
    QTest::addColumn<int>("saved");

    const QByteArray modal("ModalRadGroup"), kerf("RadGroupKerfCompIncVal");
    QTest::newRow("rapid modal 0") << modal << 60 << 0 << QStringLiteral("No") << -1 << 0;
    QTest::newRow("rapid modal 1") << modal << 60 << 1 << QStringLiteral("Yes") << -1 << 1;
    QTest::newRow("rapid modal 2") << modal << 60 << 2 << QStringLiteral("No") << -1 << 0;
    QTest::newRow("rapid modal -1") << modal << 60 << 0xFFFF << QStringLiteral("No") << -1 << 0;
    QTest::newRow("kerf comp byte 2") << kerf << 3218 << 2 << QStringLiteral("No") << -1 << 0;
    QTest::newRow("kerf comp to No") << kerf << 3218 << 1 << QStringLiteral("Yes") << 0 << 0;
    QTest::newRow("arc mode INC to ABS") << QByteArray("RadGroupArcModeAbs") << 3028 << 1 << QStringLiteral("INC") << 0
                                         << 0;
    QTest::newRow("arc mode ABS to INC") << QByteArray("RadGroupArcIncr") << 3030 << 0 << QStringLiteral("ABS") << 1
                                         << 1;
}

void MiscSetTest::choiceValues()
{
    QFETCH(QByteArray, name);
    QFETCH(int, offset);
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QFETCH(int, choice);
    QFETCH(int, saved);

    const int size = offset == 3218 ? 1 : 2;
    const QByteArray written = afterSave(recordWith(offset, little(stored, size)), [&](Harness &h) {
        RadioGroup *group = h.widget<RadioGroup>(name.constData());
        QCOMPARE(group->itemText(group->itemIndex()), shown);
        if (choice >= 0)
            choose(group, choice);
    });
    QCOMPARE(written, recordWith(offset, little(saved, size)));
}

// Loading changes every widget without marking the document; then any option change
// marks it, and nothing stops both "only" outputs from being Yes.
void MiscSetTest::loadDoesNotMarkModified()
{
    QByteArray bytes = recordWith(0, {});
    for (const Place &p : Codes)
        bytes.replace(p.offset, 2, QByteArray("C\0", 2));
    for (const Place &p : Options)
        bytes.replace(p.offset, p.size, little(&p == &Options[8] ? 0 : 1, p.size));
    const QByteArray written = afterSave(bytes, [](Harness &h) {
        for (const Place &p : Options) {
            QVERIFY(!h.form.Modified);
            RadioGroup *group = h.widget<RadioGroup>(p.name);
            choose(group, 1 - group->itemIndex());
            QVERIFY2(h.form.Modified, p.name);
            choose(group, 1 - group->itemIndex());
            h.form.FileSaveClick();
        }
        choose(h.widget<RadioGroup>(Options[8].name), 1);
    });
    QCOMPARE(written.mid(3070, 4), QByteArray("\1\0\1\0", 4));
}

void MiscSetTest::captionsAndTabOrder()
{
    Harness h;
    QCOMPARE(h.widget<QLabel>("xyValuesStat")->text(), QStringLiteral("X & Y Values Always Reqd. on Arcs."));
    QCOMPARE(h.widget<QLabel>("InOutForStat")->text(), QStringLiteral("Use ESSI Input & Output Format"));

    QList<QWidget *> expected;
    for (const Place &p : Codes)
        expected << h.widget<QWidget>(p.name);
    for (const Place &p : Options)
        expected << h.widget<QWidget>(p.name);
    // Once round the focus chain, a group's buttons counting as the group.
    QList<QWidget *> seen;
    QWidget *w = expected.first();
    do {
        QWidget *owner = qobject_cast<RadioGroup *>(w->parentWidget()) ? w->parentWidget() : w;
        if (expected.contains(owner) && !seen.contains(owner))
            seen << owner;
        w = w->nextInFocusChain();
    } while (w != expected.first());
    QCOMPARE(seen, expected);
}

QTEST_MAIN(MiscSetTest)
#include "tst_miscset.moc"
