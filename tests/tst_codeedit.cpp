#include "pages/codeedit.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

class CodeEditTest : public QObject
{
    Q_OBJECT
private slots:
    // One keystroke or paste into a box of limit 9 (a name box has no line-feed key).
    void keys_data()
    {
        QTest::addColumn<bool>("nameBox");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("paste"); // null: press `key` with `modifiers`
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("caret");
        const int ret = Qt::Key_Return, ctrl = Qt::ControlModifier;
        const QString none;
        auto row = [&](const char *name, bool nameBox, const char *text, int start, int length, const QString &paste,
                       int key, int modifiers, const QString &expected, int caret) {
            QTest::newRow(name) << nameBox << QString::fromLatin1(text) << start << length << paste << key << modifiers
                                << expected << caret;
        };
        row("8 characters, Ctrl+Enter", false, "G01X1234", 8, 0, none, ret, ctrl, QStringLiteral("G01X1234\n"), 9);
        row("9 characters, Ctrl+Enter", false, "G01X12345", 9, 0, none, ret, ctrl, QStringLiteral("G01X12345"), 9);
        row("caret in the middle", false, "G01X", 2, 0, none, ret, ctrl, QStringLiteral("G01X\n"), 3);
        row("selection not replaced", false, "G01X", 1, 2, none, ret, ctrl, QStringLiteral("G01X\n"), 2);
        row("keypad Enter", false, "M3", 2, 0, none, Qt::Key_Enter, ctrl | Qt::KeypadModifier, QStringLiteral("M3\n"), 3);
        row("Shift+Ctrl+Enter", false, "M3", 1, 0, none, ret, ctrl | Qt::ShiftModifier, QStringLiteral("M3"), 1);
        row("Alt+Ctrl+Enter", false, "M3", 1, 0, none, ret, ctrl | Qt::AltModifier, QStringLiteral("M3"), 1);
        row("plain Enter", false, "M3", 1, 0, none, ret, 0, QStringLiteral("M3"), 1);
        row("name box, Ctrl+Enter", true, "CUT1", 4, 0, none, ret, ctrl, QStringLiteral("CUT1"), 4);
        row("loaded 10, Ctrl+Enter", false, "ABCDEFGHIJ", 10, 0, none, ret, ctrl, QStringLiteral("ABCDEFGHIJ"), 10);
        row("typed into 8", false, "G01X1234", 8, 0, none, Qt::Key_5, 0, QStringLiteral("G01X12345"), 9);
        row("typed into 9", false, "G01X12345", 3, 0, none, Qt::Key_Y, 0, QStringLiteral("G01X12345"), 3);
        row("typed into a loaded 10", true, "ABCDEFGHIJ", 10, 0, none, Qt::Key_K, 0, QStringLiteral("ABCDEFGHIJ"), 10);
        row("typed over a selection of a full box", false, "G01X12345", 0, 3, none, Qt::Key_M, 0,
            QStringLiteral("mX12345"), 1);
        row("paste longer than the room", false, "123456", 6, 0, QStringLiteral("abcdefgh"), 0, 0,
            QStringLiteral("123456abc"), 9);
        row("paste in the middle", false, "123456", 2, 0, QStringLiteral("abcdef"), 0, 0, QStringLiteral("12abc3456"), 5);
        row("paste over a selection", false, "12345678", 3, 2, QStringLiteral("abcdef"), 0, 0,
            QStringLiteral("123abc678"), 6);
        row("paste into a full box", true, "123456789", 4, 0, QStringLiteral("ab"), 0, 0, QStringLiteral("123456789"), 4);
        row("Latin-1 letter", false, "G0", 2, 0, QString(QChar(0xE9)), 0, 0, QStringLiteral("G0") + QChar(0xE9), 3);
        row("character no byte holds", false, "G0", 2, 0, QString(QChar(0x20AC)), 0, 0, QStringLiteral("G0"), 2);
    }

    void keys()
    {
        QFETCH(bool, nameBox);
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, paste);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        QFETCH(int, caret);
        QWidget window;
        auto *edit = new CodeEdit(&window, 9, nameBox ? CodeEdit::LineFeedKey::Off : CodeEdit::LineFeedKey::On);
        window.show();
        edit->loadText(text);
        QCOMPARE(edit->text(), text); // a load is never cut
        edit->setCursorPosition(selStart);
        if (selLength)
            edit->setSelection(selStart, selLength);
        QSignalSpy changes(edit, &QLineEdit::textChanged);

        if (!paste.isNull()) {
            QApplication::clipboard()->setText(paste);
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        }
        QCOMPARE(edit->text(), expected);
        QCOMPARE(edit->cursorPosition(), caret);
        QVERIFY(!edit->hasSelectedText() || expected == text);
        // A refused keystroke changes nothing, so it must not mark the document modified.
        QCOMPARE(changes.count() > 0, expected != text);
    }

    void limitIsTheBoxOwn()
    {
        QWidget window;
        CodeEdit edit(&window, 19, CodeEdit::LineFeedKey::On);
        edit.loadText(QStringLiteral("ABCDEFGHIJKLMNOPQR"));
        QVERIFY(InsertLineFeed(edit, Qt::Key_Return, Qt::ControlModifier));
        QCOMPARE(edit.text().size(), 19);
        QVERIFY(!InsertLineFeed(edit, Qt::Key_Return, Qt::ControlModifier));
    }
};

QTEST_MAIN(CodeEditTest)
#include "tst_codeedit.moc"
