#include "codeedit.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
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
    connect(this, &QLineEdit::textChanged, this, [this](const QString &t) {
        const QString before = m_committed;
        m_committed = t;
        if (!m_quiet)
            emit edited(before, m_kind);
    });
}

void CodeEdit::loadText(const QString &text)
{
    // Reloading the text a box already holds, with nothing to undo, would change nothing
    // but cost a text layout; most boxes of a reopened page are empty both times.
    if (text == this->text() && !isUndoAvailable() && !isRedoAvailable()) {
        setCursorPosition(0);
        return;
    }
    m_loading = m_quiet = true;
    setText(text);
    m_loading = m_quiet = false;
    // A loaded text that does not fit the box shows its start, not its tail.
    setCursorPosition(0);
}

void CodeEdit::setEditedText(const QString &text, Change kind)
{
    const Change resting = m_kind;
    m_kind = kind;
    m_loading = true;
    setText(text);
    m_loading = false;
    m_kind = resting;
}

void CodeEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        event->ignore();
        return;
    }
    if (lineFeedKey() && InsertLineFeed(*this, event->key(), event->modifiers())) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    m_kind = event->matches(QKeySequence::Paste) ? Change::Paste
           : event->matches(QKeySequence::Cut)   ? Change::Cut
                                                 : Change::Typing;
    QLineEdit::keyPressEvent(event);
    m_kind = Change::Paste;
}

void CodeEdit::inputMethodEvent(QInputMethodEvent *event)
{
    m_kind = Change::Typing;
    QLineEdit::inputMethodEvent(event);
    m_kind = Change::Paste;
}

void CodeEdit::contextMenuEvent(QContextMenuEvent *event)
{
    // The box's own Undo and Redo would disagree with the document's history: they go.
    // Cut, Paste and Delete stay, each reported as the step it is.
    QMenu *menu = createStandardContextMenu();
    QAction *previous = nullptr;
    for (QAction *action : menu->actions()) {
        const QString name = action->objectName();
        if (name == QLatin1String("edit-undo") || name == QLatin1String("edit-redo")
            || (action->isSeparator() && !previous)) {
            menu->removeAction(action);
            continue;
        }
        previous = action;
        const Change kind = name == QLatin1String("edit-cut")     ? Change::Cut
                          : name == QLatin1String("edit-paste")   ? Change::Paste
                          : name == QLatin1String("edit-delete")  ? Change::Delete
                                                                  : Change::Typing;
        if (kind == Change::Typing)
            continue;
        auto *replacement = new QAction(action->text(), menu);
        replacement->setEnabled(action->isEnabled());
        replacement->setObjectName(name);
        connect(replacement, &QAction::triggered, this, [this, kind] {
            m_kind = kind;
            if (kind == Change::Cut)
                cut();
            else if (kind == Change::Paste)
                paste();
            else
                del();
            m_kind = Change::Paste;
        });
        menu->insertAction(action, replacement);
        menu->removeAction(action);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
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
    sender.setEditedText(text + QLatin1Char('\n'), CodeEdit::Change::LineFeed);
    sender.setCursorPosition(caret + 1);
    return true;
}
