#pragma once

#include <QLineEdit>

// A single-line edit box whose maximum length limits what the user types, pastes or
// drops, but never a text the program sets: a loaded field may be one character longer
// than the box lets the user type. It admits only characters a record byte can hold.
// Its own undo is left unused: Ctrl+Z and Ctrl+Y go on to its parent, for the document's
// one history.
class CodeEdit : public QLineEdit
{
    Q_OBJECT

public:
    enum class LineFeedKey { Off, On };
    // How the user changed the text; keystrokes of one run of typing become one step.
    enum class Change { Typing, Paste, Cut, Delete, LineFeed };

    CodeEdit(QWidget *parent, int limit, LineFeedKey lineFeedKey);

    int limit() const { return m_limit; }
    bool lineFeedKey() const { return m_lineFeedKey == LineFeedKey::On; }

    // Sets the text as a load does: whole, raising textChanged but not edited(), caret at the start.
    void loadText(const QString &text);
    // Sets the text whole, past the limit if need be, reported as the user's change `kind`.
    void setEditedText(const QString &text, Change kind);

signals:
    // The user changed the text; `before` is what it was.
    void edited(const QString &before, CodeEdit::Change kind);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    friend class CodeEditValidator;

    int m_limit;
    LineFeedKey m_lineFeedKey;
    bool m_loading = false; // the validator lets the text through whole
    bool m_quiet = false;   // the change is not the user's
    // What a change outside a key press is: text dropped or pasted with the mouse.
    Change m_kind = Change::Paste;
    QString m_committed; // the text before the change being validated
};

// The key handler of every code box: Ctrl alone with Enter appends a line feed when the
// text is shorter than the box's maximum length, and moves the caret one place on.
// Returns whether it changed the text.
bool InsertLineFeed(CodeEdit &sender, int key, Qt::KeyboardModifiers modifiers);
