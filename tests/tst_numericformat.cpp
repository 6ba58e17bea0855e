#include "pages/codeedit.h"
#include "pages/numericformattab.h"
#include "pages/radiogroup.h"
#include "support/harness.h"

#include <QAction>
#include <QFile>
#include <QLocale>
#include <QRadioButton>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

using kvd::DefinitionRecord;
using kvd::Field;

Q_DECLARE_METATYPE(kvd::Field)

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

quint64 bitsOf(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

QByteArray fieldBytes(const QByteArray &file, Field f)
{
    return file.mid(kvd::spec(f).offset, kvd::spec(f).size);
}

// The file with one field's bytes replaced: what a save that changed only that field writes.
QByteArray withField(QByteArray file, Field f, const QByteArray &bytes)
{
    file.replace(kvd::spec(f).offset, bytes.size(), bytes);
    return file;
}

// A plausible definition: every value of the page set, and bytes after the controller
// name's terminator that a save must leave alone.
DefinitionRecord plainRecord()
{
    DefinitionRecord r;
    std::memcpy(r.data() + kvd::spec(Field::ControllerName).offset, "Burny 10\0garbage123", 20);
    r.setReal(Field::RapidThresholdDistance, 6);
    r.setReal(Field::MinArcRadius, 0.01);
    r.setReal(Field::MinArcDistance, 0);
    const Field formats[] = {Field::NormalPrecisionInch, Field::NormalPrecisionMetric, Field::ExtraPrecisionInch,
                             Field::ExtraPrecisionMetric, Field::FeedPrecisionInch, Field::FeedPrecisionMetric,
                             Field::ExtraFeedPrecisionInch, Field::ExtraFeedPrecisionMetric};
    for (Field f : formats)
        r.setReal(f, 2.4);
    const Field shifts[] = {Field::NormalShiftInch, Field::NormalShiftMetric, Field::ExtraShiftInch,
                            Field::ExtraShiftMetric, Field::FeedShiftInch, Field::FeedShiftMetric,
                            Field::ExtraFeedShiftInch, Field::ExtraFeedShiftMetric};
    for (Field f : shifts)
        r.setInteger(f, 3);
    return r;
}

NumericFormatTab *page(const Harness &h)
{
    return h.form.NumericFormatTabPage;
}

CodeEdit *box(const Harness &h, const QString &name)
{
    return page(h)->findChild<CodeEdit *>(name);
}

CodeEdit *box(const Harness &h, const char *name)
{
    return box(h, QLatin1String(name));
}

RadioGroup *group(const Harness &h, const QString &name)
{
    return page(h)->findChild<RadioGroup *>(name);
}

// Replaces a box's text the way a user does: select all, delete, type.
void type(CodeEdit *edit, const QString &text)
{
    QVERIFY(edit);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    QCOMPARE(edit->text(), text);
}

} // namespace

class NumericFormatTest : public QObject
{
    Q_OBJECT

private slots:
    // Each box shows its own field, so a swapped binding shows the wrong value.
    void showsEachFieldInItsBox_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *widget, const char *shown) {
            QTest::newRow(widget) << QString::fromLatin1(widget) << QString::fromLatin1(shown);
        };
        row("ControllerEdit", "Burny 10");
        row("RTDEdit", "6.00");
        row("MAREdit", "0.13");
        row("MADEdit", "0.00");
        row("NormPrecEdit", "1.1");
        row("NormPrecMetEdit", "1.2");
        row("XPreIEdit", "1.3");
        row("XPrecMetEdit", "1.4");
        row("FeedIEdit", "0.0");
        row("FeedMetEdit", "1.6");
        row("XPrecFeedIEdit", "INF");
        row("XPrecFeedMetEdit", "-3.0");
        row("NormPreEdit", "11");
        row("NormPreMetEdit", "12");
        row("XPreInchEdit", "13");
        row("XtraPrecMetEdit", "14");
        row("FeedIShiftEdit", "-1");
        row("FeedMetShiftEdit", "16");
        row("XPrecFeedIShiftEdit", "-32768");
        row("XPrecFeedMetShiftEdit", "32767");
    }

    void showsEachFieldInItsBox()
    {
        QFETCH(QString, widget);
        QFETCH(QString, shown);
        DefinitionRecord r = plainRecord();
        r.setReal(Field::MinArcRadius, 0.125);
        r.setReal(Field::MinArcDistance, 0.004);
        r.setReal(Field::NormalPrecisionInch, 1.1);
        r.setReal(Field::NormalPrecisionMetric, 1.2);
        r.setReal(Field::ExtraPrecisionInch, 1.3);
        r.setReal(Field::ExtraPrecisionMetric, 1.4);
        r.setReal(Field::FeedPrecisionInch, 0);
        r.setReal(Field::FeedPrecisionMetric, 1.6);
        r.setReal(Field::ExtraFeedPrecisionInch, std::numeric_limits<double>::infinity());
        r.setReal(Field::ExtraFeedPrecisionMetric, -3);
        r.setInteger(Field::NormalShiftInch, 11);
        r.setInteger(Field::NormalShiftMetric, 12);
        r.setInteger(Field::ExtraShiftInch, 13);
        r.setInteger(Field::ExtraShiftMetric, 14);
        r.setInteger(Field::FeedShiftInch, -1);
        r.setInteger(Field::FeedShiftMetric, 16);
        r.setInteger(Field::ExtraFeedShiftInch, -32768);
        r.setInteger(Field::ExtraFeedShiftMetric, 32767);

        TestFiles files;
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), r));
        QCOMPARE(box(h, widget)->text(), shown);
        QVERIFY(!h.form.Modified);
    }

    // The typed text reaches its own field and nothing else changes in the file.
    void typedValueIsSaved_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Field>("field");
        QTest::addColumn<QByteArray>("bytes"); // little-endian, as in the file

        const auto row = [](const char *widget, const char *typed, Field field, const char *hex) {
            QTest::addRow("%s %s", widget, typed)
                << QString::fromLatin1(widget) << QString::fromLatin1(typed) << field << QByteArray::fromHex(hex);
        };
        row("RTDEdit", ".5", Field::RapidThresholdDistance, "000000000000e03f");
        row("MAREdit", "1E1", Field::MinArcRadius, "0000000000002440");
        row("MADEdit", "-2.5", Field::MinArcDistance, "00000000000004c0");
        row("NormPrecEdit", "2.5", Field::NormalPrecisionInch, "0000000000000440");
        row("NormPrecMetEdit", "1", Field::NormalPrecisionMetric, "000000000000f03f");
        row("XPreIEdit", "6.5", Field::ExtraPrecisionInch, "0000000000001a40");
        row("XPrecMetEdit", " 3 ", Field::ExtraPrecisionMetric, "0000000000000840");
        row("FeedIEdit", "0", Field::FeedPrecisionInch, "0000000000000000");
        row("FeedMetEdit", "-0", Field::FeedPrecisionMetric, "0000000000000080");
        row("XPrecFeedIEdit", "1e-3", Field::ExtraFeedPrecisionInch, "fca9f1d24d62503f");
        row("XPrecFeedMetEdit", "-3", Field::ExtraFeedPrecisionMetric, "00000000000008c0");
        row("NormPreEdit", " 7", Field::NormalShiftInch, "0700");
        row("NormPreMetEdit", "-1", Field::NormalShiftMetric, "ffff");
        row("XPreInchEdit", "$1F", Field::ExtraShiftInch, "1f00");
        row("XtraPrecMetEdit", "0x100", Field::ExtraShiftMetric, "0001");
        row("FeedIShiftEdit", "32767", Field::FeedShiftInch, "ff7f");
        row("FeedMetShiftEdit", "+2", Field::FeedShiftMetric, "0200");
        row("XPrecFeedIShiftEdit", "x7f", Field::ExtraFeedShiftInch, "7f00");
        row("XPrecFeedMetShiftEdit", "-9999", Field::ExtraFeedShiftMetric, "f1d8");
        // The name and its zero are written; the field's later bytes stay.
        row("ControllerEdit", "Hyper", Field::ControllerName, "4879706572003130006761726261676531323300");
        row("ControllerEdit", "Hypertherm HT 2000X", Field::ControllerName, "4879706572746865726d20485420323030305800");
    }

    void typedValueIsSaved()
    {
        QFETCH(QString, widget);
        QFETCH(QString, typed);
        QFETCH(Field, field);
        QFETCH(QByteArray, bytes);

        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), plainRecord());
        const QByteArray before = TestFiles::read(path);
        Harness h;
        h.open(path);
        CodeEdit *edit = box(h, widget);
        QVERIFY(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, typed);
        QVERIFY(h.form.Modified);
        h.form.FileSaveClick();

        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList());
        const QByteArray after = TestFiles::read(path);
        QCOMPARE(fieldBytes(after, field).toHex(), bytes.leftJustified(kvd::spec(field).size, '\0').toHex());
        QCOMPARE(after, withField(before, field, fieldBytes(after, field)));
        QVERIFY(!h.form.Modified);
    }

    void refusedTextStopsSave_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<QString>("message");

        const auto row = [](const char *widget, const char *typed, bool saveAs, const char *message) {
            QTest::addRow("%s '%s'%s", widget, typed, saveAs ? " save as" : "")
                << QString::fromLatin1(widget) << QString::fromLatin1(typed) << saveAs << QString::fromLatin1(message);
        };
        row("RTDEdit", "abc", false, "'abc' is not a valid floating point value.");
        row("MADEdit", "", false, "'' is not a valid floating point value.");
        row("MAREdit", "  ", false, "'  ' is not a valid floating point value.");
        row("NormPrecEdit", "+", false, "'+' is not a valid floating point value.");
        row("NormPrecMetEdit", "-E1", false, "'-E1' is not a valid floating point value.");
        row("XPrecMetEdit", "1.2.3", false, "'1.2.3' is not a valid floating point value.");
        row("FeedIEdit", "1,5", false, "'1,5' is not a valid floating point value.");
        row("XPrecFeedMetEdit", "INF", false, "'INF' is not a valid floating point value.");
        row("RTDEdit", "1E400", false, "Floating point overflow.");
        row("NormPreEdit", "7 ", false, "'7 ' is not a valid integer value.");
        row("XtraPrecMetEdit", "1.5", false, "'1.5' is not a valid integer value.");
        row("FeedMetShiftEdit", "-$1", false, "'-$1' is not a valid integer value.");
        row("NormPreMetEdit", "", false, "'' is not a valid integer value.");
        row("XPrecFeedIShiftEdit", "40000", false, "'40000' is out of range -32768 to 32767.");
        row("XPrecFeedMetShiftEdit", "$8000", false, "'$8000' is out of range -32768 to 32767.");
        row("RTDEdit", "x", true, "'x' is not a valid floating point value.");
        row("XPreInchEdit", "99999", true, "'99999' is out of range -32768 to 32767.");
    }

    void refusedTextStopsSave()
    {
        QFETCH(QString, widget);
        QFETCH(QString, typed);
        QFETCH(bool, saveAs);
        QFETCH(QString, message);

        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), plainRecord());
        const QByteArray before = TestFiles::read(path);
        Harness h;
        h.open(path);
        type(box(h, widget), typed);
        const QString caption = h.form.caption();
        if (saveAs)
            h.saveAs(files.path(QStringLiteral("new.kvd")));
        else
            h.form.FileSaveClick();

        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList{message});
        QCOMPARE(TestFiles::read(path), before);
        QVERIFY(!QFile::exists(files.path(QStringLiteral("new.kvd"))));
        QVERIFY(h.form.Modified);
        QVERIFY(h.action("FileSave")->isEnabled());
        QCOMPARE(h.form.caption(), caption);
        QCOMPARE(h.form.CurrentFileName, path);
    }

    // Only the first refused box in store order is reported.
    void firstRefusedBoxIsReported_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");
        QTest::newRow("distance before shift") << QStringLiteral("RTDEdit") << QStringLiteral("NormPreEdit")
                                               << QStringLiteral("'RTDEdit?' is not a valid floating point value.");
        QTest::newRow("left column before right") << QStringLiteral("XPrecFeedMetEdit") << QStringLiteral("NormPreEdit")
                                                  << QStringLiteral("'XPrecFeedMetEdit?' is not a valid floating point value.");
        QTest::newRow("shifts by row") << QStringLiteral("FeedIShiftEdit") << QStringLiteral("XPrecFeedIShiftEdit")
                                       << QStringLiteral("'FeedIShiftEdit?' is not a valid integer value.");
    }

    void firstRefusedBoxIsReported()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, message);

        TestFiles files;
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), plainRecord()));
        // Set from the program: these texts are longer than a user could type.
        box(h, second)->loadText(second + QLatin1Char('?'));
        box(h, first)->loadText(first + QLatin1Char('?'));
        h.form.FileSaveClick();
        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList{message});
    }

    // Opening and saving never changes a real through its rounded display, and an
    // untouched INF or NAN does not block the save.
    void untouchedRealsKeepTheirBytes_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("save") << false;
        QTest::newRow("save as") << true;
    }

    void untouchedRealsKeepTheirBytes()
    {
        QFETCH(bool, saveAs);
        DefinitionRecord r = plainRecord();
        std::memcpy(r.data() + kvd::spec(Field::ControllerName).offset, "ABCDEFGHIJKLMNOPQRST", 20);
        r.setReal(Field::RapidThresholdDistance, 0.125);
        r.setReal(Field::MinArcRadius, 2.675);
        r.setReal(Field::MinArcDistance, -0.004);
        r.setReal(Field::NormalPrecisionInch, std::numeric_limits<double>::infinity());
        r.setReal(Field::NormalPrecisionMetric, std::copysign(NaN, -1.0));
        r.setRealBits(Field::ExtraPrecisionInch, 0x7ff0000000000123ULL); // a NaN with a payload
        r.setReal(Field::ExtraPrecisionMetric, 12.3456);
        r.setReal(Field::FeedPrecisionInch, -0.0);
        r.setReal(Field::FeedPrecisionMetric, 1e300);
        r.setReal(Field::ExtraFeedPrecisionInch, 5e-324);
        r.setReal(Field::ExtraFeedPrecisionMetric, 0.05);

        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        const QByteArray before = TestFiles::read(path);
        Harness h;
        h.open(path);
        QCOMPARE(box(h, "ControllerEdit")->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        QCOMPARE(box(h, "RTDEdit")->text(), QStringLiteral("0.13"));
        QCOMPARE(box(h, "NormPrecMetEdit")->text(), QStringLiteral("-NAN"));
        type(box(h, "NormPreEdit"), QStringLiteral("5"));

        const QString target = saveAs ? files.path(QStringLiteral("b.kvd")) : path;
        if (saveAs)
            h.saveAs(target);
        else
            h.form.FileSaveClick();
        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList());
        QCOMPARE(TestFiles::read(target), withField(before, Field::NormalShiftInch, QByteArray::fromHex("0500")));
    }

    // An edited real is parsed, even when the user types back what was shown at load
    // after having saved another value in between.
    void editedRealIsParsed()
    {
        DefinitionRecord r = plainRecord();
        r.setReal(Field::RapidThresholdDistance, 0.125);
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        Harness h;
        h.open(path);
        CodeEdit *rtd = box(h, "RTDEdit");

        type(rtd, QStringLiteral("0.13")); // the shown text again: nothing to parse
        h.form.FileSaveClick();
        QCOMPARE(fieldBytes(TestFiles::read(path), Field::RapidThresholdDistance), fieldBytes(r.toBytes(), Field::RapidThresholdDistance));

        type(rtd, QStringLiteral("0.5"));
        h.form.FileSaveClick();
        QCOMPARE(DefinitionRecord::fromBytes(TestFiles::read(path)).real(Field::RapidThresholdDistance), 0.5);

        type(rtd, QStringLiteral("0.13"));
        h.form.FileSaveClick();
        QCOMPARE(DefinitionRecord::fromBytes(TestFiles::read(path)).realBits(Field::RapidThresholdDistance), bitsOf(0.13));
        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList());
    }

    void choices_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("item");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("0") << 0 << 0 << QByteArray::fromHex("0000");
        QTest::newRow("1") << 1 << 1 << QByteArray::fromHex("0100");
        QTest::newRow("2") << 2 << 0 << QByteArray::fromHex("0000");
        QTest::newRow("-1") << -1 << 0 << QByteArray::fromHex("0000");
        QTest::newRow("257") << 257 << 0 << QByteArray::fromHex("0000");
    }

    void choices()
    {
        QFETCH(int, stored);
        QFETCH(int, item);
        QFETCH(QByteArray, saved);
        DefinitionRecord r = plainRecord();
        r.setInteger(Field::ImpliedDecimals, qint16(stored));
        r.setInteger(Field::FeedImpliedDecimals, qint16(stored));
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        Harness h;
        h.open(path);
        QCOMPARE(group(h, QStringLiteral("RadGroupImpDec"))->itemIndex(), item);
        QCOMPARE(group(h, QStringLiteral("RadGroupFRImpDec"))->itemIndex(), item);
        QVERIFY(!h.form.Modified);
        h.form.FileSaveClick();
        const QByteArray after = TestFiles::read(path);
        QCOMPARE(fieldBytes(after, Field::ImpliedDecimals).toHex(), saved.toHex());
        QCOMPARE(fieldBytes(after, Field::FeedImpliedDecimals).toHex(), saved.toHex());
    }

    void choosingYesMarksModified()
    {
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), plainRecord());
        Harness h;
        h.open(path);
        QVERIFY(!h.form.Modified);
        QVERIFY(!h.action("FileSave")->isEnabled());

        const auto buttons = group(h, QStringLiteral("RadGroupFRImpDec"))->findChildren<QRadioButton *>();
        QCOMPARE(buttons.size(), 2);
        QCOMPARE(buttons.at(1)->text(), QStringLiteral("Yes"));
        QTest::mouseClick(buttons.at(1), Qt::LeftButton);
        QVERIFY(h.form.Modified);
        QVERIFY(h.action("FileSave")->isEnabled());

        h.form.FileSaveClick();
        const QByteArray after = TestFiles::read(path);
        QCOMPARE(fieldBytes(after, Field::FeedImpliedDecimals).toHex(), QByteArray("0100"));
        QCOMPARE(fieldBytes(after, Field::ImpliedDecimals).toHex(), QByteArray("0000"));
    }

    void controllerNameLimitsTypingOnly()
    {
        DefinitionRecord r = plainRecord();
        r.setText(Field::ControllerName, QStringLiteral("NINETEEN CHARACTERS"));
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        Harness h;
        h.open(path);
        CodeEdit *name = box(h, "ControllerEdit");
        QCOMPARE(name->text(), QStringLiteral("NINETEEN CHARACTERS"));

        name->setFocus();
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Delete);
        QTest::keyClicks(name, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
        QCOMPARE(name->text(), QStringLiteral("abcdefghijklmnopqrs"));
        h.form.FileSaveClick();
        QCOMPARE(fieldBytes(TestFiles::read(path), Field::ControllerName), QByteArray("abcdefghijklmnopqrs\0", 20));
    }

    void commaSeparator()
    {
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), plainRecord());
        const QByteArray before = TestFiles::read(path);
        Harness h;
        page(h)->setDecimalSeparator(QLatin1Char(','));
        h.open(path);
        QCOMPARE(box(h, "RTDEdit")->text(), QStringLiteral("6,00"));
        QCOMPARE(box(h, "NormPrecEdit")->text(), QStringLiteral("2,4"));

        type(box(h, "RTDEdit"), QStringLiteral("6.5"));
        h.form.FileSaveClick();
        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox),
                 QStringList{QStringLiteral("'6.5' is not a valid floating point value.")});
        QCOMPARE(TestFiles::read(path), before);

        type(box(h, "RTDEdit"), QStringLiteral("6,5"));
        h.form.FileSaveClick();
        QCOMPARE(TestFiles::read(path), withField(before, Field::RapidThresholdDistance, QByteArray::fromHex("0000000000001a40")));
    }

    void separatorFollowsLocaleChanges()
    {
        Harness h;
        page(h)->setLocale(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(page(h)->decimalSeparator(), QChar(QLatin1Char(',')));
        page(h)->setLocale(QLocale(QLocale::Arabic, QLocale::Egypt));
        QCOMPARE(page(h)->decimalSeparator(), QChar(QLatin1Char('.')));
    }

    void tabOrder()
    {
        Harness h;
        QWidget *start = box(h, "RTDEdit");
        QStringList order;
        QWidget *w = start;
        for (int guard = 0; guard < 1000; ++guard) {
            if ((w->focusPolicy() & Qt::TabFocus) && page(h)->isAncestorOf(w)) {
                const QString name = qobject_cast<QRadioButton *>(w) ? w->parentWidget()->objectName() : w->objectName();
                if (order.isEmpty() || order.last() != name)
                    order << name;
            }
            w = w->nextInFocusChain();
            if (w == start)
                break;
        }
        const QStringList expected = QStringLiteral(
            "RTDEdit MAREdit MADEdit RadGroupImpDec "
            "NormPrecEdit NormPrecMetEdit XPreIEdit XPrecMetEdit FeedIEdit FeedMetEdit "
            "NormPreEdit NormPreMetEdit XPreInchEdit XtraPrecMetEdit FeedIShiftEdit FeedMetShiftEdit "
            "RadGroupFRImpDec XPrecFeedIEdit XPrecFeedMetEdit XPrecFeedIShiftEdit XPrecFeedMetShiftEdit").split(QLatin1Char(' '));
        QCOMPARE(order, expected);
        QCOMPARE(box(h, "ControllerEdit")->focusPolicy(), Qt::ClickFocus);
    }
};

QTEST_MAIN(NumericFormatTest)
#include "tst_numericformat.moc"
