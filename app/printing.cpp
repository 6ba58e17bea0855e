#include "pelorinform.h"

#include "platform/platform.h"

#include <QImage>
#include <QScopedValueRollback>
#include <QTabWidget>

namespace {

// The window is laid out in device-independent pixels, which Qt keeps at 96 per inch
// whatever the screen: the image is always taken at that resolution.
constexpr int WindowPixelsPerInch = 96;

// value * numerator / denominator, multiplied first, rounded to the nearest whole number
// with halves away from zero.
int mulDivRounded(int value, int numerator, int denominator)
{
    const qint64 product = qint64(value) * numerator;
    qint64 quotient = product / denominator;
    const qint64 remainder = product % denominator;
    if (2 * qAbs(remainder) >= qAbs(qint64(denominator)))
        quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
    return int(quotient);
}

} // namespace

void TPelorinForm::FilePrintClick()
{
    // Refused before the dialog: the dialog would change the printer under the running job.
    if (m_printing) {
        showDefaultError(QStringLiteral("Printing in progress"));
        return;
    }
    const std::unique_ptr<PrintTarget> printer = m_platform.choosePrinter(this);
    if (!printer)
        return;
    const QScopedValueRollback<bool> printing(m_printing, true);

    // Separate jobs into one file would overwrite one another: a file gets one job that
    // holds all the pages.
    const bool oneJob = printer->writesToFile();
    const int rememberedPage = PageControl->currentIndex();
    QString error = oneJob ? printer->beginJob() : QString();
    for (int page = 0; error.isEmpty() && page < PageControl->count(); ++page) {
        PageControl->setCurrentIndex(page);
        if (oneJob && page > 0)
            error = printer->newPage();
        if (error.isEmpty())
            error = PrintWindowImage(*printer, !oneJob);
        setCursor(Qt::WaitCursor);
    }
    if (oneJob && error.isEmpty())
        error = printer->endJob();

    // The window is put back before a failure is reported, so the box stands over the page
    // the user was looking at.
    PageControl->setCurrentIndex(rememberedPage);
    unsetCursor();
    if (!error.isEmpty())
        showDefaultError(error);
}

QString TPelorinForm::PrintWindowImage(PrintTarget &printer, bool ownJob)
{
    if (ownJob) {
        const QString error = printer.beginJob();
        if (!error.isEmpty())
            return error;
    }

    // Rendered rather than grabbed from the screen: one image pixel per window pixel on
    // any screen, and no other window on top can get into it.
    QImage image(clientArea()->size(), QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Window));
    clientArea()->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

    const QSize printed(mulDivRounded(image.width(), printer.resolutionX(), WindowPixelsPerInch),
                        mulDivRounded(image.height(), printer.resolutionY(), WindowPixelsPerInch));
    printer.drawImage(QRect(QPoint(0, 0), printed), image);

    return ownJob ? printer.endJob() : QString();
}
