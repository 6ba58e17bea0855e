#pragma once

#include "platform.h"

#include <memory>

class QPrinter;

class QtPlatform : public Platform
{
public:
    QtPlatform();
    ~QtPlatform() override;

    Answer askSaveChanges(QWidget *parent, const QString &path) override;
    Answer askReplaceChanges(QWidget *parent, const QString &path) override;
    QString openFileName(QWidget *parent) override;
    QString saveFileName(QWidget *parent) override;
    void errorBox(QWidget *parent, const QString &text) override;
    void defaultErrorBox(QWidget *parent, const QString &text) override;
    std::unique_ptr<PrintTarget> choosePrinter(QWidget *parent) override;
    void runModal(QDialog &dialog) override;

private:
    QString m_lastOpenName;
    QString m_lastSaveName;
    std::unique_ptr<QPrinter> m_printer;
};
