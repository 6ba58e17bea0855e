#include "processgrid.h"

#include "codeedit.h"
#include "record/definitionrecord.h"
#include "record/fieldlist.h"

#include <QHash>

namespace {

constexpr int FirstLeft = 112;
constexpr int ColumnPitch = 104;
constexpr int BoxPitch = 20;
constexpr int BoxWidth = 81;
constexpr int BoxHeight = 21;
constexpr int LabelLeft = 24;
constexpr int CodeLimit = 9;

QByteArray boxName(const GridRow &row, int column, int box)
{
    QByteArray name = QByteArray(row.namePrefix) + QByteArray::number(column);
    if (row.boxTag)
        name += QByteArray(row.boxTag) + QByteArray::number(box);
    return name + row.nameSuffix;
}

void setBase(CodeEdit *box, const QColor &colour)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, colour);
    // Every load deactivates or activates a column that mostly is so already; an unchanged
    // palette still costs a full resolve against the page's.
    if (palette == box->palette())
        return;
    box->setPalette(palette);
}

// Emptied only when there is something to empty: a box that is empty with no undo steps
// is left as setText() would leave it.
void empty(CodeEdit *box)
{
    if (box->text().isEmpty() && !box->isUndoAvailable() && !box->isRedoAvailable())
        return;
    box->setText(QString());
}

} // namespace

void ProcessColumn::show()
{
    for (const Box &b : m_boxes)
        b.edit->setVisible(true);
}

void ProcessColumn::hideThenEmpty()
{
    for (const Box &b : m_boxes)
        b.edit->setVisible(false);
    for (const Box &b : m_boxes)
        empty(b.edit);
}

void ProcessColumn::activate()
{
    for (const Box &b : m_boxes) {
        b.edit->setEnabled(true);
        setBase(b.edit, Qt::white);
    }
}

void ProcessColumn::deactivateThenEmpty()
{
    for (const Box &b : m_boxes) {
        b.edit->setEnabled(false);
        setBase(b.edit, b.edit->palette().color(QPalette::Button));
    }
    for (const Box &b : m_boxes)
        empty(b.edit);
}

void ProcessColumn::fill(const kvd::DefinitionRecord &record)
{
    for (const Box &b : m_boxes)
        b.edit->loadText(record.text(b.field));
}

bool ProcessColumn::shown() const
{
    return !m_boxes.empty() && !m_boxes.front().edit->isHidden();
}

bool ProcessColumn::active() const
{
    return !m_boxes.empty() && !m_boxes.front().edit->testAttribute(Qt::WA_ForceDisabled);
}

void ProcessColumn::store(kvd::DefinitionRecord &record) const
{
    for (const Box &b : m_boxes)
        record.setText(b.field, b.edit->text());
}

ProcessGridPage::ProcessGridPage(QWidget *parent, int firstSlot, std::initializer_list<GridRow> rows,
                                 std::initializer_list<GridLabel> labels)
    : TabPage(parent), m_firstSlot(firstSlot)
{
    // White boxes by inheritance: one palette for the page costs less than one per box.
    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);

    // Column by column, row by row: the creation order is the tab order.
    QWidget *previous = nullptr;
    for (int c = 1; c <= Columns; ++c) {
        const int slot = firstSlot + c - 1;
        for (const GridRow &row : rows) {
            if (c > row.lastColumn)
                continue;
            for (int b = 1; b <= row.boxes; ++b) {
                const QRect place(FirstLeft + ColumnPitch * (c - 1), row.top + BoxPitch * (b - 1), BoxWidth, BoxHeight);
                CodeEdit *edit = addEdit(boxName(row, c, b).constData(), place, CodeLimit, row.codes);
                if (c > 1)
                    edit->setVisible(false);
                if (previous)
                    QWidget::setTabOrder(previous, edit);
                previous = edit;
                m_columns[size_t(c - 1)].add(edit, row.field(b, slot));
            }
        }
    }
    // Column 1 is the placeholder of the first process until a load activates it.
    for (int i = 0; i < m_columns[0].size(); ++i) {
        CodeEdit *edit = m_columns[0].box(i);
        edit->setEnabled(false);
        setBase(edit, edit->palette().color(QPalette::Button));
    }
    for (const GridLabel &label : labels)
        addLabel(label.objectName, QString::fromLatin1(label.caption), QPoint(LabelLeft, label.top));
    nameBoxesWhenListened();
}

void ProcessGridPage::nameBoxes()
{
    // By row and box as the field list words them, and by the column's process:
    // "On Seq. box 2, cut process 1".
    QHash<int, const kvd::Entry *> entryAt;
    for (const kvd::Entry &e : kvd::entries(false))
        if (e.slot >= m_firstSlot && e.slot < m_firstSlot + Columns)
            entryAt.insert(e.offset, &e);
    for (int c = 1; c <= Columns; ++c) {
        const ProcessColumn &col = column(c);
        for (int i = 0; i < col.size(); ++i)
            if (const kvd::Entry *e = entryAt.value(col.field(i).offset))
                col.box(i)->setAccessibleName(QString::fromLatin1(kvd::placeName(*e)));
    }
}

ProcessColumn &ProcessGridPage::column(int c)
{
    Q_ASSERT(c >= 1 && c <= Columns);
    return m_columns[size_t(c - 1)];
}

const ProcessColumn &ProcessGridPage::column(int c) const
{
    Q_ASSERT(c >= 1 && c <= Columns);
    return m_columns[size_t(c - 1)];
}

void ProcessGridPage::storeBoxes(kvd::DefinitionRecord &record) const
{
    for (const ProcessColumn &col : m_columns)
        col.store(record);
}

int ProcessGridPage::offsetOf(const QWidget *widget) const
{
    for (const ProcessColumn &col : m_columns)
        for (int i = 0; i < col.size(); ++i)
            if (col.box(i) == widget)
                return col.field(i).offset;
    return -1;
}

int ProcessGridPage::columnOf(int offset) const
{
    for (int c = 1; c <= Columns; ++c)
        for (int i = 0; i < column(c).size(); ++i)
            if (column(c).field(i).offset == offset)
                return c;
    return 0;
}

bool ProcessGridPage::loadField(const kvd::DefinitionRecord &record, int offset)
{
    for (const ProcessColumn &col : m_columns) {
        for (int i = 0; i < col.size(); ++i) {
            if (col.field(i).offset == offset) {
                col.box(i)->loadText(record.text(col.field(i)));
                return true;
            }
        }
    }
    return false;
}
