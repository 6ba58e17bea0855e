#pragma once

#include "platform/platform.h"

#include <QImage>
#include <QList>
#include <QRect>

#include <functional>

// What a print sent to the printer, kept by the test: the printer itself goes away with
// the print command.
struct PrintLog {
    enum Call { Begin, NewPage, Draw, End };
    struct Drawing {
        QRect target;
        QImage image;
    };
    struct Job {
        QList<Drawing> drawings;
        int pages = 1;
        bool ended = false;
    };
    // The `nth` call of this kind (counted from 1) fails with `message`.
    struct Failure {
        Call call;
        int nth;
        QString message;
    };

    QList<Call> calls;
    QList<Job> jobs;
    QList<Failure> failures;
    // Run while each image is drawn, with the drawing's number counted from 0.
    std::function<void(int)> whileDrawing;

    // A factory for ScriptedPlatform::printer.
    std::function<std::unique_ptr<PrintTarget>()> printer(int dpiX, int dpiY, bool toFile = false);
    QList<QRect> targets() const;
};

class RecordingPrinter : public PrintTarget
{
public:
    RecordingPrinter(PrintLog &log, int dpiX, int dpiY, bool toFile);

    int resolutionX() const override { return m_dpiX; }
    int resolutionY() const override { return m_dpiY; }
    bool writesToFile() const override { return m_toFile; }
    QString beginJob() override;
    QString newPage() override;
    void drawImage(const QRect &target, const QImage &image) override;
    QString endJob() override;

private:
    // Records the call; the scripted failure's message if this one fails.
    QString call(PrintLog::Call call);

    PrintLog &m_log;
    int m_dpiX;
    int m_dpiY;
    bool m_toFile;
    bool m_inJob = false;
};
