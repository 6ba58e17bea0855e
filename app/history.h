#pragma once

#include "pages/codeedit.h"
#include "pages/numericformattab.h"
#include "processes/cutscribelist.h"

#include <QHash>
#include <QString>
#include <QUndoCommand>

#include <array>
#include <functional>
#include <vector>

class PointList;
class QTabWidget;
class QUndoStack;
class RadioGroup;
class TabPage;

class DocumentHistory;

// One step of the history: the texts, choices, remembered reals and process lists it
// changed, before and after. It holds values only, never a copy of a page.
class HistoryStep : public QUndoCommand
{
public:
    HistoryStep(DocumentHistory &history, const QString &text) : QUndoCommand(text), m_history(history) {}

    struct Text {
        CodeEdit *box;
        QString before, after;
    };
    struct Item {
        RadioGroup *group;
        int before, after;
    };
    struct Real {
        std::size_t index;
        NumericFormatTab::RealMemory before, after;
    };
    std::vector<Text> texts;
    std::vector<Item> items;
    std::vector<Real> reals;
    bool processes = false; // cut, scribe and point states below
    std::array<ProcessState, 3> processBefore{}, processAfter{};
    TabPage *page = nullptr;  // brought to the front by Undo and Redo
    QWidget *focus = nullptr; // given the focus there, when it can take it
    bool typing = false;

    int id() const override { return typing ? 1 : -1; }
    bool mergeWith(const QUndoCommand *other) override;
    void undo() override;
    void redo() override;

private:
    DocumentHistory &m_history;
    bool m_done = true; // made before it is pushed: the first redo has nothing to do
};

// The document's one Undo/Redo history over the four pages and the process lists.
class DocumentHistory
{
public:
    DocumentHistory(QUndoStack &stack, QTabWidget &pages, NumericFormatTab &numeric, CutScribeList &cutScribe,
                    PointList &points);

    QUndoStack &stack() { return m_stack; }
    // While a step is done, undone or redone, the changes it makes are not new steps.
    bool busy() const { return m_busy; }

    void boxEdited(CodeEdit *box, const QString &before, CodeEdit::Change kind);
    void groupChanged(RadioGroup *group, int before);
    // The run of typing in a box ends: the next keystroke starts a step of its own.
    void endTyping() { m_openRun = nullptr; }
    // Runs `change`, which may set any box, group, remembered real and process list, and
    // keeps what it changed as one step named `text`. A change that changes nothing is no step.
    void record(const QString &text, const std::function<void()> &change);

private:
    friend class HistoryStep;

    struct Snapshot {
        std::vector<QString> texts;
        std::vector<int> items;
        std::vector<NumericFormatTab::RealMemory> reals;
        std::array<ProcessState, 3> processes;
        std::vector<bool> usable;
    };

    void collectWidgets();
    Snapshot snapshot() const;
    const QString &placeOf(QWidget *widget);
    void apply(const HistoryStep &step, bool forward);
    void push(HistoryStep *step);

    QUndoStack &m_stack;
    QTabWidget &m_pages;
    NumericFormatTab &m_numeric;
    CutScribeList &m_cutScribe;
    PointList &m_points;
    bool m_busy = false;
    HistoryStep *m_openRun = nullptr;       // the typing step that the next keystroke in its box joins
    bool m_runDropped = false;              // a keystroke undid its run's every change
    std::vector<CodeEdit *> m_boxes;        // every box and group of the pages, made on first use
    std::vector<RadioGroup *> m_groups;
    QHash<const QWidget *, QString> m_places;
};
