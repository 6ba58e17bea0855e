#pragma once

#include <QDialog>
#include <QString>

#include <vector>

class QTableWidget;
namespace kvd { class DefinitionRecord; struct Entry; }

// One field in which two records differ, in the words and forms of the pages.
struct FieldDifference {
    QString place; // "Cutting/Scribing, Oxy-fuel, On Seq. box 2"
    QString ours;
    QString theirs;
    const kvd::Entry *entry = nullptr;
    QString refusal; // why the pages cannot take the other value; empty when they can
};

// The fields whose values the pages would show differently for `theirs` than for `ours`,
// page by page. Process names in the places come from `ours`.
std::vector<FieldDifference> compareRecords(const kvd::DefinitionRecord &ours, const kvd::DefinitionRecord &theirs,
                                            QChar decimalSeparator);

// "Compare": the differences as a table, or "No differences", sized to its content. Each
// row the pages can take has a check box; "Take Selected" accepts the dialog.
class CompareDialog : public QDialog
{
    Q_OBJECT

public:
    CompareDialog(QWidget *parent, const QString &otherPath, const std::vector<FieldDifference> &differences);

    std::vector<int> chosenRows() const;

private:
    QTableWidget *m_table = nullptr;
};
