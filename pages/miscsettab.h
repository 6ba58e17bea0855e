#pragma once

#include "tabpage.h"

namespace kvd { class DefinitionRecord; }

// "Misc. Settings": file, program, kerf and AHC codes and the fourteen output options.
class MiscSetTab : public TabPage
{
    Q_OBJECT

public:
    explicit MiscSetTab(QWidget *parent = nullptr);

    void LoadMiscSetTab(const kvd::DefinitionRecord &record);
    void StoreMiscSetTab(kvd::DefinitionRecord &record) const;
};
