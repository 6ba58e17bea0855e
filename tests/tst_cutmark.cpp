#include "pages/cutmarktab.h"
#include "processfixture.h"

#include <QRandomGenerator>
#include <QTest>

using kvd::DefinitionRecord;
using kvd::Field;
using kvd::TextField;

namespace {
const std::initializer_list<const char *> kMenus = {"AddCut", "AddMark", "DelCutProcess", "DelMarkProcess"};

QString shownColumns(const CutMarkTab &tab)
{
    QString s = QStringLiteral("1");
    for (int c = 2; c <= 5; ++c)
        if (columnShown(tab, c))
            s += QString::number(c);
    return s;
}
} // namespace

class CutMarkTest : public QObject
{
    Q_OBJECT
private slots:
    void boxesBoundToWorkedOffsets()
    {
        const std::pair<const char *, int> worked[] = {{"EditR1C2B1", 1404}, {"EditR1C1B2", 1424}, {"EditR3C3B3", 1654},
                                                       {"EditR2C5B3", 1774}, {"EditR4C4B1", 2014}, {"EditR5C3B2", 2404},
                                                       {"BPCol5", 2624},     {"APCol1", 2684},     {"Process4", 816}};
        TestFiles files;
        DefinitionRecord r = tagged(2, 1, 4);
        for (const auto &[box, offset] : worked)
            r.setText(TextField{offset, 10}, QString::number(offset));
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), r));
        for (const auto &[box, offset] : worked) {
            QCOMPARE(h.widget<CodeEdit>(box)->text(), QString::number(offset));
            h.widget<CodeEdit>(box)->setText(QStringLiteral("X"));
        }
        h.saveAs(files.path(QStringLiteral("b.kvd")));
        const QByteArray out = TestFiles::read(files.path(QStringLiteral("b.kvd")));
        for (const auto &[box, offset] : worked)
            QCOMPARE(out.mid(offset, 2), QByteArray("X\0", 2));
    }

    void gridBeforeAnyFile()
    {
        Harness h;
        const CutMarkTab &tab = *h.form.CutMarkTabPage;
        const QList<CodeEdit *> boxes = tab.findChildren<CodeEdit *>();
        QCOMPARE(boxes.size(), 84);
        QCOMPARE(std::count_if(boxes.begin(), boxes.end(), [](CodeEdit *b) { return b->lineFeedKey(); }), 79);
        QCOMPARE(h.widget<CodeEdit>("EditR3C3B3")->geometry(), QRect(320, 220, 81, 21));
        QVERIFY(!h.widget<CodeEdit>("EditR3C4B1"));
        // Tab order runs down each column, columns left to right.
        QCOMPARE(h.widget<CodeEdit>("APCol1")->nextInFocusChain()->objectName(), QStringLiteral("Process2"));
        QCOMPARE(h.widget<CodeEdit>("EditR2C4B3")->nextInFocusChain()->objectName(), QStringLiteral("EditR4C4B1"));
        QCOMPARE(tab.column(1).box(5)->isEnabled(), false);
        QCOMPARE(tab.column(1).box(5)->palette().color(QPalette::Base), tab.palette().color(QPalette::Button));
        QCOMPARE(shownColumns(tab), QStringLiteral("1"));
        QCOMPARE(enabled(h, kMenus), QStringLiteral("----"));
    }

    void loadFollowsCounters_data()
    {
        QTest::addColumn<int>("cut");
        QTest::addColumn<int>("scribe");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("menus"); // AddCut AddMark DelCut DelMark
        QTest::addColumn<int>("savedCut");
        // Each file is opened after an edited one with three cuts and two scribes.
        QTest::newRow("one cut, no scribe") << 0 << -1 << "1" << "++--" << 0;
        QTest::newRow("three cuts, two scribes") << 2 << 1 << "12345" << "--++" << 2;
        QTest::newRow("two cuts, one scribe") << 1 << 0 << "124" << "++++" << 1;
        QTest::newRow("cut count 4 kept") << 4 << -1 << "123" << "-++-" << 4;
        QTest::newRow("negative cut count is one cut") << -1 << -1 << "1" << "++--" << 0;
        QTest::newRow("lowest cut, highest scribe") << -32768 << 32767 << "145" << "+--+" << 0;
        QTest::newRow("highest cut, lowest scribe is none") << 32767 << -32768 << "123" << "-++-" << 32767;
    }

    void loadFollowsCounters()
    {
        QFETCH(int, cut);
        QFETCH(int, scribe);
        QFETCH(QString, columns);
        QFETCH(QString, menus);
        QFETCH(int, savedCut);
        TestFiles files;
        Harness h;
        const CutMarkTab &tab = *h.form.CutMarkTabPage;
        h.open(files.write(QStringLiteral("first.kvd"), tagged(2, 1, 4, QStringLiteral("A"))));
        QTest::keyClicks(h.widget<CodeEdit>("EditR1C3B1"), QStringLiteral("Q"));
        h.platform.answers << Platform::Answer::No;
        const QByteArray read = tagged(cut, scribe, 4).toBytes();
        h.open(files.write(QStringLiteral("a.kvd"), read));

        QCOMPARE(shownColumns(tab), columns);
        QCOMPARE(enabled(h, kMenus), menus);
        QVERIFY(!h.form.Modified);
        QVERIFY(tab.column(1).box(17)->isEnabledTo(&tab));
        QCOMPARE(tab.column(1).box(17)->palette().color(QPalette::Base), QColor(Qt::white));
        for (int c = 1; c <= 5; ++c)
            QCOMPARE(columnTexts(tab, c), columns.contains(QString::number(c)) ? slotTexts(c) : QSet<QString>{QString()});

        // Slots without a column are written empty, never with the first file's codes.
        h.form.FileSaveClick();
        const QByteArray out = TestFiles::read(files.path(QStringLiteral("a.kvd")));
        QCOMPARE(int(DefinitionRecord::fromBytes(out).integer(Field::CutProcessIndex)), savedCut);
        QCOMPARE(int(DefinitionRecord::fromBytes(out).integer(Field::ScribeProcessIndex)), qMax(scribe, -1));
        for (int slot = 1; slot <= 5; ++slot)
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), columns.contains(QString::number(slot)) ? bytesAt(read, f) : emptied(read, f));
    }

    void commandsFollowStateTables_data()
    {
        QTest::addColumn<int>("cut");
        QTest::addColumn<int>("scribe");
        QTest::addColumn<QString>("commands"); // C/S add a cut/scribe process, c/s delete one
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("menus");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("blank"); // shown columns that must be empty; the others keep the file's codes
        QTest::newRow("add cut") << 0 << -1 << "C" << "12" << "+++-" << true << "2";
        QTest::newRow("add cut twice") << 0 << -1 << "CC" << "123" << "-++-" << true << "23";
        QTest::newRow("add scribe twice") << 0 << -1 << "SS" << "145" << "+--+" << true << "45";
        QTest::newRow("delete filled third cut") << 2 << 1 << "c" << "1245" << "+-++" << true << "";
        QTest::newRow("delete second cut") << 1 << -1 << "c" << "1" << "++--" << true << "";
        QTest::newRow("delete, add again is empty") << 1 << -1 << "cC" << "12" << "+++-" << true << "2";
        QTest::newRow("add, delete the empty column") << 0 << -1 << "Cc" << "1" << "++--" << true << "";
        QTest::newRow("all up, all down") << 0 << -1 << "CCSSccss" << "1" << "++--" << true << "";
        QTest::newRow("delete both scribes") << 0 << 1 << "ss" << "1" << "++--" << true << "";
        QTest::newRow("cut count 4, delete") << 4 << -1 << "c" << "12" << "+++-" << true << "";
    }

    void commandsFollowStateTables()
    {
        QFETCH(int, cut);
        QFETCH(int, scribe);
        QFETCH(QString, commands);
        QFETCH(QString, columns);
        QFETCH(QString, menus);
        QFETCH(bool, modified);
        QFETCH(QString, blank);
        TestFiles files;
        Harness h;
        const CutMarkTab &tab = *h.form.CutMarkTabPage;
        h.open(files.write(QStringLiteral("a.kvd"), tagged(cut, scribe, 4)));
        for (const QChar command : commands) {
            QAction *action = h.action(std::data(kMenus)[QStringLiteral("CScs").indexOf(command)]);
            QVERIFY(action->isEnabled());
            action->trigger();
        }
        QCOMPARE(shownColumns(tab), columns);
        QCOMPARE(enabled(h, kMenus), menus);
        QCOMPARE(h.form.Modified, modified);
        for (int c = 1; c <= 5; ++c) {
            const bool keeps = columns.contains(QString::number(c)) && !blank.contains(QString::number(c));
            QCOMPARE(columnTexts(tab, c), keeps ? slotTexts(c) : QSet<QString>{QString()});
        }
    }

    // Slots without a column are written empty (first byte only); shown slots byte for
    // byte, even codes without a zero, with control characters or bytes above 127.
    void storeWritesUnusedSlotsEmptyAndShownAsRead()
    {
        QRandomGenerator random(4711);
        QByteArray read = tagged(1, -1, 4).toBytes();
        for (int slot = 1; slot <= 2; ++slot)
            for (int n = 0; n < slotFields(slot).size(); ++n) {
                const TextField f = slotFields(slot)[n];
                const int length = n % 3 ? int(random.bounded(10)) : 10;
                for (int i = 0; i < f.size; ++i)
                    read[f.offset + i] = char(i == length ? 0 : 1 + random.bounded(255));
            }
        read.replace(kvd::processName(4).offset, 10, QByteArray("ABC\0\0\0\0\0\0\0", 10));
        TestFiles files;
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), read));
        h.action("AddCut")->trigger(); // shows column 3, empty
        QVERIFY(h.form.Modified);
        h.saveAs(files.path(QStringLiteral("b.kvd")));

        const QByteArray out = TestFiles::read(files.path(QStringLiteral("b.kvd")));
        QCOMPARE(int(DefinitionRecord::fromBytes(out).integer(Field::CutProcessIndex)), 2);
        QCOMPARE(bytesAt(out, kvd::processName(4)), QByteArray("\0BC\0\0\0\0\0\0\0", 10));
        for (int slot = 1; slot <= 5; ++slot)
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), slot <= 2 ? bytesAt(read, f) : emptied(read, f));
    }

    void lineFeedIsStoredAndShownAgain()
    {
        TestFiles files;
        DefinitionRecord r = tagged(0, -1, 4);
        r.setText(kvd::cutSeq(2, 1, 1), QStringLiteral("G01X1234"));
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        Harness h;
        h.open(path);
        QTest::keyClick(h.widget<CodeEdit>("Process1"), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!h.form.Modified);
        QTest::keyClick(h.widget<CodeEdit>("EditR2C1B1"), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(h.form.Modified);
        h.form.FileSaveClick();
        QCOMPARE(bytesAt(TestFiles::read(path), kvd::cutSeq(2, 1, 1)), QByteArray("G01X1234\n\0", 10));
        Harness again;
        again.open(path);
        QCOMPARE(again.widget<CodeEdit>("EditR2C1B1")->text(), QStringLiteral("G01X1234\n"));
    }
};

QTEST_MAIN(CutMarkTest)
#include "tst_cutmark.moc"
