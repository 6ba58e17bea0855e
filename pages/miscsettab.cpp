#include "miscsettab.h"

#include "record/definitionrecord.h"

MiscSetTab::MiscSetTab(QWidget *parent) : TabPage(parent) {}

void MiscSetTab::LoadMiscSetTab(const kvd::DefinitionRecord &) {}

void MiscSetTab::StoreMiscSetTab(kvd::DefinitionRecord &) const {}
