#pragma once

#include <QHash>
#include <QWidget>

class CodeEdit;
class QLabel;
class RadioGroup;

// What the four tab pages share: their font, absolute placement at 96 dpi, and the two
// notifications through which every box and group reports a change to the main window.
class TabPage : public QWidget
{
    Q_OBJECT

public:
    explicit TabPage(QWidget *parent);

signals:
    void boxChanged();   // any edit box's text changed (the main window's EditR1C1B1Change)
    void groupClicked(); // any radio group's selection changed (RadGroupImpDecClick)

protected:
    // Creates the widget at its place, named, and reporting its changes.
    CodeEdit *addEdit(const char *objectName, QRect geometry, int limit, bool lineFeedKey);
    RadioGroup *addRadioGroup(const char *objectName, QRect geometry, const QString &item0, const QString &item1);
    QLabel *addLabel(const char *objectName, const QString &caption, QPoint topLeft);

private:
    // Caption widths in the page's face: the pages repeat captions, and laying a text out
    // is most of what a label costs to make.
    QHash<QString, int> m_captionWidths;
};
