#include "baseline.h"

#include "app/pelorinform.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>

QDataStream &operator<<(QDataStream &out, const WidgetPlan &w)
{
    return out << w.kind << w.geometry << w.text << w.text2 << w.frameStyle << w.maxLength << w.hidden << w.disabled
               << w.loadedText << w.loadedIndex << w.loadedHidden;
}

QDataStream &operator>>(QDataStream &in, WidgetPlan &w)
{
    return in >> w.kind >> w.geometry >> w.text >> w.text2 >> w.frameStyle >> w.maxLength >> w.hidden >> w.disabled
              >> w.loadedText >> w.loadedIndex >> w.loadedHidden;
}

QDataStream &operator<<(QDataStream &out, const PagePlan &p)
{
    return out << p.caption << p.widgets;
}

QDataStream &operator>>(QDataStream &in, PagePlan &p)
{
    return in >> p.caption >> p.widgets;
}

namespace {

QList<QWidget *> directChildWidgets(QWidget *parent)
{
    QList<QWidget *> widgets;
    for (QObject *child : parent->children())
        if (child->isWidgetType())
            widgets << static_cast<QWidget *>(child);
    return widgets;
}

int checkedIndex(QGroupBox *group)
{
    const QList<QRadioButton *> items = group->findChildren<QRadioButton *>();
    for (int i = 0; i < items.size(); ++i)
        if (items[i]->isChecked())
            return i;
    return -1;
}

} // namespace

WindowPlan planFrom(TPelorinForm &form, const QString &sample)
{
    WindowPlan plan;
    QTabWidget *tabs = form.PageControl;
    for (int p = 0; p < tabs->count(); ++p) {
        PagePlan page;
        page.caption = tabs->tabText(p);
        for (QWidget *w : directChildWidgets(tabs->widget(p))) {
            WidgetPlan wp;
            wp.geometry = w->geometry();
            wp.hidden = w->isHidden();
            wp.disabled = w->testAttribute(Qt::WA_ForceDisabled);
            if (auto *edit = qobject_cast<QLineEdit *>(w)) {
                wp.kind = WidgetPlan::LineEdit;
                wp.text = edit->text();
                wp.maxLength = edit->maxLength();
            } else if (auto *label = qobject_cast<QLabel *>(w)) {
                wp.kind = WidgetPlan::Label;
                wp.text = label->text();
            } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
                const QList<QRadioButton *> items = group->findChildren<QRadioButton *>();
                if (items.size() != 2) {
                    std::fprintf(stderr, "pelorin_bench: group %s has %d items\n", qPrintable(w->objectName()),
                                 int(items.size()));
                    std::exit(2);
                }
                wp.kind = WidgetPlan::RadioGroup;
                wp.text = items[0]->text();
                wp.text2 = items[1]->text();
            } else if (auto *frame = qobject_cast<QFrame *>(w)) {
                wp.kind = WidgetPlan::Frame;
                wp.frameStyle = frame->frameStyle();
            } else {
                std::fprintf(stderr, "pelorin_bench: the baseline has no counterpart for %s (%s)\n",
                             w->metaObject()->className(), qPrintable(w->objectName()));
                std::exit(2);
            }
            page.widgets << wp;
        }
        plan << page;
    }

    form.openPath(sample);
    for (int p = 0; p < tabs->count(); ++p) {
        const QList<QWidget *> widgets = directChildWidgets(tabs->widget(p));
        for (int i = 0; i < widgets.size(); ++i) {
            WidgetPlan &wp = plan[p].widgets[i];
            wp.loadedHidden = widgets[i]->isHidden();
            if (auto *edit = qobject_cast<QLineEdit *>(widgets[i]))
                wp.loadedText = edit->text();
            else if (auto *group = qobject_cast<QGroupBox *>(widgets[i]))
                wp.loadedIndex = checkedIndex(group);
        }
    }
    return plan;
}

BaselineWindow::BaselineWindow(const WindowPlan &plan) : m_plan(plan)
{
    setWindowTitle(QStringLiteral("Baseline - <untitled>"));

    auto *client = new QWidget(this);
    client->setFixedSize(654, 499);
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open..."));
    file->addSeparator();
    file->addAction(QStringLiteral("&Save"))->setEnabled(false);
    file->addAction(QStringLiteral("Save &As..."))->setEnabled(false);
    file->addSeparator();
    file->addAction(QStringLiteral("&Print"))->setEnabled(false);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"));
    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(QStringLiteral("&Undo"))->setEnabled(false);
    edit->addAction(QStringLiteral("&Redo"))->setEnabled(false);
    QMenu *add = menuBar()->addMenu(QStringLiteral("&Add"));
    add->addAction(QStringLiteral("&Cut Process"))->setEnabled(false);
    add->addAction(QStringLiteral("&Scribe Process"))->setEnabled(false);
    add->addSeparator();
    add->addAction(QStringLiteral("&Point Process"))->setEnabled(false);
    QMenu *del = menuBar()->addMenu(QStringLiteral("&Delete"));
    del->addAction(QStringLiteral("&Cut Process"))->setEnabled(false);
    del->addAction(QStringLiteral("&Scribe Process"))->setEnabled(false);
    del->addSeparator();
    del->addAction(QStringLiteral("&Point Process"))->setEnabled(false);
    menuBar()->addMenu(QStringLiteral("&Tools"))->addAction(QStringLiteral("&Compare with File..."))->setEnabled(false);
    menuBar()->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About..."));

    auto *bevel = new QFrame(client);
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setFixedHeight(2);

    auto *toolBar = new QToolBar(client);
    toolBar->setFixedHeight(29);
    toolBar->setIconSize(QSize(16, 16));
    const char *hints[] = {"Open", "Save", "Print"};
    for (int i = 0; i < 3; ++i) {
        QPixmap image(16, 16);
        image.fill(QColor(40 + 80 * i, 96, 176));
        auto *button = new QToolButton(toolBar);
        button->setIcon(QIcon(image));
        button->setToolTip(QString::fromLatin1(hints[i]));
        button->setAutoRaise(true);
        button->setFixedSize(23, 22);
        button->setEnabled(i == 0);
        toolBar->addWidget(button);
    }

    m_tabs = new QTabWidget(client);
    for (const PagePlan &page : plan) {
        auto *tab = new QWidget(m_tabs);
        tab->setEnabled(false);
        QList<QWidget *> widgets;
        for (const WidgetPlan &wp : page.widgets) {
            QWidget *w = nullptr;
            switch (wp.kind) {
            case WidgetPlan::Label:
                w = new QLabel(wp.text, tab);
                break;
            case WidgetPlan::LineEdit: {
                auto *edit = new QLineEdit(wp.text, tab);
                edit->setMaxLength(wp.maxLength);
                w = edit;
                break;
            }
            case WidgetPlan::Frame: {
                auto *frame = new QFrame(tab);
                frame->setFrameStyle(wp.frameStyle);
                w = frame;
                break;
            }
            case WidgetPlan::RadioGroup: {
                auto *group = new QGroupBox(tab);
                auto *row = new QHBoxLayout(group);
                auto *first = new QRadioButton(wp.text, group);
                first->setChecked(true);
                row->addWidget(first);
                row->addWidget(new QRadioButton(wp.text2, group));
                w = group;
                break;
            }
            }
            w->setGeometry(wp.geometry);
            if (wp.hidden)
                w->hide();
            if (wp.disabled)
                w->setEnabled(false);
            widgets << w;
        }
        m_pageWidgets << widgets;
        m_tabs->addTab(tab, page.caption);
    }

    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bevel);
    layout->addWidget(toolBar);
    layout->addWidget(m_tabs);
    setFixedSize(654, 499 + menuBar()->sizeHint().height());

    // The about box, made hidden at start as Pelorin makes its own.
    auto *about = new QDialog(this);
    about->setFixedSize(335, 223);
    auto *panel = new QWidget(about);
    panel->setGeometry(8, 8, 321, 169);
    QPixmap picture(201, 57);
    picture.fill(QColor(58, 120, 196));
    auto *pictureLabel = new QLabel(panel);
    pictureLabel->setGeometry(8, 8, 201, 57);
    pictureLabel->setPixmap(picture);
    (new QLabel(QStringLiteral("Pelorin for Windows"), panel))->move(13, 73);
    (new QLabel(QStringLiteral("Version 1.03"), panel))->move(14, 102);
    (new QLabel(QStringLiteral("Copyright notice"), panel))->move(14, 122);
    (new QPushButton(QStringLiteral("OK"), about))->setGeometry(130, 188, 75, 25);
}

void BaselineWindow::open(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "pelorin_bench: cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    m_record = file.read(3228);
    setWindowTitle(QStringLiteral("Baseline - ") + path);
    for (int p = 0; p < m_plan.size(); ++p) {
        const QList<WidgetPlan> &plans = m_plan[p].widgets;
        for (int i = 0; i < plans.size(); ++i) {
            QWidget *w = m_pageWidgets[p][i];
            if (auto *edit = qobject_cast<QLineEdit *>(w))
                edit->setText(plans[i].loadedText);
            else if (auto *group = qobject_cast<QGroupBox *>(w))
                group->findChildren<QRadioButton *>().value(plans[i].loadedIndex)->setChecked(true);
            w->setHidden(plans[i].loadedHidden);
        }
        m_tabs->widget(p)->setEnabled(true);
    }
}

QMap<QString, int> census(QWidget *window)
{
    QMap<QString, int> counts;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : widgets) {
        const QMetaObject *meta = w->metaObject();
        while (meta->className()[0] != 'Q' && meta->superClass())
            meta = meta->superClass();
        ++counts[QString::fromLatin1(meta->className())];
    }
    // The toolbar's buttons come with an action each; the menus' items are actions too.
    counts[QStringLiteral("(QAction)")] = int(window->findChildren<QAction *>().size());
    return counts;
}
