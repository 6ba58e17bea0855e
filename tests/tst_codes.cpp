#include "pages/codestab.h"
#include "processfixture.h"

#include <QSignalSpy>
#include <QTest>

using kvd::DefinitionRecord;
using kvd::Field;
using kvd::TextField;

namespace {

// The column states and menu items that a count k in -1..4 stands for.
void checkInvariant(const Harness &h, int k, bool checkAdd = true)
{
    const CodesTab &tab = *h.form.CodesTabPage;
    const QColor face = tab.palette().color(QPalette::Button);
    for (int c = 1; c <= 5; ++c) {
        for (int i = 0; i < 13; ++i) {
            const CodeEdit *box = tab.column(c).box(i);
            QCOMPARE(!box->isHidden(), c == 1 || k >= c - 1);
            QCOMPARE(box->isEnabledTo(&tab), c > 1 || k >= 0);
            QCOMPARE(box->palette().color(QPalette::Base), c > 1 || k >= 0 ? QColor(Qt::white) : face);
        }
        if (c > k + 1)
            QVERIFY(columnEmpty(tab, c));
    }
    if (checkAdd)
        QCOMPARE(h.action("AddPointProcess")->isEnabled(), k < 4);
    QCOMPARE(h.action("DelPointProcess")->isEnabled(), k >= 0);
}

int savedCount(const QString &path)
{
    return DefinitionRecord::fromBytes(TestFiles::read(path)).integer(Field::PointProcessIndex);
}

} // namespace

class CodesTest : public QObject
{
    Q_OBJECT
private slots:
    void gridAndWorkedOffsets()
    {
        TestFiles files;
        DefinitionRecord r = tagged(2, 1, 4);
        const std::pair<const char *, int> worked[] = {{"PCProcess1", 836},   {"PCEditR1C3B2", 1854},
                                                       {"PCEditR2C1B1", 2034}, {"PCEditR3C5B3", 2574},
                                                       {"BPCol1Edit", 2634},   {"APCol2Edit", 2744}};
        for (const auto &[box, offset] : worked)
            r.setText(TextField{offset, 10}, QString::number(offset));
        Harness h;
        const QList<CodeEdit *> boxes = h.form.CodesTabPage->findChildren<CodeEdit *>();
        QCOMPARE(boxes.size(), 65);
        QCOMPARE(std::count_if(boxes.begin(), boxes.end(), [](CodeEdit *b) { return b->lineFeedKey(); }), 60);
        QCOMPARE(h.widget<CodeEdit>("PCEditR1C2B4")->geometry(), QRect(216, 100, 81, 21));
        QCOMPARE(h.widget<CodeEdit>("APCol1Edit")->nextInFocusChain()->objectName(), QStringLiteral("PCProcess2"));
        QCOMPARE(h.widget<CodeEdit>("PCEditR1C1B4")->nextInFocusChain()->objectName(), QStringLiteral("PCEditR2C1B1"));
        checkInvariant(h, -1, false);
        QVERIFY(!h.action("AddPointProcess")->isEnabled());

        h.open(files.write(QStringLiteral("a.kvd"), r));
        for (const auto &[box, offset] : worked) {
            CodeEdit *edit = h.widget<CodeEdit>(box);
            QCOMPARE(edit->text(), QString::number(offset));
            edit->setText(QStringLiteral("X"));
        }
        h.saveAs(files.path(QStringLiteral("b.kvd")));
        const QByteArray out = TestFiles::read(files.path(QStringLiteral("b.kvd")));
        for (const auto &[box, offset] : worked)
            QCOMPARE(out.mid(offset, 2), QByteArray("X\0", 2));
    }

    void loadFollowsCount_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("saved");
        // Each file is opened after an edited one with five point processes.
        for (int k = -1; k <= 4; ++k)
            QTest::addRow("count %d", k) << k << k << k;
        QTest::newRow("5 shows five") << 5 << 4 << 5;
        QTest::newRow("32767 shows five") << 32767 << 4 << 32767;
        // Below "none" is none, so that Add starts at column 1 and its codes survive a save.
        QTest::newRow("-2 shows none") << -2 << -1 << -1;
        QTest::newRow("-32768 shows none") << -32768 << -1 << -1;
    }

    void loadFollowsCount()
    {
        QFETCH(int, stored);
        QFETCH(int, k);
        QFETCH(int, saved);
        TestFiles files;
        Harness h;
        h.open(files.write(QStringLiteral("five.kvd"), tagged(2, 1, 4, QStringLiteral("A"))));
        QTest::keyClicks(h.widget<CodeEdit>("PCEditR2C5B1"), QStringLiteral("Q"));
        h.platform.answers << Platform::Answer::No;
        QSignalSpy fifth(h.widget<CodeEdit>("PCProcess5"), &QLineEdit::textChanged);
        const QByteArray read = tagged(2, 1, stored).toBytes();
        const QString path = files.write(QStringLiteral("a.kvd"), read);
        h.open(path);

        checkInvariant(h, k);
        for (int c = 1; c <= k + 1; ++c)
            QCOMPARE(columnTexts(*h.form.CodesTabPage, c), slotTexts(c + 5));
        // Reset empties column 5, a count of five or more fills it once, from slot 10.
        QCOMPARE(fifth.count(), k == 4 ? 2 : 1);
        QVERIFY(!h.form.Modified);
        // The count goes back as read, even without an edit; unused slots are written empty.
        h.form.FileSaveClick();
        QCOMPARE(savedCount(path), saved);
        const QByteArray out = TestFiles::read(path);
        for (int slot = 6; slot <= 10; ++slot)
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), slot <= k + 6 ? bytesAt(read, f) : emptied(read, f));
    }

    void commandsKeepInvariant_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("commands"); // + Add, - Delete
        QTest::addColumn<bool>("modified");
        QTest::newRow("none, add") << -1 << "+" << true;
        QTest::newRow("five adds, five deletes") << -1 << "+++++-----" << true;
        QTest::newRow("three filled, delete, add") << 2 << "-+" << true;
        QTest::newRow("one filled, delete") << 0 << "-" << true;
        QTest::newRow("five filled, all deleted") << 4 << "-----" << true;
        QTest::newRow("added column deleted") << 1 << "+-" << true;
    }

    void commandsKeepInvariant()
    {
        QFETCH(int, start);
        QFETCH(QString, commands);
        QFETCH(bool, modified);
        TestFiles files;
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), tagged(2, 1, start)));
        int k = start, lowest = start;
        for (const QChar command : commands) {
            QAction *action = h.action(command == QLatin1Char('+') ? "AddPointProcess" : "DelPointProcess");
            QVERIFY(action->isEnabled());
            action->trigger();
            k += command == QLatin1Char('+') ? 1 : -1;
            lowest = qMin(lowest, k);
            checkInvariant(h, k);
        }
        QCOMPARE(h.form.Modified, modified);
        // Columns that stayed in use keep their codes; columns added again are empty.
        for (int c = 1; c <= k + 1; ++c)
            QCOMPARE(columnTexts(*h.form.CodesTabPage, c), c <= lowest + 1 ? slotTexts(c + 5) : QSet<QString>{QString()});
    }

    // The removed slot's 13 fields lose their first byte; a slot-7 field holding a code,
    // a zero and other bytes, and an unterminated field of slot 6, come back unchanged.
    void saveAfterDeleteEmptiesOnlyTheRemovedSlot()
    {
        QByteArray read = tagged(2, 1, 2).toBytes();
        read.replace(kvd::activateSeq(2, 7).offset, 10, QByteArray("abc\0\x7f\xff\x01xy\x80", 10));
        read.replace(kvd::offsetOff(3, 6).offset, 10, QByteArray("\n\r\t\xe9\xa0\x1b\x7f\xfe\x02Z", 10));
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), read);
        Harness h;
        h.open(path);
        QCOMPARE(h.widget<CodeEdit>("PCEditR1C2B2")->text(), QStringLiteral("abc"));
        h.action("DelPointProcess")->trigger();
        QVERIFY(h.form.Modified);
        h.form.FileSaveClick();

        const QByteArray out = TestFiles::read(path);
        QCOMPARE(savedCount(path), 1);
        for (int slot = 6; slot <= 10; ++slot)
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), slot <= 7 ? bytesAt(read, f) : emptied(read, f));
    }

};

QTEST_MAIN(CodesTest)
#include "tst_codes.moc"
