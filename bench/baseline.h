#pragma once

// The yardstick for start-up and memory: a bare QMainWindow with the same number and
// kinds of widgets as Pelorin's window, made of stock Qt classes with plain code. The
// page contents are copied from a real Pelorin window (kind, place, text, visibility),
// so the baseline follows the pages as they change.

#include <QDataStream>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QRect>
#include <QStringList>

class QTabWidget;
class TPelorinForm;

struct WidgetPlan {
    enum Kind : qint32 { Label, LineEdit, Frame, RadioGroup };
    qint32 kind = Label;
    QRect geometry;
    QString text;      // label and box text at start; group: first item
    QString text2;     // group: second item
    qint32 frameStyle = 0;
    qint32 maxLength = 32767;
    bool hidden = false;
    bool disabled = false;
    // After Open of the sample.
    QString loadedText;
    qint32 loadedIndex = 0;
    bool loadedHidden = false;
};

struct PagePlan {
    QString caption;
    QList<WidgetPlan> widgets;
};

using WindowPlan = QList<PagePlan>;

QDataStream &operator<<(QDataStream &out, const WidgetPlan &w);
QDataStream &operator>>(QDataStream &in, WidgetPlan &w);
QDataStream &operator<<(QDataStream &out, const PagePlan &p);
QDataStream &operator>>(QDataStream &in, PagePlan &p);

// Reads the pages of a window that has just been constructed, then opens `sample` in it
// to read what a load leaves on them. Exits with a message on a widget it does not know.
WindowPlan planFrom(TPelorinForm &form, const QString &sample);

class BaselineWindow : public QMainWindow
{
public:
    explicit BaselineWindow(const WindowPlan &plan);

    // What Open does, with plain code: read the record, put the loaded texts into the boxes.
    void open(const QString &path);

private:
    const WindowPlan &m_plan;
    QTabWidget *m_tabs = nullptr;
    QList<QList<QWidget *>> m_pageWidgets;
    QByteArray m_record;
};

// Widgets counted by their nearest stock Qt class, and the window's actions.
QMap<QString, int> census(QWidget *window);
