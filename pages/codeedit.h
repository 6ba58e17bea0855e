#pragma once

#include <QLineEdit>

// A single-line edit box whose maximum length limits what the user types, pastes or
// drops, but never a text the program sets: a loaded field may be one character longer
// than the box lets the user type. It admits only characters a record byte can hold.
class CodeEdit : public QLineEdit
{
    Q_OBJECT

public:
    enum class LineFeedKey { Off, On };

    CodeEdit(QWidget *parent, int limit, LineFeedKey lineFeedKey);

    int limit() const { return m_limit; }
    bool lineFeedKey() const { return m_lineFeedKey == LineFeedKey::On; }

    // Sets the text as a load does: whole, raising textChanged like any change, caret at the start.
    void loadText(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class CodeEditValidator;

    int m_limit;
    LineFeedKey m_lineFeedKey;
    bool m_loading = false;
    QString m_committed; // the text before the change being validated
};

// The key handler of every code box: Ctrl alone with Enter appends a line feed when the
// text is shorter than the box's maximum length, and moves the caret one place on.
// Returns whether it changed the text.
bool InsertLineFeed(CodeEdit &sender, int key, Qt::KeyboardModifiers modifiers);
