#pragma once

#include "tabpage.h"

namespace kvd { class DefinitionRecord; }

// " Point Process Codes": one column of code boxes per point process (slots 6-10).
class CodesTab : public TabPage
{
    Q_OBJECT

public:
    explicit CodesTab(QWidget *parent = nullptr);

    void fillColumn(int column, const kvd::DefinitionRecord &record);
    void storeBoxes(kvd::DefinitionRecord &record) const;
    void deactivateColumn1(); // disabled, button-face colour, then emptied
    void hideColumn(int column); // 2..5: hidden, then emptied
};
