#include "pages/codeedit.h"
#include "pages/cutmarktab.h"
#include "support/harness.h"

#include <QAction>
#include <QLabel>
#include <QRandomGenerator>
#include <QTest>

#include <cstring>

using kvd::DefinitionRecord;
using kvd::Field;
using kvd::TextField;

namespace {

// Every field of one cut or scribe slot, as the record lays them out.
QList<TextField> slotFields(int slot)
{
    QList<TextField> fields{kvd::processName(slot), kvd::beforeProcess(slot), kvd::afterProcess(slot)};
    for (int box = 1; box <= 3; ++box) {
        if (slot <= kvd::LastCutSlot) {
            for (int row = 1; row <= 3; ++row)
                fields << kvd::cutSeq(row, box, slot);
        } else {
            for (int row = 1; row <= 2; ++row)
                fields << kvd::scribeSeq(row, box, slot);
        }
        fields << kvd::offsetOn(box, slot) << kvd::offsetOff(box, slot);
    }
    return fields;
}

QString tag(int slot, int index)
{
    return QStringLiteral("s%1f%2").arg(slot).arg(index);
}

// Counters as given (the point page shows all its slots, so its store keeps them) and
// every field of slots 1-5 holding a text naming its slot.
DefinitionRecord record(int cutIndex, int scribeIndex, const QString &prefix = QString())
{
    DefinitionRecord r;
    r.setInteger(Field::CutProcessIndex, qint16(cutIndex));
    r.setInteger(Field::ScribeProcessIndex, qint16(scribeIndex));
    r.setInteger(Field::PointProcessIndex, 4);
    for (int slot = 1; slot <= 5; ++slot) {
        const QList<TextField> fields = slotFields(slot);
        for (int i = 0; i < fields.size(); ++i)
            r.setText(fields[i], prefix + tag(slot, i));
    }
    return r;
}

QByteArray bytesAt(const QByteArray &file, TextField f)
{
    return file.mid(f.offset, f.size);
}

struct Page {
    Harness &h;
    CutMarkTab &tab;
    explicit Page(Harness &harness) : h(harness), tab(*harness.form.CutMarkTabPage) {}

    bool shown(int c) const { return !tab.column(c).box(0)->isHidden(); }
    QSet<QString> texts(int c) const
    {
        QSet<QString> result;
        for (int i = 0; i < tab.column(c).size(); ++i)
            result << tab.column(c).box(i)->text();
        return result;
    }
    bool empty(int c) const { return texts(c) == QSet<QString>{QString()}; }
    QString shownColumns() const
    {
        QString s;
        for (int c = 1; c <= 5; ++c)
            if (c == 1 || shown(c))
                s += QString::number(c);
        return s;
    }
    QString menus() const // AddCut, AddMark, DelCutProcess, DelMarkProcess as + or -
    {
        QString s;
        for (const char *name : {"AddCut", "AddMark", "DelCutProcess", "DelMarkProcess"})
            s += h.action(name)->isEnabled() ? QLatin1Char('+') : QLatin1Char('-');
        return s;
    }
};

} // namespace

class CutMarkTest : public QObject
{
    Q_OBJECT
private slots:
    void boxesBoundToWorkedOffsets_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("offset");
        QTest::newRow("EditR1C2B1") << "EditR1C2B1" << 1404;
        QTest::newRow("EditR1C1B2") << "EditR1C1B2" << 1424;
        QTest::newRow("EditR3C3B3") << "EditR3C3B3" << 1654;
        QTest::newRow("EditR2C5B3") << "EditR2C5B3" << 1774;
        QTest::newRow("EditR4C4B1") << "EditR4C4B1" << 2014;
        QTest::newRow("EditR5C3B2") << "EditR5C3B2" << 2404;
        QTest::newRow("BPCol5") << "BPCol5" << 2624;
        QTest::newRow("APCol1") << "APCol1" << 2684;
        QTest::newRow("Process4") << "Process4" << 816;
    }

    void boxesBoundToWorkedOffsets()
    {
        QFETCH(QString, box);
        QFETCH(int, offset);
        TestFiles files;
        DefinitionRecord r = record(2, 1);
        r.setText(TextField{offset, 10}, QStringLiteral("HERE"));
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), r));

        auto *edit = h.form.CutMarkTabPage->findChild<CodeEdit *>(box);
        QVERIFY(edit);
        QCOMPARE(edit->text(), QStringLiteral("HERE"));
        QTest::keyClicks(edit, QStringLiteral("X"));
        const QString saved = files.path(QStringLiteral("b.kvd"));
        h.saveAs(saved);
        QCOMPARE(bytesAt(TestFiles::read(saved), TextField{offset, 10}).left(6), QByteArray("HEREX\0", 6));
    }

    void gridLayout()
    {
        Harness h;
        CutMarkTab &tab = *h.form.CutMarkTabPage;
        const QList<CodeEdit *> boxes = tab.findChildren<CodeEdit *>();
        QCOMPARE(boxes.size(), 84);
        int codeBoxes = 0;
        for (CodeEdit *b : boxes) {
            QCOMPARE(b->limit(), 9);
            QCOMPARE(b->size(), QSize(81, 21));
            codeBoxes += b->lineFeedKey();
        }
        QCOMPARE(codeBoxes, 79);
        QVERIFY(!tab.findChild<CodeEdit *>(QStringLiteral("Process3"))->lineFeedKey());
        QVERIFY(!tab.findChild<CodeEdit *>(QStringLiteral("EditR3C4B1"))); // scribes have no Off/Up row
        QCOMPARE(tab.findChild<CodeEdit *>(QStringLiteral("EditR3C3B3"))->pos(), QPoint(320, 220));
        QCOMPARE(tab.findChild<CodeEdit *>(QStringLiteral("EditR5C5B3"))->pos(), QPoint(528, 360));
        QCOMPARE(tab.findChild<CodeEdit *>(QStringLiteral("APCol4"))->pos(), QPoint(424, 410));
        QCOMPARE(tab.findChild<CodeEdit *>(QStringLiteral("Process2"))->pos(), QPoint(216, 8));

        const QStringList captions{QStringLiteral("On Seq."), QStringLiteral("Off Seq."), QStringLiteral("Off/Up Seq."),
                                   QStringLiteral("Offset On"), QStringLiteral("Offset Off"),
                                   QStringLiteral("Before Process"), QStringLiteral("After Process")};
        const QList<int> tops{42, 112, 182, 252, 322, 392, 412};
        const QList<QLabel *> labels = tab.findChildren<QLabel *>();
        QCOMPARE(labels.size(), 7);
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(labels[i]->text(), captions[i]);
            QCOMPARE(labels[i]->pos(), QPoint(24, tops[i]));
        }

        // Tab order: column by column, each top to bottom.
        QStringList order;
        QWidget *w = tab.findChild<CodeEdit *>(QStringLiteral("Process1"));
        for (int i = 0; i < 84; ++i, w = w->nextInFocusChain())
            order << w->objectName();
        QCOMPARE(order.mid(0, 3), (QStringList{QStringLiteral("Process1"), QStringLiteral("EditR1C1B1"),
                                                QStringLiteral("EditR1C1B2")}));
        QCOMPARE(order.mid(16, 3), (QStringList{QStringLiteral("BPCol1"), QStringLiteral("APCol1"),
                                                 QStringLiteral("Process2")}));
        QCOMPARE(order.mid(60, 2), (QStringList{QStringLiteral("EditR2C4B3"), QStringLiteral("EditR4C4B1")}));
        QCOMPARE(order.last(), QStringLiteral("APCol5"));

        // Before any file: column 1 grey and disabled, the others hidden, empty and white.
        const QColor face = tab.palette().color(QPalette::Button);
        for (int i = 0; i < 18; ++i) {
            QVERIFY(!tab.column(1).box(i)->isEnabled());
            QCOMPARE(tab.column(1).box(i)->palette().color(QPalette::Base), face);
        }
        for (int c = 2; c <= 5; ++c) {
            QVERIFY(tab.column(c).box(0)->isHidden());
            QCOMPARE(tab.column(c).box(0)->palette().color(QPalette::Base), QColor(Qt::white));
        }
        for (const char *name : {"AddCut", "AddMark", "DelCutProcess", "DelMarkProcess"})
            QVERIFY(!h.action(name)->isEnabled());
    }

    void loadFollowsCounters_data()
    {
        QTest::addColumn<int>("cutIndex");
        QTest::addColumn<int>("scribeIndex");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("menus"); // AddCut AddMark DelCut DelMark
        QTest::addColumn<int>("savedCut");

        QTest::newRow("one cut, no scribe") << 0 << -1 << "1" << "++--" << 0;
        QTest::newRow("three cuts, two scribes") << 2 << 1 << "12345" << "--++" << 2;
        QTest::newRow("two cuts, one scribe") << 1 << 0 << "124" << "++++" << 1;
        QTest::newRow("cut count 4 kept") << 4 << -1 << "123" << "-++-" << 4;
        QTest::newRow("negative cut count loads as one cut") << -1 << -1 << "1" << "++--" << 0;
        QTest::newRow("extremes low cut, high scribe") << -32768 << 32767 << "145" << "+--+" << 0;
        QTest::newRow("extremes high cut, low scribe") << 32767 << -32768 << "123" << "--+-" << 32767;
    }

    void loadFollowsCounters()
    {
        QFETCH(int, cutIndex);
        QFETCH(int, scribeIndex);
        QFETCH(QString, columns);
        QFETCH(QString, menus);
        QFETCH(int, savedCut);
        TestFiles files;
        Harness h;
        Page page(h);
        h.open(files.write(QStringLiteral("a.kvd"), record(cutIndex, scribeIndex)));

        QCOMPARE(page.shownColumns(), columns);
        QCOMPARE(page.menus(), menus);
        QVERIFY(!h.form.Modified);
        const QColor white(Qt::white);
        for (int i = 0; i < 18; ++i) {
            QVERIFY(page.tab.column(1).box(i)->isEnabled());
            QCOMPARE(page.tab.column(1).box(i)->palette().color(QPalette::Base), white);
        }
        for (int c = 1; c <= 5; ++c) {
            if (!columns.contains(QString::number(c))) {
                QVERIFY2(page.empty(c), qPrintable(QString::number(c)));
                continue;
            }
            const QList<TextField> fields = slotFields(c);
            QSet<QString> expected;
            for (int i = 0; i < fields.size(); ++i)
                expected << tag(c, i);
            QCOMPARE(page.texts(c), expected);
        }

        const QString saved = files.path(QStringLiteral("b.kvd"));
        h.saveAs(saved);
        const DefinitionRecord out = DefinitionRecord::fromBytes(TestFiles::read(saved));
        QCOMPARE(int(out.integer(Field::CutProcessIndex)), savedCut);
        QCOMPARE(int(out.integer(Field::ScribeProcessIndex)), scribeIndex);
    }

    void commandsFollowStateTables_data()
    {
        QTest::addColumn<int>("cutIndex");
        QTest::addColumn<int>("scribeIndex");
        QTest::addColumn<bool>("scribeCodes"); // slots 4 and 5 hold codes in the file
        QTest::addColumn<QString>("commands"); // C/S add cut/scribe, c/s delete
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("menus");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("emptyColumns"); // shown but empty; other shown columns keep the file's codes

        QTest::newRow("add cut") << 0 << -1 << true << "C" << "12" << "+++-" << false << "2";
        QTest::newRow("add cut twice") << 0 << -1 << true << "CC" << "123" << "-++-" << false << "23";
        QTest::newRow("add scribe twice") << 0 << -1 << true << "SS" << "145" << "+--+" << false << "45";
        QTest::newRow("delete filled third cut") << 2 << 1 << true << "c" << "1245" << "+-++" << true << "";
        QTest::newRow("delete empty scribe") << 0 << 0 << false << "s" << "1" << "++--" << false << "";
        QTest::newRow("delete second cut") << 1 << -1 << true << "c" << "1" << "++--" << true << "";
        QTest::newRow("delete then add is empty") << 1 << -1 << true << "cC" << "12" << "+++-" << true << "2";
        QTest::newRow("add then delete") << 0 << -1 << true << "Cc" << "1" << "++--" << false << "";
        QTest::newRow("all up, all down") << 0 << -1 << true << "CCSSccss" << "1" << "++--" << false << "";
        QTest::newRow("delete both scribes") << 0 << 1 << true << "ss" << "1" << "++--" << true << "";
        QTest::newRow("cut count 4, delete") << 4 << -1 << true << "c" << "12" << "+++-" << true << "";
    }

    void commandsFollowStateTables()
    {
        QFETCH(int, cutIndex);
        QFETCH(int, scribeIndex);
        QFETCH(bool, scribeCodes);
        QFETCH(QString, commands);
        QFETCH(QString, columns);
        QFETCH(QString, menus);
        QFETCH(bool, modified);
        QFETCH(QString, emptyColumns);
        TestFiles files;
        DefinitionRecord r = record(cutIndex, scribeIndex);
        if (!scribeCodes)
            for (int slot = 4; slot <= 5; ++slot)
                for (TextField f : slotFields(slot))
                    r.setText(f, QString());
        Harness h;
        Page page(h);
        h.open(files.write(QStringLiteral("a.kvd"), r));

        const char *names[] = {"AddCut", "AddMark", "DelCutProcess", "DelMarkProcess"};
        for (const QChar command : commands) {
            const int which = QStringLiteral("CScs").indexOf(command);
            QAction *action = h.action(names[which]);
            QVERIFY2(action->isEnabled(), qPrintable(QString(command)));
            action->trigger();
        }

        QCOMPARE(page.shownColumns(), columns);
        QCOMPARE(page.menus(), menus);
        QCOMPARE(h.form.Modified, modified);
        for (int c = 1; c <= 5; ++c) {
            if (emptyColumns.contains(QString::number(c)) || !columns.contains(QString::number(c)))
                QVERIFY2(page.empty(c), qPrintable(QString::number(c)));
            else
                QVERIFY2(!page.texts(c).contains(QString()), qPrintable(QString::number(c)));
        }
    }

    void saveAsAfterAddWritesCounterAndEmptySlot()
    {
        TestFiles files;
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), record(0, -1)));
        h.action("AddCut")->trigger();
        QVERIFY(!h.form.Modified);
        QCOMPARE(h.widget<CodeEdit>("EditR1C2B1")->text(), QString());
        const QString saved = files.path(QStringLiteral("b.kvd"));
        h.saveAs(saved);

        const QByteArray out = TestFiles::read(saved);
        const DefinitionRecord before = record(0, -1);
        QCOMPARE(int(DefinitionRecord::fromBytes(out).integer(Field::CutProcessIndex)), 1);
        for (TextField f : slotFields(2)) {
            const QByteArray was = before.toBytes().mid(f.offset, f.size);
            QCOMPARE(bytesAt(out, f), QByteArray(1, '\0') + was.mid(1));
        }
    }

    void hiddenSlotIsStoredEmptyShownSlotsAsRead()
    {
        TestFiles files;
        DefinitionRecord r = record(1, -1);
        std::memcpy(r.data() + kvd::processName(4).offset, "ABC\0\0\0\0\0\0\0", 10);
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        Harness h;
        h.open(path);
        h.form.FileSaveClick();

        const QByteArray out = TestFiles::read(path);
        QCOMPARE(bytesAt(out, kvd::processName(4)), QByteArray("\0BC\0\0\0\0\0\0\0", 10));
        for (int slot : {1, 2})
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), bytesAt(r.toBytes(), f));
        for (TextField f : slotFields(3))
            QCOMPARE(out.at(f.offset), '\0');
    }

    // Damaged codes: no terminator, control characters, bytes above 127. Every shown code
    // must come back byte for byte.
    void shownCodesRoundTripByteForByte()
    {
        QRandomGenerator random(4711);
        QByteArray bytes = record(2, 1).toBytes();
        for (int slot = 1; slot <= 5; ++slot) {
            int n = 0;
            for (TextField f : slotFields(slot)) {
                const int length = n++ % 3 == 0 ? 10 : int(random.bounded(10));
                for (int i = 0; i < f.size; ++i)
                    bytes[f.offset + i] = char(i == length ? 0 : 1 + random.bounded(255));
            }
        }
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), bytes);
        Harness h;
        h.open(path);
        QVERIFY(!h.form.Modified);
        h.form.FileSaveClick();
        const QByteArray out = TestFiles::read(path);
        QCOMPARE(out.mid(780, 6), bytes.mid(780, 6));
        for (int slot = 1; slot <= 5; ++slot)
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), bytesAt(bytes, f));
    }

    void nextFileLeavesNothingOfThePrevious_data()
    {
        QTest::addColumn<int>("secondCut");
        QTest::addColumn<int>("secondScribe");
        QTest::newRow("one cut") << 0 << -1;
        QTest::newRow("negative cut count") << -5 << -1;
        QTest::newRow("scribe count below -1") << 0 << -7;
    }

    void nextFileLeavesNothingOfThePrevious()
    {
        QFETCH(int, secondCut);
        QFETCH(int, secondScribe);
        TestFiles files;
        Harness h;
        Page page(h);
        h.open(files.write(QStringLiteral("first.kvd"), record(2, 1, QStringLiteral("A"))));
        QTest::keyClicks(h.widget<CodeEdit>("EditR1C3B1"), QStringLiteral("Q"));
        h.platform.answers << Platform::Answer::No;
        const QString second = files.write(QStringLiteral("second.kvd"), record(secondCut, secondScribe, QStringLiteral("B")));
        h.open(second);

        QCOMPARE(page.shownColumns(), QStringLiteral("1"));
        for (int c = 2; c <= 5; ++c)
            QVERIFY(page.empty(c));
        for (const QString &t : page.texts(1))
            QVERIFY2(t.startsWith(QLatin1Char('B')), qPrintable(t));
        QVERIFY(!h.form.Modified);

        h.form.FileSaveClick();
        const QByteArray out = TestFiles::read(second);
        for (int slot = 2; slot <= 5; ++slot)
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), QByteArray(1, '\0') + bytesAt(record(0, 0, QStringLiteral("B")).toBytes(), f).mid(1));
    }

    void lineFeedOnThePage()
    {
        TestFiles files;
        DefinitionRecord r = record(0, -1);
        r.setText(kvd::cutSeq(2, 1, 1), QStringLiteral("G01X1234"));
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        Harness h;
        h.open(path);

        CodeEdit *name = h.widget<CodeEdit>("Process1");
        QTest::keyClick(name, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(name->text(), tag(1, 0));
        QVERIFY(!h.form.Modified);

        CodeEdit *code = h.widget<CodeEdit>("EditR2C1B1");
        code->setCursorPosition(2);
        QTest::keyClick(code, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(code->text(), QStringLiteral("G01X1234\n"));
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
