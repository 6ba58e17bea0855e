#include "compare.h"

#include "pages/numbertext.h"
#include "record/fieldlist.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

using kvd::Entry;

bool isCounter(const Entry &e)
{
    return e.field == kvd::Field::CutProcessIndex || e.field == kvd::Field::ScribeProcessIndex
        || e.field == kvd::Field::PointProcessIndex;
}

// A table cell cannot show a control character, so those appear as the escapes kvdtool uses.
QString visibleText(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f) {
            out += c;
            continue;
        }
        const QByteArray escaped = kvd::escapeText(QByteArray(1, char(c.unicode())));
        out += QString::fromLatin1(escaped);
    }
    return out;
}

// The value as the pages show it after a load of `record`. A process code of a column the
// pages do not show is empty there, whatever the file holds.
QString shownValue(const kvd::DefinitionRecord &record, const Entry &e, QChar separator)
{
    switch (e.kind) {
    case Entry::Text:
        if (e.slot != 0 && !kvd::slotShown(record, e.slot))
            return QString();
        return visibleText(record.text(kvd::TextField{e.offset, e.size}));
    case Entry::Integer:
        if (isCounter(e))
            return QString::number(kvd::processCount(record, e.field));
        return numbertext::showInteger(record.integer(e.field));
    case Entry::Choice:
    case Entry::ByteChoice:
        return QString::fromLatin1(e.items[record.choice(e.field)]);
    case Entry::Real:
        return numbertext::showReal(record.real(e.field), e.decimals, separator);
    case Entry::Reserved:
    case Entry::Tail:
        break;
    }
    return QString();
}

// The pages in the order of their tabs, for the rows to follow them.
int pageRank(const char *page)
{
    const char *const tabs[] = {"Numeric Format", "Cutting/Scribing", "Point Process Codes", "Misc. Settings"};
    for (int i = 0; i < 4; ++i)
        if (qstrcmp(page, tabs[i]) == 0)
            return i;
    return 4;
}

QString processOf(const kvd::DefinitionRecord &record, const Entry &e)
{
    const bool nameRow = e.offset == kvd::processName(e.slot).offset;
    if (!nameRow && kvd::slotShown(record, e.slot)) {
        const QString name = record.text(kvd::processName(e.slot));
        if (!name.trimmed().isEmpty())
            return visibleText(name);
    }
    return QString::fromLatin1(kvd::processLabel(e.slot));
}

} // namespace

std::vector<FieldDifference> compareRecords(const kvd::DefinitionRecord &ours, const kvd::DefinitionRecord &theirs,
                                            QChar decimalSeparator)
{
    std::vector<std::pair<int, FieldDifference>> found;
    for (const Entry &e : kvd::entries(false)) {
        if (!e.page)
            continue;
        QString a = shownValue(ours, e, decimalSeparator);
        QString b = shownValue(theirs, e, decimalSeparator);
        if (e.kind == Entry::Real && a == b && ours.realBits(e.field) != theirs.realBits(e.field)) {
            // Equal as the page rounds them, yet a post-processor reads the whole value.
            a += QStringLiteral(" (%1)").arg(QString::fromLatin1(kvd::value(ours, e)));
            b += QStringLiteral(" (%1)").arg(QString::fromLatin1(kvd::value(theirs, e)));
        }
        if (a == b)
            continue;
        QString place = QString::fromLatin1(e.page) + QStringLiteral(", ");
        if (e.slot != 0)
            place += processOf(ours, e) + QStringLiteral(", ");
        place += QString::fromLatin1(e.caption);
        QString refusal;
        if (isCounter(e)) {
            // The pages show at most the columns they have.
            const int most = e.field == kvd::Field::CutProcessIndex     ? kvd::LastCutSlot
                           : e.field == kvd::Field::ScribeProcessIndex ? kvd::LastScribeSlot - kvd::FirstScribeSlot + 1
                                                                       : kvd::LastPointSlot - kvd::FirstPointSlot + 1;
            if (kvd::processCount(theirs, e.field) > most)
                refusal = QStringLiteral("The page shows at most %1").arg(most);
        }
        found.push_back({pageRank(e.page), {place, a, b, &e, refusal}});
    }
    // Page by page, in the field list's order within a page.
    std::stable_sort(found.begin(), found.end(), [](const auto &x, const auto &y) { return x.first < y.first; });
    std::vector<FieldDifference> out;
    for (auto &f : found)
        out.push_back(std::move(f.second));
    return out;
}

CompareDialog::CompareDialog(QWidget *parent, const QString &otherPath, const std::vector<FieldDifference> &differences)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(QStringLiteral("Compare"));
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *heading = new QLabel(QStringLiteral("This document compared with %1").arg(QDir::toNativeSeparators(otherPath)), this);
    heading->setObjectName(QStringLiteral("CompareHeading"));
    heading->setTextFormat(Qt::PlainText);
    layout->addWidget(heading);

    if (differences.empty()) {
        auto *none = new QLabel(QStringLiteral("No differences"), this);
        none->setObjectName(QStringLiteral("NoDifferences"));
        layout->addWidget(none);
    } else {
        auto *table = new QTableWidget(int(differences.size()), 3, this);
        table->setObjectName(QStringLiteral("Differences"));
        table->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("This document"),
                                          QFileInfo(otherPath).fileName()});
        table->verticalHeader()->hide();
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setWordWrap(false);
        for (int row = 0; row < int(differences.size()); ++row) {
            const FieldDifference &d = differences[size_t(row)];
            const QString cells[] = {d.place, d.ours, d.theirs};
            for (int column = 0; column < 3; ++column)
                table->setItem(row, column, new QTableWidgetItem(cells[column]));
            QTableWidgetItem *first = table->item(row, 0);
            if (d.refusal.isEmpty()) {
                first->setCheckState(Qt::Unchecked);
            } else {
                first->setFlags(first->flags() & ~Qt::ItemIsUserCheckable);
                for (int column = 0; column < 3; ++column)
                    table->item(row, column)->setToolTip(d.refusal);
            }
        }
        m_table = table;
        table->resizeColumnsToContents();
        table->resizeRowsToContents();
        // As large as its rows and columns, up to most of the screen; beyond that it scrolls.
        const int frame = 2 * table->frameWidth();
        QSize wanted(table->horizontalHeader()->length() + frame,
                     table->horizontalHeader()->height() + table->verticalHeader()->length() + frame);
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QSize room = screen->availableGeometry().size() * 3 / 4;
            if (wanted.height() > room.height())
                wanted.rwidth() += table->verticalScrollBar()->sizeHint().width();
            wanted = wanted.boundedTo(room);
        }
        table->setFixedSize(wanted);
        layout->addWidget(table);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (m_table) {
        QPushButton *all = buttons->addButton(QStringLiteral("Select &All"), QDialogButtonBox::ActionRole);
        all->setObjectName(QStringLiteral("SelectAll"));
        QPushButton *take = buttons->addButton(QStringLiteral("&Take Selected"), QDialogButtonBox::AcceptRole);
        take->setObjectName(QStringLiteral("TakeSelected"));
        take->setEnabled(false);
        connect(all, &QPushButton::clicked, this, [this] {
            for (int row = 0; row < m_table->rowCount(); ++row)
                if (m_table->item(row, 0)->flags() & Qt::ItemIsUserCheckable)
                    m_table->item(row, 0)->setCheckState(Qt::Checked);
        });
        connect(m_table, &QTableWidget::itemChanged, take, [this, take] { take->setEnabled(!chosenRows().empty()); });
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    }
    layout->addWidget(buttons);
    // Enter or Esc closes it; the table is there to be read.
    buttons->button(QDialogButtonBox::Close)->setFocus();
}

std::vector<int> CompareDialog::chosenRows() const
{
    std::vector<int> rows;
    for (int row = 0; m_table && row < m_table->rowCount(); ++row)
        if (m_table->item(row, 0)->checkState() == Qt::Checked)
            rows.push_back(row);
    return rows;
}
