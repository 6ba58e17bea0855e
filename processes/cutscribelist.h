#pragma once

class CutMarkTab;
class QAction;
namespace kvd { class DefinitionRecord; }

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

private:
    CutMarkTab &m_page;
    QAction *m_addCut;
    QAction *m_addMark;
    QAction *m_delCut;
    QAction *m_delMark;
};
