#pragma once

#include "tabpage.h"

#include <array>

class CodeEdit;
class RadioGroup;

namespace kvd { class DefinitionRecord; }

// "Misc. Settings": file, program, kerf and AHC codes and the fourteen output options.
class MiscSetTab : public TabPage
{
    Q_OBJECT

public:
    static constexpr int CodeCount = 14;
    static constexpr int OptionCount = 14;

    explicit MiscSetTab(QWidget *parent = nullptr);

    void LoadMiscSetTab(const kvd::DefinitionRecord &record);
    void StoreMiscSetTab(kvd::DefinitionRecord &record) const;

    int offsetOf(const QWidget *widget) const override;
    bool loadField(const kvd::DefinitionRecord &record, int offset) override;

protected:
    void nameBoxes() override;

private:
    // In the order of the binding tables, which is the order of load and store.
    std::array<CodeEdit *, CodeCount> m_codes{};
    std::array<RadioGroup *, OptionCount> m_options{};
};
