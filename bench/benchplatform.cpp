#include "benchplatform.h"

#include "platform/qtprinttarget.h"

#include <QPrinter>

#include <cstdio>
#include <cstdlib>

BenchPlatform::BenchPlatform(QString savePath, QString pdfPath)
    : m_savePath(std::move(savePath)), m_pdfPath(std::move(pdfPath))
{
}

BenchPlatform::~BenchPlatform() = default;

std::unique_ptr<PrintTarget> BenchPlatform::choosePrinter(QWidget *)
{
    // Made once and kept, as the real print dialog keeps its printer between prints.
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setDocName(QStringLiteral("Pelorin"));
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_pdfPath);
    }
    return std::make_unique<QtPrintTarget>(*m_printer);
}

void BenchPlatform::fail(const QString &text)
{
    std::fprintf(stderr, "pelorin_bench: a command failed: %s\n", qPrintable(text));
    std::exit(1);
}
