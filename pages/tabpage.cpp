#include "tabpage.h"

#include "codeedit.h"
#include "radiogroup.h"

#include <QLabel>

TabPage::TabPage(QWidget *parent) : QWidget(parent)
{
    // The pages were laid out for an 8-point face 11 pixels high at 96 dpi; the
    // fallbacks are the nearest in width found on Linux desktops.
    QFont face;
    face.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Nimbus Sans")});
    face.setStyleHint(QFont::SansSerif);
    face.setPixelSize(11);
    setFont(face);
}

CodeEdit *TabPage::addEdit(const char *objectName, QRect geometry, int limit, bool lineFeedKey)
{
    auto *edit = new CodeEdit(this, limit, lineFeedKey ? CodeEdit::LineFeedKey::On : CodeEdit::LineFeedKey::Off);
    edit->setObjectName(QLatin1String(objectName));
    edit->setGeometry(geometry);
    connect(edit, &QLineEdit::textChanged, this, &TabPage::boxChanged);
    return edit;
}

RadioGroup *TabPage::addRadioGroup(const char *objectName, QRect geometry, const QString &item0, const QString &item1)
{
    auto *group = new RadioGroup(this, item0, item1);
    group->setObjectName(QLatin1String(objectName));
    group->setGeometry(geometry);
    connect(group, &RadioGroup::clicked, this, &TabPage::groupClicked);
    return group;
}

QLabel *TabPage::addLabel(const char *objectName, const QString &caption, QPoint topLeft)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(QLatin1String(objectName));
    // The width adjustSize() would give, measured once: it lays the caption out three times.
    auto width = m_captionWidths.find(caption);
    if (width == m_captionWidths.end())
        width = m_captionWidths.insert(caption, label->fontMetrics().boundingRect(0, 0, 2000, 2000, Qt::AlignLeft, caption).width());
    label->setGeometry(QRect(topLeft, QSize(*width, 17)));
    return label;
}
