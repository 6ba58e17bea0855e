#include "pages/codeedit.h"
#include "pages/codestab.h"
#include "support/harness.h"

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

using kvd::DefinitionRecord;
using kvd::Field;
using kvd::TextField;

namespace {

// The 13 fields of one point slot.
QList<TextField> slotFields(int slot)
{
    QList<TextField> fields{kvd::processName(slot), kvd::beforeProcess(slot), kvd::afterProcess(slot)};
    for (int box = 1; box <= 4; ++box)
        fields << kvd::activateSeq(box, slot);
    for (int box = 1; box <= 3; ++box)
        fields << kvd::offsetOn(box, slot) << kvd::offsetOff(box, slot);
    return fields;
}

QString tag(const QString &prefix, int slot, int index)
{
    return prefix + QStringLiteral("p%1f%2").arg(slot).arg(index);
}

// Every point field tagged with its slot; the cut page shows all its slots, so its store keeps them.
DefinitionRecord record(int pointIndex, const QString &prefix = QString())
{
    DefinitionRecord r;
    r.setInteger(Field::CutProcessIndex, 2);
    r.setInteger(Field::ScribeProcessIndex, 1);
    r.setInteger(Field::PointProcessIndex, qint16(pointIndex));
    for (int slot = kvd::FirstPointSlot; slot <= kvd::LastPointSlot; ++slot) {
        const QList<TextField> fields = slotFields(slot);
        for (int i = 0; i < fields.size(); ++i)
            r.setText(fields[i], tag(prefix, slot, i));
    }
    return r;
}

QByteArray bytesAt(const QByteArray &file, TextField f)
{
    return file.mid(f.offset, f.size);
}

QSet<QString> slotTexts(int slot, const QString &prefix = QString())
{
    QSet<QString> texts;
    for (int i = 0; i < 13; ++i)
        texts << tag(prefix, slot, i);
    return texts;
}

struct Page {
    Harness &h;
    CodesTab &tab;
    explicit Page(Harness &harness) : h(harness), tab(*harness.form.CodesTabPage) {}

    QSet<QString> texts(int c) const
    {
        QSet<QString> result;
        for (int i = 0; i < tab.column(c).size(); ++i)
            result << tab.column(c).box(i)->text();
        return result;
    }
    bool empty(int c) const { return texts(c) == QSet<QString>{QString()}; }
    QAction *add() const { return h.action("AddPointProcess"); }
    QAction *del() const { return h.action("DelPointProcess"); }

    // The column states and menu items that a count in -1..4 stands for. After a stored
    // count below -1, Add keeps the state the previous file left.
    void checkInvariant(int k, bool addKnown = true) const
    {
        const QColor white(Qt::white), face = tab.palette().color(QPalette::Button);
        const ProcessColumn &first = tab.column(1);
        for (int i = 0; i < first.size(); ++i) {
            QVERIFY(!first.box(i)->isHidden());
            QCOMPARE(first.box(i)->isEnabledTo(&tab), k >= 0);
            QCOMPARE(first.box(i)->palette().color(QPalette::Base), k >= 0 ? white : face);
        }
        for (int c = 2; c <= 5; ++c) {
            const ProcessColumn &col = tab.column(c);
            for (int i = 0; i < col.size(); ++i) {
                QCOMPARE(!col.box(i)->isHidden(), k >= c - 1);
                QVERIFY(col.box(i)->isEnabledTo(&tab));
                QCOMPARE(col.box(i)->palette().color(QPalette::Base), white);
            }
        }
        for (int c = k + 2; c <= 5; ++c)
            QVERIFY2(empty(c), qPrintable(QString::number(c)));
        if (addKnown)
            QCOMPARE(add()->isEnabled(), k < 4);
        QCOMPARE(del()->isEnabled(), k >= 0);
    }
};

} // namespace

class CodesTest : public QObject
{
    Q_OBJECT
private slots:
    void gridLayout()
    {
        Harness h;
        Page page(h);
        const QList<CodeEdit *> boxes = page.tab.findChildren<CodeEdit *>();
        QCOMPARE(boxes.size(), 65);
        int codeBoxes = 0;
        for (CodeEdit *b : boxes) {
            QCOMPARE(b->limit(), 9);
            QCOMPARE(b->size(), QSize(81, 21));
            codeBoxes += b->lineFeedKey();
        }
        QCOMPARE(codeBoxes, 60);
        QVERIFY(!h.widget<CodeEdit>("PCProcess4")->lineFeedKey());
        QCOMPARE(h.widget<CodeEdit>("PCEditR1C1B4")->pos(), QPoint(112, 100));
        QCOMPARE(h.widget<CodeEdit>("PCEditR2C2B3")->pos(), QPoint(216, 170));
        QCOMPARE(h.widget<CodeEdit>("PCEditR3C4B1")->pos(), QPoint(424, 200));
        QCOMPARE(h.widget<CodeEdit>("APCol5Edit")->pos(), QPoint(528, 290));
        QCOMPARE(h.widget<CodeEdit>("BPCol3Edit")->pos(), QPoint(320, 270));

        const QStringList captions{QStringLiteral("Activate Seq."), QStringLiteral("Offset On"),
                                   QStringLiteral("Offset Off"), QStringLiteral("Before Process"),
                                   QStringLiteral("After Process")};
        const QList<int> tops{42, 132, 202, 272, 292};
        const QList<QLabel *> labels = page.tab.findChildren<QLabel *>();
        QCOMPARE(labels.size(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(labels[i]->text(), captions[i]);
            QCOMPARE(labels[i]->pos(), QPoint(24, tops[i]));
        }

        QStringList order;
        QWidget *w = h.widget<CodeEdit>("PCProcess1");
        for (int i = 0; i < 65; ++i, w = w->nextInFocusChain())
            order << w->objectName();
        const QList<std::pair<int, const char *>> positions{
            {0, "PCProcess1"}, {4, "PCEditR1C1B4"}, {5, "PCEditR2C1B1"}, {10, "PCEditR3C1B3"},
            {11, "BPCol1Edit"}, {12, "APCol1Edit"}, {13, "PCProcess2"}, {27, "PCEditR1C3B1"}, {64, "APCol5Edit"}};
        for (const auto &[position, name] : positions)
            QCOMPARE(order[position], QLatin1String(name));

        // Before any file: the placeholder column, and no command to change it.
        page.checkInvariant(-1, false);
        QVERIFY(!page.add()->isEnabled());
    }

    void boxesBoundToWorkedOffsets_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("offset");
        QTest::newRow("PCProcess1") << "PCProcess1" << 836;
        QTest::newRow("PCEditR1C3B2") << "PCEditR1C3B2" << 1854;
        QTest::newRow("PCEditR2C1B1") << "PCEditR2C1B1" << 2034;
        QTest::newRow("PCEditR3C5B3") << "PCEditR3C5B3" << 2574;
        QTest::newRow("BPCol1Edit") << "BPCol1Edit" << 2634;
        QTest::newRow("APCol2Edit") << "APCol2Edit" << 2744;
    }

    void boxesBoundToWorkedOffsets()
    {
        QFETCH(QString, box);
        QFETCH(int, offset);
        TestFiles files;
        DefinitionRecord r = record(4);
        r.setText(TextField{offset, 10}, QStringLiteral("HERE"));
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), r));
        auto *edit = h.form.CodesTabPage->findChild<CodeEdit *>(box);
        QVERIFY(edit);
        QCOMPARE(edit->text(), QStringLiteral("HERE"));
        QTest::keyClicks(edit, QStringLiteral("X"));
        const QString saved = files.path(QStringLiteral("b.kvd"));
        h.saveAs(saved);
        QCOMPARE(bytesAt(TestFiles::read(saved), TextField{offset, 10}).left(6), QByteArray("HEREX\0", 6));
    }

    void loadFollowsCount_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("k"); // the state the page must show; -2 for "no column, Add as it was"
        for (int k = -1; k <= 4; ++k)
            QTest::addRow("count %d", k) << k << k;
        QTest::newRow("5 shows five") << 5 << 4;
        QTest::newRow("32767 shows five") << 32767 << 4;
        QTest::newRow("-2 shows none") << -2 << -2;
        QTest::newRow("-32768 shows none") << -32768 << -2;
    }

    void loadFollowsCount()
    {
        QFETCH(int, stored);
        QFETCH(int, k);
        TestFiles files;
        Harness h;
        Page page(h);
        QSignalSpy fifth(h.widget<CodeEdit>("PCProcess5"), &QLineEdit::textChanged);
        const QString path = files.write(QStringLiteral("a.kvd"), record(stored));
        h.open(path);

        QCOMPARE(h.form.findChild<QAction *>(QStringLiteral("DelPointProcess"))->isEnabled(), k >= 0);
        page.checkInvariant(qMax(k, -1), k >= -1);
        for (int c = 1; c <= k + 1; ++c)
            QCOMPARE(page.texts(c), slotTexts(c + 5));
        // Column 5 is filled once however large the count.
        QCOMPARE(fifth.count(), k == 4 ? 1 : 0);
        QVERIFY(!h.form.Modified);

        // The count goes back as read, even without an edit.
        h.form.FileSaveClick();
        const QByteArray out = TestFiles::read(path);
        QCOMPARE(int(DefinitionRecord::fromBytes(out).integer(Field::PointProcessIndex)), stored);
    }

    void negativeCountKeepsAddAsItWas()
    {
        TestFiles files;
        Harness h;
        Page page(h);
        h.open(files.write(QStringLiteral("a.kvd"), record(4)));
        QVERIFY(!page.add()->isEnabled());
        h.open(files.write(QStringLiteral("b.kvd"), record(-9)));
        QVERIFY(!page.add()->isEnabled());
        QVERIFY(!page.del()->isEnabled());
        h.open(files.write(QStringLiteral("c.kvd"), record(-1)));
        h.open(files.write(QStringLiteral("d.kvd"), record(-9)));
        QVERIFY(page.add()->isEnabled());
        page.checkInvariant(-1);
    }

    void commandsKeepInvariant_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("commands"); // + Add, - Delete
        QTest::addColumn<bool>("modified");

        QTest::newRow("none, add") << -1 << "+" << false;
        QTest::newRow("none, five adds") << -1 << "+++++" << false;
        QTest::newRow("five adds, five deletes") << -1 << "+++++-----" << false;
        QTest::newRow("three filled, delete") << 2 << "-" << true;
        QTest::newRow("three filled, delete, add") << 2 << "-+" << true;
        QTest::newRow("one filled, delete") << 0 << "-" << true;
        QTest::newRow("five filled, delete") << 4 << "-" << true;
        QTest::newRow("five filled, all deleted") << 4 << "-----" << true;
        QTest::newRow("added column deleted") << 1 << "+-" << false;
        QTest::newRow("one, add, delete twice") << 0 << "+--" << true;
    }

    void commandsKeepInvariant()
    {
        QFETCH(int, start);
        QFETCH(QString, commands);
        QFETCH(bool, modified);
        TestFiles files;
        Harness h;
        Page page(h);
        h.open(files.write(QStringLiteral("a.kvd"), record(start)));

        int k = start;
        QList<QSet<QString>> kept;
        for (const QChar command : commands) {
            QAction *action = command == QLatin1Char('+') ? page.add() : page.del();
            QVERIFY(action->isEnabled());
            action->trigger();
            k += command == QLatin1Char('+') ? 1 : -1;
            page.checkInvariant(k);
            QCOMPARE(h.form.CodesTabPage->column(1).box(0)->isEnabled(), k >= 0);
        }
        QCOMPARE(h.form.Modified, modified);
        // Columns still in use from the file keep their codes; re-added ones are empty.
        int lowest = start;
        for (int i = 0, j = start; i < commands.size(); ++i) {
            j += commands[i] == QLatin1Char('+') ? 1 : -1;
            lowest = qMin(lowest, j);
        }
        for (int c = 1; c <= k + 1; ++c) {
            if (c <= lowest + 1)
                QCOMPARE(page.texts(c), slotTexts(c + 5));
            else
                QVERIFY(page.empty(c));
        }
    }

    void deleteOfEmptyColumnLeavesCleanDocument()
    {
        TestFiles files;
        DefinitionRecord r = record(1);
        for (TextField f : slotFields(7))
            r.setText(f, QString());
        Harness h;
        Page page(h);
        h.open(files.write(QStringLiteral("a.kvd"), r));
        page.del()->trigger();
        QVERIFY(!h.form.Modified);
        QVERIFY(!h.form.findChild<QAction *>(QStringLiteral("FileSave"))->isEnabled());
        // One non-empty box is enough.
        h.widget<CodeEdit>("PCEditR3C1B2")->setText(QString());
        QVERIFY(h.form.Modified);
        h.form.FileSaveClick();
        QVERIFY(!h.form.Modified);
        page.del()->trigger(); // column 1 still holds codes
        page.checkInvariant(-1);
        QVERIFY(h.form.Modified);
    }

    void nextFileLeavesNothingOfThePrevious_data()
    {
        QTest::addColumn<int>("second");
        QTest::newRow("none") << -1;
        QTest::newRow("one") << 0;
        QTest::newRow("count below -1") << -3;
    }

    void nextFileLeavesNothingOfThePrevious()
    {
        QFETCH(int, second);
        TestFiles files;
        Harness h;
        Page page(h);
        h.open(files.write(QStringLiteral("five.kvd"), record(4, QStringLiteral("A"))));
        QTest::keyClicks(h.widget<CodeEdit>("PCEditR2C5B1"), QStringLiteral("Q"));
        h.platform.answers << Platform::Answer::No;
        const QString path = files.write(QStringLiteral("next.kvd"), record(second, QStringLiteral("B")));
        h.open(path);

        page.checkInvariant(qMax(second, -1), second >= -1);
        for (int c = 1; c <= 5; ++c)
            for (const QString &t : page.texts(c))
                QVERIFY2(!t.startsWith(QLatin1Char('A')), qPrintable(t));
        QVERIFY(!h.form.Modified);

        // Saving the second file writes its unused slots empty, never the first file's codes.
        h.form.FileSaveClick();
        const QByteArray out = TestFiles::read(path);
        const QByteArray read = record(second, QStringLiteral("B")).toBytes();
        for (int slot = 6 + qMax(second + 1, 0); slot <= 10; ++slot)
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), QByteArray(1, '\0') + bytesAt(read, f).mid(1));
    }

    void saveAfterDeleteEmptiesRemovedSlot()
    {
        TestFiles files;
        const DefinitionRecord r = record(2);
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        Harness h;
        h.open(path);
        h.action("DelPointProcess")->trigger();
        QVERIFY(h.form.Modified);
        h.form.FileSaveClick();

        const QByteArray out = TestFiles::read(path);
        QCOMPARE(int(DefinitionRecord::fromBytes(out).integer(Field::PointProcessIndex)), 1);
        for (TextField f : slotFields(8))
            QCOMPARE(bytesAt(out, f), QByteArray(1, '\0') + bytesAt(r.toBytes(), f).mid(1));
        for (int slot : {6, 7})
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), bytesAt(r.toBytes(), f));
    }

    void slotsBeyondCountAreStoredEmpty()
    {
        TestFiles files;
        const DefinitionRecord r = record(1);
        Harness h;
        h.open(files.write(QStringLiteral("a.kvd"), r));
        const QString saved = files.path(QStringLiteral("b.kvd"));
        h.saveAs(saved);
        const QByteArray out = TestFiles::read(saved);
        int cleared = 0;
        for (int slot = 8; slot <= 10; ++slot)
            for (TextField f : slotFields(slot)) {
                QCOMPARE(bytesAt(out, f), QByteArray(1, '\0') + bytesAt(r.toBytes(), f).mid(1));
                ++cleared;
            }
        QCOMPARE(cleared, 39);
    }

    void addThenExitOrSaveAs()
    {
        TestFiles files;
        const DefinitionRecord r = record(0);
        const QString path = files.write(QStringLiteral("a.kvd"), r);
        {
            Harness h;
            h.open(path);
            h.action("AddPointProcess")->trigger();
            h.form.ExitMenuItemClick();
            QVERIFY(h.platform.texts(ScriptedPlatform::Shown::Prompt).isEmpty());
            QCOMPARE(TestFiles::read(path), r.toBytes());
        }
        Harness h;
        h.open(path);
        h.action("AddPointProcess")->trigger();
        const QString saved = files.path(QStringLiteral("b.kvd"));
        h.saveAs(saved);
        const QByteArray out = TestFiles::read(saved);
        QCOMPARE(int(DefinitionRecord::fromBytes(out).integer(Field::PointProcessIndex)), 1);
        for (TextField f : slotFields(7))
            QCOMPARE(out.at(f.offset), '\0');
    }

    // A shown field keeps every byte: text, its zero, and whatever follows the zero;
    // so do unterminated, control-character and high-byte codes.
    void shownFieldsRoundTrip()
    {
        QByteArray bytes = record(4).toBytes();
        const TextField slot7 = kvd::activateSeq(2, 7);
        std::memcpy(bytes.data() + slot7.offset, "abc\0\x7f\xff\x01xy\x80", 10);
        const TextField full = kvd::offsetOff(3, 10);
        std::memcpy(bytes.data() + full.offset, "\n\r\t\xe9\xa0\x1b\x7f\xfe\x02Z", 10);
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), bytes);
        Harness h;
        h.open(path);
        QCOMPARE(h.widget<CodeEdit>("PCEditR1C2B2")->text(), QStringLiteral("abc"));
        QCOMPARE(h.widget<CodeEdit>("PCEditR3C5B3")->text().size(), 10);
        h.form.FileSaveClick();
        const QByteArray out = TestFiles::read(path);
        QCOMPARE(out.mid(784, 2), bytes.mid(784, 2));
        for (int slot = 6; slot <= 10; ++slot)
            for (TextField f : slotFields(slot))
                QCOMPARE(bytesAt(out, f), bytesAt(bytes, f));
    }
};

QTEST_MAIN(CodesTest)
#include "tst_codes.moc"
