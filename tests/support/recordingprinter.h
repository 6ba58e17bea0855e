#pragma once

#include "platform/platform.h"

#include <QImage>
#include <QMap>
#include <QRect>

#include <functional>

// What a print sent to the printer, kept by the test: the printer itself goes away with
// the print command.
struct PrintLog {
    // One letter a call: B begin job, P new page, D draw, E end job.
    QString calls;
    QList<QRect> targets;
    QList<QImage> images;
    // A call and its count from 1 ("B2": the second job's start) mapped to its failure.
    QMap<QString, QString> failures;
    // Run while each image is drawn, with the drawing's number counted from 0.
    std::function<void(int)> whileDrawing;

    // A factory for ScriptedPlatform::printer.
    std::function<std::unique_ptr<PrintTarget>()> printer(int dpiX, int dpiY, bool toFile = false);
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
    // Records the call, checking it may come now; the scripted failure's message if it fails.
    QString call(char letter, bool inJob);

    PrintLog &m_log;
    int m_dpiX;
    int m_dpiY;
    bool m_toFile;
    bool m_inJob = false;
};
