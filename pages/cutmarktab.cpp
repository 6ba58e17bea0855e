#include "cutmarktab.h"

#include "record/definitionrecord.h"

CutMarkTab::CutMarkTab(QWidget *parent) : TabPage(parent) {}

void CutMarkTab::fillColumn(int, const kvd::DefinitionRecord &) {}
void CutMarkTab::storeBoxes(kvd::DefinitionRecord &) const {}
void CutMarkTab::ShowProcessColumn(int) {}
void CutMarkTab::HideProcessColumn(int) {}
