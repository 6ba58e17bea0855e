#include "tabpage.h"

#include "codeedit.h"
#include "radiogroup.h"

#include <QKeyEvent>
#include <QLabel>

TabPage::TabPage(QWidget *parent) : QWidget(parent)
{
    // The pages were laid out for an 8-point face 11 pixels high at 96 dpi, and every
    // caption fits in Liberation Sans and in Arial, which has its widths. An installed face
    // comes first: a missing first face costs a font-configuration search at every start.
    // The Windows faces after them are for a Windows without Arial.
    QFont face;
    face.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"), QStringLiteral("Segoe UI")});
    face.setStyleHint(QFont::SansSerif);
    face.setPixelSize(11);
    setFont(face);
    // A page takes no input until a document is loaded. Disabled before its boxes exist, it
    // makes them disabled as they are made, instead of telling each one afterwards.
    setEnabled(false);
}

TabPage::~TabPage()
{
    QAccessible::removeActivationObserver(this);
}

void TabPage::nameBoxesWhenListened()
{
    if (QAccessible::isActive())
        accessibilityActiveChanged(true);
    else
        QAccessible::installActivationObserver(this);
}

void TabPage::accessibilityActiveChanged(bool active)
{
    if (!active || m_named)
        return;
    m_named = true;
    nameBoxes();
}

CodeEdit *TabPage::addEdit(const char *objectName, QRect geometry, int limit, bool lineFeedKey)
{
    auto *edit = new CodeEdit(this, limit, lineFeedKey ? CodeEdit::LineFeedKey::On : CodeEdit::LineFeedKey::Off);
    edit->setObjectName(QLatin1String(objectName));
    edit->setGeometry(geometry);
    connect(edit, &CodeEdit::edited, this,
            [this, edit](const QString &before, CodeEdit::Change kind) { emit boxEdited(edit, before, kind); });
    return edit;
}

RadioGroup *TabPage::addRadioGroup(const char *objectName, QRect geometry, const QString &item0, const QString &item1)
{
    auto *group = new RadioGroup(this, item0, item1);
    group->setObjectName(QLatin1String(objectName));
    group->setGeometry(geometry);
    connect(group, &RadioGroup::changed, this, [this, group](int before) { emit groupChanged(group, before); });
    return group;
}

QLabel *TabPage::addLabel(const char *objectName, const QString &caption, QPoint topLeft)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(QLatin1String(objectName));
    // Given a size now, so that showing it does not size it by its text.
    label->setGeometry(QRect(topLeft, QSize(0, 17)));
    m_unsized.push_back(label);
    return label;
}

void TabPage::showEvent(QShowEvent *event)
{
    if (!m_unsized.empty()) {
        // The width adjustSize() would give, measured once per caption: it would lay the
        // caption out three times, and the pages repeat captions.
        QHash<QString, int> widths;
        const QFontMetrics metrics(font());
        for (QLabel *label : m_unsized) {
            auto width = widths.find(label->text());
            if (width == widths.end())
                width = widths.insert(label->text(), metrics.boundingRect(0, 0, 2000, 2000, Qt::AlignLeft, label->text()).width());
            label->resize(*width, 17);
        }
        m_unsized.clear();
    }
    QWidget::showEvent(event);
}

void TabPage::keyPressEvent(QKeyEvent *event)
{
    // A box passes these on instead of undoing its own text.
    const bool undo = event->matches(QKeySequence::Undo);
    if (undo || event->matches(QKeySequence::Redo)) {
        emit historyKey(!undo);
        return;
    }
    QWidget::keyPressEvent(event);
}
