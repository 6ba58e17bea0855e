#include "pages/codeedit.h"
#include "pages/numericformattab.h"
#include "pages/radiogroup.h"
#include "support/harness.h"

#include <QAction>
#include <QLocale>
#include <QRadioButton>
#include <QTest>

#include <cstring>
#include <limits>
#include <utility>

using kvd::DefinitionRecord;
using kvd::Field;

Q_DECLARE_METATYPE(kvd::Field)

namespace {

QByteArray withField(QByteArray file, Field f, const QByteArray &bytes)
{
    return file.replace(kvd::fieldSpec(f).offset, bytes.size(), bytes);
}

// A different value in every field of the page, and bytes after the controller name's
// terminator that a save must leave alone.
DefinitionRecord sampleRecord()
{
    DefinitionRecord r;
    std::memcpy(r.data() + kvd::fieldSpec(Field::ControllerName).offset, "Burny 10\0garbage123", 20);
    const std::pair<Field, double> reals[] = {
        {Field::RapidThresholdDistance, 6}, {Field::MinArcRadius, 0.125}, {Field::MinArcDistance, 0.004},
        {Field::NormalPrecisionInch, 1.1}, {Field::NormalPrecisionMetric, 1.2}, {Field::ExtraPrecisionInch, 1.3},
        {Field::ExtraPrecisionMetric, 1.4}, {Field::FeedPrecisionInch, 0}, {Field::FeedPrecisionMetric, 1.6},
        {Field::ExtraFeedPrecisionInch, std::numeric_limits<double>::infinity()}, {Field::ExtraFeedPrecisionMetric, -3}};
    for (const auto &[field, value] : reals)
        r.setReal(field, value);
    const std::pair<Field, qint16> shifts[] = {
        {Field::NormalShiftInch, 11}, {Field::NormalShiftMetric, 12}, {Field::ExtraShiftInch, 13},
        {Field::ExtraShiftMetric, 14}, {Field::FeedShiftInch, -1}, {Field::FeedShiftMetric, 16},
        {Field::ExtraFeedShiftInch, -32768}, {Field::ExtraFeedShiftMetric, 32767}};
    for (const auto &[field, value] : shifts)
        r.setInteger(field, value);
    return r;
}

CodeEdit *box(const Harness &h, const char *name)
{
    return h.form.NumericFormatTabPage->findChild<CodeEdit *>(QLatin1String(name));
}

// Replaces a box's text the way a user does.
void type(CodeEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class NumericFormatTest : public QObject
{
    Q_OBJECT

    TestFiles files;

private slots:
    // Each box shows its own field and saves the typed text into it and nowhere else.
    void boxShowsAndSavesItsField_data()
    {
        QTest::addColumn<QByteArray>("widget");
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("saved"); // hex, little-endian

        const auto row = [](const char *widget, Field field, const char *shown, const char *typed, const char *hex) {
            QTest::addRow("%s %s", widget, typed) << QByteArray(widget) << field << QString::fromLatin1(shown)
                                  << QString::fromLatin1(typed) << QByteArray(hex);
        };
        // The name and its zero are written, the field's later bytes stay; typing stops at 19.
        row("ControllerEdit", Field::ControllerName, "Burny 10", "Hyper", "4879706572003130006761726261676531323300");
        row("ControllerEdit", Field::ControllerName, "Burny 10", "abcdefghijklmnopqrstuvwxyz", "6162636465666768696a6b6c6d6e6f7071727300");
        row("RTDEdit", Field::RapidThresholdDistance, "6.00", ".5", "000000000000e03f");
        row("MAREdit", Field::MinArcRadius, "0.13", "1E1", "0000000000002440");
        row("MADEdit", Field::MinArcDistance, "0.00", "-2.5", "00000000000004c0");
        row("NormPrecEdit", Field::NormalPrecisionInch, "1.1", "2.5", "0000000000000440");
        row("NormPrecMetEdit", Field::NormalPrecisionMetric, "1.2", "1", "000000000000f03f");
        row("XPreIEdit", Field::ExtraPrecisionInch, "1.3", "6.5", "0000000000001a40");
        row("XPrecMetEdit", Field::ExtraPrecisionMetric, "1.4", " 3 ", "0000000000000840");
        row("FeedIEdit", Field::FeedPrecisionInch, "0.0", "-0", "0000000000000080");
        row("FeedMetEdit", Field::FeedPrecisionMetric, "1.6", "0", "0000000000000000");
        row("XPrecFeedIEdit", Field::ExtraFeedPrecisionInch, "INF", "1e-3", "fca9f1d24d62503f");
        row("XPrecFeedMetEdit", Field::ExtraFeedPrecisionMetric, "-3.0", "3", "0000000000000840");
        row("NormPreEdit", Field::NormalShiftInch, "11", " 7", "0700");
        row("NormPreMetEdit", Field::NormalShiftMetric, "12", "-1", "ffff");
        row("XPreInchEdit", Field::ExtraShiftInch, "13", "$1F", "1f00");
        row("XtraPrecMetEdit", Field::ExtraShiftMetric, "14", "0x100", "0001");
        row("FeedIShiftEdit", Field::FeedShiftInch, "-1", "32767", "ff7f");
        row("FeedMetShiftEdit", Field::FeedShiftMetric, "16", "+2", "0200");
        row("XPrecFeedIShiftEdit", Field::ExtraFeedShiftInch, "-32768", "x7f", "7f00");
        row("XPrecFeedMetShiftEdit", Field::ExtraFeedShiftMetric, "32767", "-9999", "f1d8");
    }

    void boxShowsAndSavesItsField()
    {
        QFETCH(QByteArray, widget);
        QFETCH(Field, field);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);

        const QString path = files.write(QStringLiteral("a.kvd"), sampleRecord());
        const QByteArray before = TestFiles::read(path);
        Harness h;
        h.open(path);
        CodeEdit *edit = box(h, widget.constData());
        QCOMPARE(edit->text(), shown);
        QVERIFY(!h.form.Modified);
        type(edit, typed);
        QVERIFY(h.form.Modified);
        h.form.FileSaveClick();

        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList());
        QCOMPARE(TestFiles::read(path).toHex(), withField(before, field, QByteArray::fromHex(saved)).toHex());
    }

    void refusedTextStopsSave_data()
    {
        QTest::addColumn<QByteArray>("widget");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *widget, const char *typed, const char *message) {
            QTest::addRow("%s '%s'", widget, typed) << QByteArray(widget) << QString::fromLatin1(typed) << QString::fromLatin1(message);
        };
        row("RTDEdit", "abc", "'abc' is not a valid floating point value.");
        row("MADEdit", "", "'' is not a valid floating point value.");
        row("FeedIEdit", "1,5", "'1,5' is not a valid floating point value.");
        row("RTDEdit", "1E400", "Floating point overflow.");
        row("NormPreEdit", "7 ", "'7 ' is not a valid integer value.");
        row("XPrecFeedIShiftEdit", "40000", "'40000' is out of range -32768 to 32767.");
    }

    void refusedTextStopsSave()
    {
        QFETCH(QByteArray, widget);
        QFETCH(QString, typed);
        QFETCH(QString, message);

        const QString path = files.write(QStringLiteral("a.kvd"), sampleRecord());
        const QByteArray before = TestFiles::read(path);
        Harness h;
        h.open(path);
        type(box(h, widget.constData()), typed);
        h.form.FileSaveClick();

        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList{message});
        QCOMPARE(TestFiles::read(path), before);
        QVERIFY(h.form.Modified);
        QVERIFY(h.action("FileSave")->isEnabled());
    }

    // Only the first refused box in store order is reported: the left column comes
    // before the right one.
    void firstRefusedBoxIsReported()
    {
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), sampleRecord()));
        type(box(h, "NormPreEdit"), QStringLiteral("s"));
        type(box(h, "XPrecFeedMetEdit"), QStringLiteral("f"));
        h.form.FileSaveClick();
        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox),
                 QStringList{QStringLiteral("'f' is not a valid floating point value.")});
    }

    // Opening and saving never changes a real through its rounded display, and an
    // untouched INF or NAN does not block the save; an edited real is parsed.
    void untouchedRealsKeepTheirBytes()
    {
        DefinitionRecord r = sampleRecord();
        std::memcpy(r.data() + kvd::fieldSpec(Field::ControllerName).offset, "ABCDEFGHIJKLMNOPQRST", 20);
        r.setReal(Field::MinArcDistance, -0.004);
        r.setRealBits(Field::NormalPrecisionMetric, 0xfff8000000000000ULL); // -NAN
        r.setRealBits(Field::ExtraPrecisionInch, 0x7ff0000000000123ULL); // a NaN with a payload
        r.setReal(Field::ExtraPrecisionMetric, 12.3456);
        r.setReal(Field::FeedPrecisionMetric, 1e300);
        r.setReal(Field::ExtraFeedPrecisionMetric, 5e-324);
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        const QByteArray before = TestFiles::read(path);
        Harness h;
        h.open(path);
        QCOMPARE(box(h, "ControllerEdit")->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        CodeEdit *mar = box(h, "MAREdit"); // 0.125, shown as 0.13
        type(mar, QStringLiteral("0.13")); // the shown text again: nothing to parse
        h.form.FileSaveClick();
        QCOMPARE(TestFiles::read(path), before);

        type(mar, QStringLiteral("0.5"));
        h.form.FileSaveClick();
        QCOMPARE(DefinitionRecord::fromBytes(TestFiles::read(path)).real(Field::MinArcRadius), 0.5);
        type(mar, QStringLiteral("0.13")); // the loaded text again, even after a save: the loaded bits
        h.form.FileSaveClick();
        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList());
        QCOMPARE(TestFiles::read(path), before);
    }

    void choices_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("item");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("2") << 2 << 0;
    }

    void choices()
    {
        QFETCH(int, stored);
        QFETCH(int, item);
        DefinitionRecord r = sampleRecord();
        r.setInteger(Field::ImpliedDecimals, qint16(stored));
        r.setInteger(Field::FeedImpliedDecimals, qint16(stored));
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        Harness h;
        h.open(path);
        auto *general = h.form.NumericFormatTabPage->findChild<RadioGroup *>(QStringLiteral("RadGroupImpDec"));
        auto *feed = h.form.NumericFormatTabPage->findChild<RadioGroup *>(QStringLiteral("RadGroupFRImpDec"));
        QCOMPARE(general->itemIndex(), item);
        QCOMPARE(feed->itemIndex(), item);
        QVERIFY(!h.form.Modified);

        // Choosing the other item of the feed group marks the document modified.
        QTest::mouseClick(feed->findChildren<QRadioButton *>().at(1 - item), Qt::LeftButton);
        QVERIFY(h.action("FileSave")->isEnabled());
        h.form.FileSaveClick();
        const DefinitionRecord saved = DefinitionRecord::fromBytes(TestFiles::read(path));
        QCOMPARE(int(saved.integer(Field::ImpliedDecimals)), item);
        QCOMPARE(int(saved.integer(Field::FeedImpliedDecimals)), 1 - item);
    }

    void separatorFollowsLocale()
    {
        const QString path = files.write(QStringLiteral("a.kvd"), sampleRecord());
        const QByteArray before = TestFiles::read(path);
        Harness h;
        NumericFormatTab *page = h.form.NumericFormatTabPage;
        page->setLocale(QLocale(QLocale::Arabic, QLocale::Egypt)); // a separator the boxes cannot hold
        QCOMPARE(page->decimalSeparator(), QChar(QLatin1Char('.')));
        page->setLocale(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(page->decimalSeparator(), QChar(QLatin1Char(',')));
        h.open(path);
        QCOMPARE(box(h, "RTDEdit")->text(), QStringLiteral("6,00"));

        type(box(h, "RTDEdit"), QStringLiteral("6.5"));
        h.form.FileSaveClick();
        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox),
                 QStringList{QStringLiteral("'6.5' is not a valid floating point value.")});
        type(box(h, "RTDEdit"), QStringLiteral("6,5"));
        h.form.FileSaveClick();
        QCOMPARE(TestFiles::read(path), withField(before, Field::RapidThresholdDistance, QByteArray::fromHex("0000000000001a40")));
    }

    void tabOrder()
    {
        Harness h;
        QStringList order;
        QWidget *start = box(h, "RTDEdit");
        QWidget *w = start;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && h.form.NumericFormatTabPage->isAncestorOf(w)) {
                const QString name = qobject_cast<QRadioButton *>(w) ? w->parentWidget()->objectName() : w->objectName();
                if (order.isEmpty() || order.last() != name)
                    order << name;
            }
            w = w->nextInFocusChain();
        } while (w != start);
        QCOMPARE(order.join(QLatin1Char(' ')),
                 QStringLiteral("RTDEdit MAREdit MADEdit RadGroupImpDec NormPrecEdit NormPrecMetEdit XPreIEdit "
                                "XPrecMetEdit FeedIEdit FeedMetEdit NormPreEdit NormPreMetEdit XPreInchEdit "
                                "XtraPrecMetEdit FeedIShiftEdit FeedMetShiftEdit RadGroupFRImpDec XPrecFeedIEdit "
                                "XPrecFeedMetEdit XPrecFeedIShiftEdit XPrecFeedMetShiftEdit"));
    }
};

QTEST_MAIN(NumericFormatTest)
#include "tst_numericformat.moc"
