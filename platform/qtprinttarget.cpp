#include "qtprinttarget.h"

#include "qtplatform.h"

#include <QCoreApplication>
#include <QPrintDialog>
#include <QPrinter>

namespace {

// The window repaints while a job is handed over; user input waits, so no command can
// change the pages in the middle of a print.
void letWindowRepaint()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

QtPrintTarget::QtPrintTarget(QPrinter &printer) : m_printer(printer) {}

QtPrintTarget::~QtPrintTarget()
{
    // A print that stopped at a failure leaves no half-open job behind.
    if (m_painter.isActive())
        m_painter.end();
}

int QtPrintTarget::resolutionX() const
{
    return m_printer.logicalDpiX();
}

int QtPrintTarget::resolutionY() const
{
    return m_printer.logicalDpiY();
}

bool QtPrintTarget::writesToFile() const
{
    return m_printer.outputFormat() == QPrinter::PdfFormat || !m_printer.outputFileName().isEmpty();
}

QString QtPrintTarget::beginJob()
{
    if (m_printer.printerState() == QPrinter::Active)
        return QStringLiteral("Printing in progress");
    if (m_printer.outputFormat() == QPrinter::NativeFormat) {
        if (m_printer.printerName().isEmpty())
            return QStringLiteral("There is no default printer currently selected");
        if (!m_printer.isValid())
            return QStringLiteral("Printer selected is not valid");
    } else if (m_printer.outputFileName().isEmpty()) {
        // Without any printer Qt falls back to PDF output, which needs a file to go to.
        return QStringLiteral("There is no default printer currently selected");
    }
    if (!m_painter.begin(&m_printer)) {
        if (m_printer.outputFileName().isEmpty())
            return QStringLiteral("Printer %1 refused the job").arg(m_printer.printerName());
        return QStringLiteral("Cannot print to the file %1").arg(m_printer.outputFileName());
    }
    // The colours go onto the page as they are, pixel blocks and all.
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // A PDF would otherwise keep the page images as JPEG and shift their colours.
    m_painter.setRenderHint(QPainter::LosslessImageRendering, true);
    return QString();
}

QString QtPrintTarget::newPage()
{
    if (!m_printer.newPage())
        return QStringLiteral("The printer did not accept a new page");
    letWindowRepaint();
    return QString();
}

void QtPrintTarget::drawImage(const QRect &target, const QImage &image)
{
    m_painter.drawImage(target, image);
}

QString QtPrintTarget::endJob()
{
    const bool ended = m_painter.end();
    letWindowRepaint();
    if (!ended || m_printer.printerState() == QPrinter::Error)
        return QStringLiteral("The print job could not be completed");
    return QString();
}

std::unique_ptr<PrintTarget> QtPlatform::choosePrinter(QWidget *parent)
{
    // One printer for the whole run, so the dialog offers the last choice again. High
    // resolution: the pages are scaled to what the printer really has.
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setDocName(QStringLiteral("Pelorin"));
    }
    QPrintDialog dialog(m_printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return std::make_unique<QtPrintTarget>(*m_printer);
}
