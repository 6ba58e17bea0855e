#include "pages/codeedit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)
Q_DECLARE_METATYPE(Qt::Key)

namespace {

const QString LF = QStringLiteral("\n");

struct Box {
    QWidget window;
    CodeEdit *edit;

    Box(int limit, CodeEdit::LineFeedKey key, const QString &loaded)
    {
        edit = new CodeEdit(&window, limit, key);
        window.show();
        edit->setFocus();
        edit->loadText(loaded);
    }
};

// Key by key, as typing does; QTest::keyClicks takes ASCII only.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

class CodeEditTest : public QObject
{
    Q_OBJECT
private slots:
    void lineFeedKey_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("codeBox");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength"); // 0: caret at selStart
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("expectedCaret");

        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        QTest::newRow("8 characters") << 9 << true << "G01X1234" << 8 << 0 << Qt::Key_Return << ctrl
                                      << "G01X1234\n" << 9;
        QTest::newRow("9 characters") << 9 << true << "G01X12345" << 9 << 0 << Qt::Key_Return << ctrl
                                      << "G01X12345" << 9;
        QTest::newRow("caret in the middle") << 9 << true << "G01X" << 2 << 0 << Qt::Key_Return << ctrl << "G01X\n" << 3;
        QTest::newRow("caret at the start") << 9 << true << "G01X" << 0 << 0 << Qt::Key_Return << ctrl << "G01X\n" << 1;
        QTest::newRow("selection is kept, caret after its start")
            << 9 << true << "G01X" << 1 << 2 << Qt::Key_Return << ctrl << "G01X\n" << 2;
        QTest::newRow("empty box") << 9 << true << "" << 0 << 0 << Qt::Key_Return << ctrl << "\n" << 1;
        QTest::newRow("keypad Enter") << 9 << true << "M3" << 2 << 0 << Qt::Key_Enter
                                      << (ctrl | Qt::KeypadModifier) << "M3\n" << 3;
        QTest::newRow("Shift+Ctrl+Enter") << 9 << true << "M3" << 2 << 0 << Qt::Key_Return
                                          << (ctrl | Qt::ShiftModifier) << "M3" << 2;
        QTest::newRow("Ctrl+Alt+Enter") << 9 << true << "M3" << 2 << 0 << Qt::Key_Return << (ctrl | Qt::AltModifier)
                                        << "M3" << 2;
        QTest::newRow("plain Enter") << 9 << true << "M3" << 2 << 0 << Qt::Key_Return
                                     << Qt::KeyboardModifiers() << "M3" << 2;
        QTest::newRow("Ctrl+J is not Enter") << 9 << true << "M3" << 2 << 0 << Qt::Key_J << ctrl << "M3" << 2;
        QTest::newRow("name box") << 9 << false << "CUT1" << 4 << 0 << Qt::Key_Return << ctrl << "CUT1" << 4;
        QTest::newRow("loaded 10 characters") << 9 << true << "ABCDEFGHIJ" << 10 << 0 << Qt::Key_Return << ctrl
                                              << "ABCDEFGHIJ" << 10;
        QTest::newRow("the box's own limit: 18 of 19") << 19 << true << "ABCDEFGHIJKLMNOPQR" << 18 << 0
                                                       << Qt::Key_Return << ctrl << "ABCDEFGHIJKLMNOPQR\n" << 19;
    }

    void lineFeedKey()
    {
        QFETCH(int, limit);
        QFETCH(bool, codeBox);
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, expected);
        QFETCH(int, expectedCaret);

        Box box(limit, codeBox ? CodeEdit::LineFeedKey::On : CodeEdit::LineFeedKey::Off, text);
        if (selLength)
            box.edit->setSelection(selStart, selLength);
        else
            box.edit->setCursorPosition(selStart);
        QSignalSpy changes(box.edit, &QLineEdit::textChanged);

        QTest::keyClick(box.edit, key, modifiers);

        QCOMPARE(box.edit->text(), expected);
        QCOMPARE(box.edit->cursorPosition(), expectedCaret);
        QVERIFY(!box.edit->hasSelectedText() || text == expected);
        QCOMPARE(changes.count(), text == expected ? 0 : 1);
    }

    // The handler itself, as other pages' key paths call it.
    void insertLineFeedReportsChange()
    {
        Box box(9, CodeEdit::LineFeedKey::On, QStringLiteral("12345678"));
        QVERIFY(InsertLineFeed(*box.edit, Qt::Key_Return, Qt::ControlModifier));
        QCOMPARE(box.edit->text(), QStringLiteral("12345678") + LF);
        QVERIFY(!InsertLineFeed(*box.edit, Qt::Key_Return, Qt::ControlModifier));
        QCOMPARE(box.edit->text().size(), 9);
    }

    void typingLimit_data()
    {
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<bool>("paste"); // else typed key by key
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("expectedCaret");

        QTest::newRow("typed into 8") << "G01X1234" << 8 << 0 << false << "5" << "G01X12345" << 9;
        QTest::newRow("typed into 9") << "G01X12345" << 9 << 0 << false << "6" << "G01X12345" << 9;
        QTest::newRow("typed into the middle of 9") << "G01X12345" << 3 << 0 << false << "Y" << "G01X12345" << 3;
        QTest::newRow("typed over a selection of a full box")
            << "G01X12345" << 0 << 3 << false << "G00" << "G00X12345" << 3;
        QTest::newRow("typed into a loaded 10") << "ABCDEFGHIJ" << 10 << 0 << false << "K" << "ABCDEFGHIJ" << 10;
        QTest::newRow("paste longer than the room") << "123456" << 6 << 0 << true << "abcdefgh" << "123456abc" << 9;
        QTest::newRow("paste in the middle") << "123456" << 2 << 0 << true << "abcdef" << "12abc3456" << 5;
        QTest::newRow("paste over a selection") << "12345678" << 3 << 2 << true << "abcdef" << "123abc678" << 6;
        QTest::newRow("paste into a full box") << "123456789" << 4 << 0 << true << "ab" << "123456789" << 4;
        QTest::newRow("Latin-1 letter accepted") << "G0" << 2 << 0 << false << QString(QChar(0xE9))
                                                 << QStringLiteral("G0") + QChar(0xE9) << 3;
        QTest::newRow("character no byte can hold") << "G0" << 2 << 0 << true << QString(QChar(0x20AC)) << "G0" << 2;
    }

    void typingLimit()
    {
        QFETCH(QString, loaded);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(bool, paste);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QFETCH(int, expectedCaret);

        Box box(9, CodeEdit::LineFeedKey::On, loaded);
        QCOMPARE(box.edit->text(), loaded); // a load is never cut
        box.edit->setSelection(selStart, selLength);
        if (!selLength)
            box.edit->setCursorPosition(selStart);
        QSignalSpy changes(box.edit, &QLineEdit::textChanged);

        if (paste) {
            QApplication::clipboard()->setText(input);
            QTest::keyClick(box.edit, Qt::Key_V, Qt::ControlModifier);
        } else {
            type(box.edit, input);
        }

        QCOMPARE(box.edit->text(), expected);
        QCOMPARE(box.edit->cursorPosition(), expectedCaret);
        // A refused keystroke is no change: it must not reach the modified state.
        if (expected == loaded)
            QCOMPARE(changes.count(), 0);
        else
            QVERIFY(changes.count() >= 1);
    }

    void shortenedLoadedTextIsLimitedAgain()
    {
        Box box(9, CodeEdit::LineFeedKey::On, QStringLiteral("ABCDEFGHIJ"));
        QTest::keyClick(box.edit, Qt::Key_Backspace);
        QCOMPARE(box.edit->text(), QStringLiteral("ABCDEFGHI"));
        QTest::keyClicks(box.edit, QStringLiteral("Z"));
        QCOMPARE(box.edit->text(), QStringLiteral("ABCDEFGHI"));
    }

    void refusedKeystrokeKeepsUndo()
    {
        Box box(9, CodeEdit::LineFeedKey::On, QString());
        QTest::keyClicks(box.edit, QStringLiteral("123456789"));
        QTest::keyClicks(box.edit, QStringLiteral("0"));
        QTest::keyClick(box.edit, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(box.edit->text().size() < 9);
    }
};

QTEST_MAIN(CodeEditTest)
#include "tst_codeedit.moc"
