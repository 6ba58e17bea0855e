#include "numericformattab.h"

#include "record/definitionrecord.h"

NumericFormatTab::NumericFormatTab(QWidget *parent) : TabPage(parent) {}

void NumericFormatTab::LoadNumericFormatTab(const kvd::DefinitionRecord &) {}

std::optional<QString> NumericFormatTab::StoreNumericFormatTab(kvd::DefinitionRecord &)
{
    return std::nullopt;
}
