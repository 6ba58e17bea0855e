#include "recordingprinter.h"

#include <QTest>

std::function<std::unique_ptr<PrintTarget>()> PrintLog::printer(int dpiX, int dpiY, bool toFile)
{
    return [this, dpiX, dpiY, toFile] { return std::make_unique<RecordingPrinter>(*this, dpiX, dpiY, toFile); };
}

RecordingPrinter::RecordingPrinter(PrintLog &log, int dpiX, int dpiY, bool toFile)
    : m_log(log), m_dpiX(dpiX), m_dpiY(dpiY), m_toFile(toFile)
{
}

QString RecordingPrinter::call(char letter, bool inJob)
{
    // A call out of turn is the caller's fault, not a scripted failure.
    if (m_inJob != inJob)
        QTest::qFail(qPrintable(QStringLiteral("%1 out of turn after %2").arg(QLatin1Char(letter)).arg(m_log.calls)),
                     __FILE__, __LINE__);
    m_log.calls += QLatin1Char(letter);
    const QString key = QLatin1Char(letter) + QString::number(m_log.calls.count(QLatin1Char(letter)));
    return m_log.failures.value(key);
}

QString RecordingPrinter::beginJob()
{
    const QString error = call('B', false);
    m_inJob = error.isEmpty();
    return error;
}

QString RecordingPrinter::newPage()
{
    return call('P', true);
}

void RecordingPrinter::drawImage(const QRect &target, const QImage &image)
{
    call('D', true);
    m_log.targets << target;
    m_log.images << image;
    if (m_log.whileDrawing)
        m_log.whileDrawing(int(m_log.images.size()) - 1);
}

QString RecordingPrinter::endJob()
{
    const QString error = call('E', true);
    m_inJob = false;
    return error;
}
