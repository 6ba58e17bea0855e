#pragma once

#include "platform.h"

#include <QPainter>

class QPrinter;

// A print target on a QPrinter, which it borrows: the printer chosen in the print dialog
// outlives any one print.
class QtPrintTarget : public PrintTarget
{
public:
    explicit QtPrintTarget(QPrinter &printer);
    ~QtPrintTarget() override;

    int resolutionX() const override;
    int resolutionY() const override;
    bool writesToFile() const override;
    QString beginJob() override;
    QString newPage() override;
    void drawImage(const QRect &target, const QImage &image) override;
    QString endJob() override;

private:
    QPrinter &m_printer;
    QPainter m_painter;
};
