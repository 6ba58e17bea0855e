#include "codeedit.h"

#include <QKeyEvent>
#include <QValidator>

class CodeEditValidator : public QValidator
{
public:
    explicit CodeEditValidator(CodeEdit *edit) : QValidator(edit), m_edit(edit) {}

    State validate(QString &input, int &pos) const override
    {
        if (m_edit->m_loading)
            return Acceptable;
        const qsizetype proposed = input.size();
        // A record stores one byte per character; anything else would be saved changed.
        for (int i = int(input.size()) - 1; i >= 0; --i) {
            const char16_t c = input.at(i).unicode();
            if (c == 0 || c > 0xFF) {
                input.remove(i, 1);
                if (i < pos)
                    --pos;
            }
        }
        const int before = int(m_edit->m_committed.size());
        const int allowed = qMax(m_edit->m_limit, before);
        if (input.size() > m_edit->m_limit && input.size() > before) {
            // Keep as much of what was just inserted (it ends at the caret) as fits.
            const int cut = qMin(int(input.size()) - allowed, pos);
            input.remove(pos - cut, cut);
            pos -= cut;
            if (input.size() > allowed)
                return Invalid;
        }
        // Nothing of the insertion is left: refusing it lets the box undo the keystroke
        // without reporting a change, so a full box does not mark the document modified.
        if (input.size() < proposed && input == m_edit->m_committed)
            return Invalid;
        return Acceptable;
    }

private:
    CodeEdit *m_edit;
};

CodeEdit::CodeEdit(QWidget *parent, int limit, LineFeedKey lineFeedKey)
    : QLineEdit(parent), m_limit(limit), m_lineFeedKey(lineFeedKey)
{
    setValidator(new CodeEditValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString &t) { m_committed = t; });
}

void CodeEdit::loadText(const QString &text)
{
    // Reloading the text a box already holds, with nothing to undo, would change nothing
    // but cost a text layout; most boxes of a reopened page are empty both times.
    if (text == this->text() && !isUndoAvailable() && !isRedoAvailable()) {
        setCursorPosition(0);
        return;
    }
    m_loading = true;
    setText(text);
    m_loading = false;
    // A loaded text that does not fit the box shows its start, not its tail.
    setCursorPosition(0);
}

void CodeEdit::keyPressEvent(QKeyEvent *event)
{
    if (lineFeedKey())
        InsertLineFeed(*this, event->key(), event->modifiers());
    QLineEdit::keyPressEvent(event);
}

bool InsertLineFeed(CodeEdit &sender, int key, Qt::KeyboardModifiers modifiers)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if ((modifiers & ~Qt::KeypadModifier) != Qt::ControlModifier)
        return false;
    const QString text = sender.text();
    if (text.size() >= sender.limit())
        return false;
    const int caret = sender.hasSelectedText() ? sender.selectionStart() : sender.cursorPosition();
    sender.loadText(text + QLatin1Char('\n'));
    sender.setCursorPosition(caret + 1);
    return true;
}
