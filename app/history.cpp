#include "history.h"

#include "pages/radiogroup.h"
#include "pages/tabpage.h"
#include "processes/pointlist.h"
#include "record/fieldlist.h"

#include <QTabWidget>
#include <QUndoStack>

namespace {

QString stepText(CodeEdit::Change kind)
{
    switch (kind) {
    case CodeEdit::Change::Typing:
        return QStringLiteral("Typing in %1");
    case CodeEdit::Change::Paste:
        return QStringLiteral("Paste in %1");
    case CodeEdit::Change::Cut:
        return QStringLiteral("Cut in %1");
    case CodeEdit::Change::Delete:
        return QStringLiteral("Delete in %1");
    case CodeEdit::Change::LineFeed:
        break;
    }
    return QStringLiteral("Line Feed in %1");
}

TabPage *pageOf(QWidget *widget)
{
    return qobject_cast<TabPage *>(widget->parentWidget());
}

bool usable(const QWidget *w)
{
    return !w->isHidden() && !w->testAttribute(Qt::WA_ForceDisabled);
}

} // namespace

bool HistoryStep::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const HistoryStep *>(other);
    if (this != m_history.m_openRun || !next->typing || next->texts.front().box != texts.front().box)
        return false;
    texts.front().after = next->texts.front().after;
    // Typed and rubbed out again: the run changed nothing, so it is no step at all.
    if (texts.front().after == texts.front().before) {
        setObsolete(true);
        m_history.m_runDropped = true;
    }
    return true;
}

void HistoryStep::undo()
{
    m_history.apply(*this, false);
}

void HistoryStep::redo()
{
    if (m_done) {
        m_done = false;
        return;
    }
    m_history.apply(*this, true);
}

DocumentHistory::DocumentHistory(QUndoStack &stack, QTabWidget &pages, NumericFormatTab &numeric,
                                 CutScribeList &cutScribe, PointList &points)
    : m_stack(stack), m_pages(pages), m_numeric(numeric), m_cutScribe(cutScribe), m_points(points)
{
}

const QString &DocumentHistory::placeOf(QWidget *widget)
{
    auto it = m_places.find(widget);
    if (it != m_places.end())
        return *it;
    // The field list's words for the field, the same the accessible names and Compare use.
    QString place;
    if (TabPage *page = pageOf(widget)) {
        const int offset = page->offsetOf(widget);
        for (const kvd::Entry &e : kvd::entries(false))
            if (e.offset == offset && e.page)
                place = QString::fromLatin1(kvd::placeName(e));
    }
    return *m_places.insert(widget, place);
}

void DocumentHistory::push(HistoryStep *step)
{
    const bool typing = step->typing;
    m_runDropped = false;
    m_stack.push(step); // may merge it into the open run and delete it
    const QUndoCommand *top = m_stack.index() > 0 ? m_stack.command(m_stack.index() - 1) : nullptr;
    m_openRun = typing && !m_runDropped ? static_cast<HistoryStep *>(const_cast<QUndoCommand *>(top)) : nullptr;
}

void DocumentHistory::boxEdited(CodeEdit *box, const QString &before, CodeEdit::Change kind)
{
    // A keystroke that joins the open run changes nothing but the run's text after: no new
    // command, no signals. The run is the top step; one saved since then stays as saved.
    if (kind == CodeEdit::Change::Typing && m_openRun && m_openRun->texts.front().box == box
        && m_stack.index() != m_stack.cleanIndex()) {
        HistoryStep::Text &run = m_openRun->texts.front();
        const QString after = box->text();
        if (after != run.before) {
            run.after = after;
            return;
        }
    }
    auto *step = new HistoryStep(*this, stepText(kind).arg(placeOf(box)));
    step->texts.push_back({box, before, box->text()});
    step->typing = kind == CodeEdit::Change::Typing;
    step->page = pageOf(box);
    step->focus = box;
    push(step);
}

void DocumentHistory::groupChanged(RadioGroup *group, int before)
{
    auto *step = new HistoryStep(*this, QStringLiteral("Choice in %1").arg(placeOf(group)));
    step->items.push_back({group, before, group->itemIndex()});
    step->page = pageOf(group);
    step->focus = group;
    push(step);
}

void DocumentHistory::collectWidgets()
{
    if (!m_boxes.empty())
        return;
    for (int i = 0; i < m_pages.count(); ++i) {
        QWidget *page = m_pages.widget(i);
        for (CodeEdit *box : page->findChildren<CodeEdit *>(Qt::FindDirectChildrenOnly))
            m_boxes.push_back(box);
        for (RadioGroup *group : page->findChildren<RadioGroup *>(Qt::FindDirectChildrenOnly))
            m_groups.push_back(group);
    }
}

DocumentHistory::Snapshot DocumentHistory::snapshot() const
{
    // Texts are shared, not copied: a snapshot of every box costs a pointer each.
    Snapshot s;
    s.texts.reserve(m_boxes.size());
    s.usable.reserve(m_boxes.size());
    for (const CodeEdit *box : m_boxes) {
        s.texts.push_back(box->text());
        s.usable.push_back(usable(box));
    }
    for (const RadioGroup *group : m_groups)
        s.items.push_back(group->itemIndex());
    s.reals = m_numeric.realMemories();
    s.processes = {m_cutScribe.cutState(), m_cutScribe.scribeState(), m_points.state()};
    return s;
}

void DocumentHistory::record(const QString &text, const std::function<void()> &change)
{
    collectWidgets();
    const Snapshot before = snapshot();
    m_busy = true;
    change();
    m_busy = false;
    const Snapshot after = snapshot();

    auto *step = new HistoryStep(*this, text);
    step->processes = true;
    step->processBefore = before.processes;
    step->processAfter = after.processes;
    QWidget *shownOrHidden = nullptr;
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        if (before.texts[i] != after.texts[i])
            step->texts.push_back({m_boxes[i], before.texts[i], after.texts[i]});
        if (!shownOrHidden && before.usable[i] != after.usable[i])
            shownOrHidden = m_boxes[i];
    }
    for (std::size_t i = 0; i < m_groups.size(); ++i)
        if (before.items[i] != after.items[i])
            step->items.push_back({m_groups[i], before.items[i], after.items[i]});
    for (std::size_t i = 0; i < before.reals.size(); ++i)
        if (!(before.reals[i] == after.reals[i]))
            step->reals.push_back({i, before.reals[i], after.reals[i]});
    if (step->texts.empty() && step->items.empty() && step->reals.empty() && before.processes == after.processes) {
        delete step;
        return;
    }
    step->focus = !step->texts.empty() ? step->texts.front().box
                : !step->items.empty() ? static_cast<QWidget *>(step->items.front().group)
                                       : shownOrHidden;
    step->page = step->focus ? pageOf(step->focus) : qobject_cast<TabPage *>(m_pages.currentWidget());
    push(step);
}

void DocumentHistory::apply(const HistoryStep &step, bool forward)
{
    m_openRun = nullptr;
    m_busy = true;
    if (step.processes) {
        // Columns first: a column shown again takes its texts below, one hidden is emptied.
        const auto &s = forward ? step.processAfter : step.processBefore;
        m_cutScribe.setCutState(s[0]);
        m_cutScribe.setScribeState(s[1]);
        m_points.setState(s[2]);
    }
    for (const HistoryStep::Text &t : step.texts) {
        t.box->loadText(forward ? t.after : t.before);
        if (step.typing || !step.processes)
            t.box->end(false);
    }
    for (const HistoryStep::Item &i : step.items)
        i.group->setItemIndex(forward ? i.after : i.before);
    for (const HistoryStep::Real &r : step.reals)
        m_numeric.setRealMemory(r.index, forward ? r.after : r.before);
    m_busy = false;

    // The user sees what changed: its page in front, the focus in its box.
    if (step.page)
        m_pages.setCurrentWidget(step.page);
    if (step.page && step.focus && step.focus->isVisibleTo(step.page) && step.focus->isEnabledTo(step.page)) {
        if (auto *group = qobject_cast<RadioGroup *>(step.focus))
            group->focusItem();
        else
            step.focus->setFocus();
    }
}
