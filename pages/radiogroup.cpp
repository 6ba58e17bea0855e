#include "radiogroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(QWidget *parent, const QString &item0, const QString &item1)
    : QGroupBox(parent), m_buttons(new QButtonGroup(this))
{
    auto *layout = new QHBoxLayout(this);
    // The items sit below the space a caption would take, as in a captioned group, so the
    // label beside the group lines up with them.
    layout->setContentsMargins(8, 9, 4, 1);
    layout->setSpacing(4);
    const QString items[] = {item0, item1};
    for (int i = 0; i < 2; ++i) {
        auto *button = new QRadioButton(items[i], this);
        m_buttons->addButton(button, i);
        layout->addWidget(button, 1);
    }
    m_buttons->button(0)->setChecked(true);
    connect(m_buttons, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked)
            return;
        const int before = m_index;
        m_index = id;
        emit changed(before);
    });
}

int RadioGroup::itemIndex() const
{
    return m_buttons->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (QAbstractButton *button = m_buttons->button(index))
        button->setChecked(true);
}

QString RadioGroup::itemText(int index) const
{
    QAbstractButton *button = m_buttons->button(index);
    return button ? button->text() : QString();
}

void RadioGroup::focusItem()
{
    if (QAbstractButton *button = m_buttons->checkedButton())
        button->setFocus();
}
