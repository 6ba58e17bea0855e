#include "recordingprinter.h"

#include <QTest>

std::function<std::unique_ptr<PrintTarget>()> PrintLog::printer(int dpiX, int dpiY, bool toFile)
{
    return [this, dpiX, dpiY, toFile] { return std::make_unique<RecordingPrinter>(*this, dpiX, dpiY, toFile); };
}

QList<QRect> PrintLog::targets() const
{
    QList<QRect> result;
    for (const Job &job : jobs)
        for (const Drawing &d : job.drawings)
            result << d.target;
    return result;
}

RecordingPrinter::RecordingPrinter(PrintLog &log, int dpiX, int dpiY, bool toFile)
    : m_log(log), m_dpiX(dpiX), m_dpiY(dpiY), m_toFile(toFile)
{
}

QString RecordingPrinter::call(PrintLog::Call call)
{
    m_log.calls << call;
    const int nth = int(m_log.calls.count(call));
    for (const PrintLog::Failure &f : m_log.failures)
        if (f.call == call && f.nth == nth)
            return f.message;
    return QString();
}

QString RecordingPrinter::beginJob()
{
    // A job inside a job is a fault of the caller, not a scripted failure.
    if (m_inJob)
        QTest::qFail("a job was begun inside another", __FILE__, __LINE__);
    const QString error = call(PrintLog::Begin);
    if (error.isEmpty()) {
        m_inJob = true;
        m_log.jobs.append(PrintLog::Job());
    }
    return error;
}

QString RecordingPrinter::newPage()
{
    if (!m_inJob)
        QTest::qFail("a new page outside a job", __FILE__, __LINE__);
    const QString error = call(PrintLog::NewPage);
    if (error.isEmpty() && m_inJob)
        ++m_log.jobs.last().pages;
    return error;
}

void RecordingPrinter::drawImage(const QRect &target, const QImage &image)
{
    if (!m_inJob)
        QTest::qFail("an image drawn outside a job", __FILE__, __LINE__);
    call(PrintLog::Draw);
    if (m_inJob)
        m_log.jobs.last().drawings.append({target, image});
    if (m_log.whileDrawing)
        m_log.whileDrawing(int(m_log.calls.count(PrintLog::Draw)) - 1);
}

QString RecordingPrinter::endJob()
{
    if (!m_inJob)
        QTest::qFail("a job ended that was not begun", __FILE__, __LINE__);
    const QString error = call(PrintLog::End);
    if (m_inJob)
        m_log.jobs.last().ended = error.isEmpty();
    m_inJob = false;
    return error;
}
