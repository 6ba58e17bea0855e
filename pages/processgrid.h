#pragma once

#include "record/layout.h"
#include "tabpage.h"

#include <array>
#include <initializer_list>
#include <vector>

class CodeEdit;
namespace kvd { class DefinitionRecord; }

// One row of a process grid: its boxes in every column that has the row, how they
// are named, where they sit and which field of the column's slot each one edits.
struct GridRow {
    // Box name: prefix, column, then "B" and the box number when the row has a tag, then suffix.
    const char *namePrefix;
    const char *boxTag;
    const char *nameSuffix;
    int top;        // top of box 1; the others follow 20 pixels apart
    int boxes;
    int lastColumn; // the row exists in columns 1..lastColumn
    bool codes;     // code boxes take Ctrl+Enter; name boxes do not
    kvd::TextField (*field)(int box, int slot);
};

// A row caption at the left edge of the grid.
struct GridLabel {
    const char *objectName;
    const char *caption;
    int top;
};

// The boxes of one process column, in tab order, each bound to its field.
class ProcessColumn
{
public:
    void add(CodeEdit *box, kvd::TextField field) { m_boxes.push_back({box, field}); }

    int size() const { return int(m_boxes.size()); }
    CodeEdit *box(int index) const { return m_boxes[size_t(index)].edit; }
    kvd::TextField field(int index) const { return m_boxes[size_t(index)].field; }

    void show();
    // Hidden first, then emptied: a column out of use never holds text, so a later
    // store writes its slot empty and a later show starts blank.
    void hideThenEmpty();
    void activate();             // enabled, white
    void deactivateThenEmpty();  // disabled, button face, then emptied
    void fill(const kvd::DefinitionRecord &record);
    bool shown() const;  // not hidden (it may still be inactive)
    bool active() const; // enabled
    void store(kvd::DefinitionRecord &record) const;

private:
    struct Box {
        CodeEdit *edit;
        kvd::TextField field;
    };
    std::vector<Box> m_boxes;
};

// A tab page holding a grid of five process columns. Column c edits slot firstSlot + c - 1.
class ProcessGridPage : public TabPage
{
    Q_OBJECT

public:
    static constexpr int Columns = 5;

    ProcessColumn &column(int c);
    const ProcessColumn &column(int c) const;

    void fillColumn(int c, const kvd::DefinitionRecord &record) { column(c).fill(record); }
    void storeBoxes(kvd::DefinitionRecord &record) const; // every box, shown or not

    int offsetOf(const QWidget *widget) const override;
    bool loadField(const kvd::DefinitionRecord &record, int offset) override;
    // The column whose slot holds the field at `offset`, 0 for none.
    int columnOf(int offset) const;

protected:
    ProcessGridPage(QWidget *parent, int firstSlot, std::initializer_list<GridRow> rows,
                    std::initializer_list<GridLabel> labels);
    void nameBoxes() override;

private:
    int m_firstSlot;
    std::array<ProcessColumn, Columns> m_columns;
};
