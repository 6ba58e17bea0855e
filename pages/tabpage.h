#pragma once

#include <QAccessible>
#include <QHash>
#include <QWidget>

#include <vector>

class CodeEdit;
class QLabel;
class RadioGroup;

// What the four tab pages share: their font, absolute placement at 96 dpi, and the two
// notifications through which every box and group reports a change to the main window.
class TabPage : public QWidget, private QAccessible::ActivationObserver
{
    Q_OBJECT

public:
    explicit TabPage(QWidget *parent);
    ~TabPage() override;

signals:
    void boxChanged();   // any edit box's text changed (the main window's EditR1C1B1Change)
    void groupClicked(); // any radio group's selection changed (RadGroupImpDecClick)

protected:
    // Creates the widget at its place, named, and reporting its changes.
    CodeEdit *addEdit(const char *objectName, QRect geometry, int limit, bool lineFeedKey);
    RadioGroup *addRadioGroup(const char *objectName, QRect geometry, const QString &item0, const QString &item1);
    // Placed now, sized when the page is first shown: most starts show one page of four,
    // and laying a caption out is most of what a label costs.
    QLabel *addLabel(const char *objectName, const QString &caption, QPoint topLeft);
    void showEvent(QShowEvent *event) override;

    // Gives the boxes their accessible names (setAccessibleName) where no label names them.
    virtual void nameBoxes() {}
    // Calls nameBoxes() now if a screen reader or UI-automation tool is listening, or else
    // when one starts to: naming a widget makes Qt build its accessibility interface at
    // once, which would cost every start the time of a hundred interfaces nobody asks for.
    void nameBoxesWhenListened();

private:
    void accessibilityActiveChanged(bool active) override;

    bool m_named = false;
    std::vector<QLabel *> m_unsized;
};
