#include "pointlist.h"

#include "pages/codestab.h"
#include "pages/cutmarktab.h"
#include "record/definitionrecord.h"

#include <QAction>

PointList::PointList(CodesTab &page, QAction *addPoint, QAction *delPoint)
    : m_page(page), m_addPoint(addPoint), m_delPoint(delPoint)
{
}

void PointList::LoadCodesTab(const kvd::DefinitionRecord &) {}
void PointList::StoreCodesTab(kvd::DefinitionRecord &) const {}
void PointList::AddPointProcessClick() {}
void PointList::DelPointProcessClick() {}

void ResetProcessColumns(CutMarkTab &cutMarkTab, CodesTab &codesTab)
{
    for (int column = 2; column <= 5; ++column)
        cutMarkTab.HideProcessColumn(column);
    codesTab.deactivateColumn1();
    for (int column = 2; column <= 5; ++column)
        codesTab.hideColumn(column);
}
