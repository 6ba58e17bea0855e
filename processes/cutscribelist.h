#pragma once

class CutMarkTab;
class QAction;
namespace kvd { class DefinitionRecord; }

// What the history keeps of one kind of process: its counter, which of its columns are
// shown (bit c-1 for column c; for point column 1, active) and its two menu items.
struct ProcessState {
    int counter = 0;
    unsigned shown = 0;
    bool canAdd = false;
    bool canDelete = false;
    bool operator==(const ProcessState &o) const
    {
        return counter == o.counter && shown == o.shown && canAdd == o.canAdd && canDelete == o.canDelete;
    }
};

// The cut and scribe process counters and the commands that add and delete processes.
class CutScribeList
{
public:
    CutScribeList(CutMarkTab &page, QAction *addCut, QAction *addMark, QAction *delCut, QAction *delMark);

    int CutIndex = 0;
    int ScribeIndex = 0;

    void LoadCutMarkTab(const kvd::DefinitionRecord &record);
    void StoreCutMarkTab(kvd::DefinitionRecord &record) const;

    void AddCutClick();
    void AddMarkClick();
    void DelCutProcessClick();
    void DelMarkProcessClick();

    ProcessState cutState() const;
    ProcessState scribeState() const;
    // Puts a kept state back; a column it hides is emptied, as Delete empties it.
    void setCutState(const ProcessState &state);
    void setScribeState(const ProcessState &state);

private:
    ProcessState state(int counter, int first, int last, const QAction *add, const QAction *del) const;
    void setState(const ProcessState &state, int first, int last, QAction *add, QAction *del);

    CutMarkTab &m_page;
    QAction *m_addCut;
    QAction *m_addMark;
    QAction *m_delCut;
    QAction *m_delMark;
};
