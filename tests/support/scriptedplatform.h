#pragma once

#include "platform/platform.h"

#include <QList>
#include <QStringList>

#include <functional>

// Answers every dialog from queued answers and records what the user would have seen.
class ScriptedPlatform : public Platform
{
public:
    struct Shown {
        enum Kind { Prompt, ChangedOnDisk, OpenDialog, SaveDialog, ErrorBox, DefaultErrorBox, PrintDialog, Modal };
        Kind kind;
        QString text; // the prompt's path, the box's text, the dialog's object name
    };

    QList<Answer> answers; // for the save-changes prompt and the changed-on-disk question
    QStringList openNames; // an empty string cancels the dialog
    QStringList saveNames;
    // Makes the printer chosen in the print dialog; unset or returning null cancels it.
    std::function<std::unique_ptr<PrintTarget>()> printer;
    // Runs while a modal dialog is open (it is closed afterwards if still open).
    std::function<void(QDialog &)> whileModal;

    QList<Shown> shown;
    int unanswered = 0; // dialogs that found no queued answer (they were cancelled)

    QStringList texts(Shown::Kind kind) const;

    Answer askSaveChanges(QWidget *parent, const QString &path) override;
    Answer askReplaceChanges(QWidget *parent, const QString &path) override;
    QString openFileName(QWidget *parent) override;
    QString saveFileName(QWidget *parent) override;
    void errorBox(QWidget *parent, const QString &text) override;
    void defaultErrorBox(QWidget *parent, const QString &text) override;
    std::unique_ptr<PrintTarget> choosePrinter(QWidget *parent) override;
    void runModal(QDialog &dialog) override;
};
