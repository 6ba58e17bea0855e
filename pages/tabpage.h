#pragma once

#include <QAccessible>
#include <QHash>
#include <QWidget>

#include <vector>

#include "codeedit.h"

class QLabel;
class RadioGroup;
namespace kvd { class DefinitionRecord; }

// What the four tab pages share: their font, absolute placement at 96 dpi, and the two
// notifications through which every box and group reports a change to the main window.
class TabPage : public QWidget, private QAccessible::ActivationObserver
{
    Q_OBJECT

public:
    explicit TabPage(QWidget *parent);
    ~TabPage() override;

    // The record offset of the field a box or group edits, -1 for another widget.
    virtual int offsetOf(const QWidget *widget) const = 0;
    // Loads the one field at `offset` from `record` as a load of the page would; false
    // when the page has no widget for it.
    virtual bool loadField(const kvd::DefinitionRecord &record, int offset) = 0;

signals:
    // The user changed a box's text (the main window's EditR1C1B1Change).
    void boxEdited(CodeEdit *box, const QString &before, CodeEdit::Change kind);
    // A group's selection changed (RadGroupImpDecClick).
    void groupChanged(RadioGroup *group, int before);
    // Ctrl+Z (false) or Ctrl+Y / Ctrl+Shift+Z (true) pressed in a box of the page.
    void historyKey(bool redo);

protected:
    // Creates the widget at its place, named, and reporting its changes.
    CodeEdit *addEdit(const char *objectName, QRect geometry, int limit, bool lineFeedKey);
    RadioGroup *addRadioGroup(const char *objectName, QRect geometry, const QString &item0, const QString &item1);
    // Placed now, sized when the page is first shown: most starts show one page of four,
    // and laying a caption out is most of what a label costs.
    QLabel *addLabel(const char *objectName, const QString &caption, QPoint topLeft);
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

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
