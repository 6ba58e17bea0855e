#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box, created hidden at start and shown modally from the Help menu.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutForm(QWidget *parent = nullptr);

    QLabel *ProgramIcon = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Version = nullptr;
    QLabel *Notice = nullptr;
    QPushButton *OKButton = nullptr;

public slots:
    void OKButtonClick();

protected:
    void showEvent(QShowEvent *event) override;
};
