#pragma once

#include "tabpage.h"

#include <optional>

namespace kvd { class DefinitionRecord; }

// "Numeric Format": controller name, distances, implied decimals, formats and shifts.
class NumericFormatTab : public TabPage
{
    Q_OBJECT

public:
    explicit NumericFormatTab(QWidget *parent = nullptr);

    void LoadNumericFormatTab(const kvd::DefinitionRecord &record);
    // The message of the first box in store order whose text does not convert.
    std::optional<QString> StoreNumericFormatTab(kvd::DefinitionRecord &record);
};
