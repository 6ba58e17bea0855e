#pragma once

#include "platform/platform.h"

#include <QString>

#include <memory>

class QPrinter;

// Answers every dialog at once: the save dialog with one fixed path, the print dialog
// with a PDF printer writing to one fixed file. Nothing is ever shown.
class BenchPlatform : public Platform
{
public:
    BenchPlatform(QString savePath, QString pdfPath);
    ~BenchPlatform() override;

    Answer askSaveChanges(QWidget *, const QString &) override { return Answer::No; }
    // Nothing else writes the bench's files: a question here means the guard misfired.
    Answer askReplaceChanges(QWidget *, const QString &path) override { fail(path); }
    QString openFileName(QWidget *) override { return QString(); }
    QString saveFileName(QWidget *) override { return m_savePath; }
    void errorBox(QWidget *, const QString &text) override { fail(text); }
    void defaultErrorBox(QWidget *, const QString &text) override { fail(text); }
    std::unique_ptr<PrintTarget> choosePrinter(QWidget *parent) override;
    void runModal(QDialog &) override {}

private:
    // A figure taken past a failed command would measure the failure.
    [[noreturn]] static void fail(const QString &text);

    QString m_savePath;
    QString m_pdfPath;
    std::unique_ptr<QPrinter> m_printer;
};
