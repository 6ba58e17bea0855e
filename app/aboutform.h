#pragma once

#include <QDialog>

// The about box, created hidden at start and shown modally from the Help menu.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutForm(QWidget *parent = nullptr);

public slots:
    void OKButtonClick();
};
