#pragma once

#include "tabpage.h"

namespace kvd { class DefinitionRecord; }

// "Cutting/Scribing": one column of code boxes per cut (1-3) and scribe (4-5) process.
class CutMarkTab : public TabPage
{
    Q_OBJECT

public:
    explicit CutMarkTab(QWidget *parent = nullptr);

    void fillColumn(int column, const kvd::DefinitionRecord &record);
    void storeBoxes(kvd::DefinitionRecord &record) const;
    void ShowProcessColumn(int column); // 2..5
    void HideProcessColumn(int column); // 2..5: hides, then empties
};
