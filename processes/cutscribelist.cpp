#include "cutscribelist.h"

#include "pages/cutmarktab.h"
#include "record/definitionrecord.h"

#include <QAction>

CutScribeList::CutScribeList(CutMarkTab &page, QAction *addCut, QAction *addMark, QAction *delCut, QAction *delMark)
    : m_page(page), m_addCut(addCut), m_addMark(addMark), m_delCut(delCut), m_delMark(delMark)
{
}

void CutScribeList::LoadCutMarkTab(const kvd::DefinitionRecord &) {}
void CutScribeList::StoreCutMarkTab(kvd::DefinitionRecord &) const {}
void CutScribeList::AddCutClick() {}
void CutScribeList::AddMarkClick() {}
void CutScribeList::DelCutProcessClick() {}
void CutScribeList::DelMarkProcessClick() {}
