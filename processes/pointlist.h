#pragma once

#include "cutscribelist.h"

class CodesTab;
class QAction;

// The point process counter and the commands that add and delete point processes.
class PointList
{
public:
    PointList(CodesTab &page, QAction *addPoint, QAction *delPoint);

    int PointIndex = 0;

    void LoadCodesTab(const kvd::DefinitionRecord &record);
    void StoreCodesTab(kvd::DefinitionRecord &record) const;

    void AddPointProcessClick();
    void DelPointProcessClick();

    ProcessState state() const;
    void setState(const ProcessState &state); // a column it hides or greys is emptied

private:
    CodesTab &m_page;
    QAction *m_addPoint;
    QAction *m_delPoint;
};

// Run by Open before any page loads: hides and empties the extra columns of both
// process pages so that every load starts from the same state.
void ResetProcessColumns(CutMarkTab &cutMarkTab, CodesTab &codesTab);
