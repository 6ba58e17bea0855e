#include "codestab.h"

#include "record/definitionrecord.h"

CodesTab::CodesTab(QWidget *parent) : TabPage(parent) {}

void CodesTab::fillColumn(int, const kvd::DefinitionRecord &) {}
void CodesTab::storeBoxes(kvd::DefinitionRecord &) const {}
void CodesTab::deactivateColumn1() {}
void CodesTab::hideColumn(int) {}
