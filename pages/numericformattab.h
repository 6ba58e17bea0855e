#pragma once

#include "tabpage.h"

#include <QtGlobal>

#include <optional>
#include <vector>

namespace kvd { class DefinitionRecord; }
class CodeEdit;
class RadioGroup;

// "Numeric Format": controller name, distances, implied decimals, formats and shifts.
class NumericFormatTab : public TabPage
{
    Q_OBJECT

public:
    explicit NumericFormatTab(QWidget *parent = nullptr);

    void LoadNumericFormatTab(const kvd::DefinitionRecord &record);
    // The message of the first box in store order whose text does not convert.
    std::optional<QString> StoreNumericFormatTab(kvd::DefinitionRecord &record);

    int offsetOf(const QWidget *widget) const override;
    bool loadField(const kvd::DefinitionRecord &record, int offset) override;

    // What a real box remembers of its loaded field: the text shown then and the field's
    // bits, written back while the box shows that text.
    struct RealMemory {
        std::optional<QString> shownText;
        quint64 bits = 0;
        bool operator==(const RealMemory &o) const { return shownText == o.shownText && bits == o.bits; }
    };
    // One per real box, in the binding table's order.
    std::vector<RealMemory> realMemories() const;
    void setRealMemory(std::size_t index, const RealMemory &memory);

    // Taken from the regional settings at start and on every change of them.
    QChar decimalSeparator() const { return m_separator; }
    void setDecimalSeparator(QChar separator) { m_separator = separator; }

protected:
    void changeEvent(QEvent *event) override;
    void nameBoxes() override;

private:
    struct Box {
        CodeEdit *edit = nullptr;
        RadioGroup *group = nullptr;
        // A real box's text as loaded and the field's bytes then: an unchanged text writes
        // those bytes back, so display rounding never reaches the file.
        RealMemory real;
    };

    void loadBox(std::size_t i, const kvd::DefinitionRecord &record);

    std::vector<Box> m_boxes; // one per binding, in the binding table's order
    QChar m_separator;
};
