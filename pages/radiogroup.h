#pragma once

#include <QGroupBox>

class QButtonGroup;

// A captionless two-item radio group. changed() follows every change of the selected
// item, whether the user or the program makes it; choosing the selected item is no change.
class RadioGroup : public QGroupBox
{
    Q_OBJECT

public:
    RadioGroup(QWidget *parent, const QString &item0, const QString &item1);

    int itemIndex() const;
    void setItemIndex(int index);
    QString itemText(int index) const;
    // The focus to the selected item, where the keyboard works the group.
    void focusItem();

signals:
    void changed(int before);

private:
    QButtonGroup *m_buttons;
    int m_index = 0;
};
