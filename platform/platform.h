#pragma once

// The one way the application reaches dialogs, message boxes and printers, so that
// tests can answer them without a person. QtPlatform is the real thing.

#include <QString>

#include <memory>

class QDialog;
class QImage;
class QRect;
class QWidget;

// The printer chosen in the print dialog. Every call that can fail returns the printing
// layer's message, or an empty string on success.
class PrintTarget
{
public:
    virtual ~PrintTarget() = default;
    virtual int resolutionX() const = 0; // dots per inch
    virtual int resolutionY() const = 0;
    // True when the printer writes to a file: separate jobs would overwrite one another,
    // so the pages of one print go into one job there.
    virtual bool writesToFile() const = 0;
    virtual QString beginJob() = 0;
    virtual QString newPage() = 0;
    virtual void drawImage(const QRect &target, const QImage &image) = 0;
    virtual QString endJob() = 0;
};

class Platform
{
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Platform() = default;

    // The save-changes prompt for the document at `path`.
    virtual Answer askSaveChanges(QWidget *parent, const QString &path) = 0;
    // Save found the file's first bytes changed since this window last read or wrote them:
    // Yes replaces those changes, No (the default) ends the Save.
    virtual Answer askReplaceChanges(QWidget *parent, const QString &path) = 0;
    // A full path, or an empty string when the user cancels.
    virtual QString openFileName(QWidget *parent) = 0;
    virtual QString saveFileName(QWidget *parent) = 0;
    // Caption "Error": used for files that could not be opened or created.
    virtual void errorBox(QWidget *parent, const QString &text) = 0;
    // The application's default error box, caption "Pelorin"; `text` is shown as given.
    virtual void defaultErrorBox(QWidget *parent, const QString &text) = 0;
    // The print dialog; null when the user cancels.
    virtual std::unique_ptr<PrintTarget> choosePrinter(QWidget *parent) = 0;
    // Runs a modal dialog to its end.
    virtual void runModal(QDialog &dialog) = 0;
};
