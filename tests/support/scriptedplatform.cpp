#include "scriptedplatform.h"

#include <QDialog>

QStringList ScriptedPlatform::texts(Shown::Kind kind) const
{
    QStringList result;
    for (const Shown &s : shown)
        if (s.kind == kind)
            result << s.text;
    return result;
}

Platform::Answer ScriptedPlatform::askSaveChanges(QWidget *, const QString &path)
{
    shown.append({Shown::Prompt, path});
    if (answers.isEmpty()) {
        ++unanswered;
        return Answer::Cancel;
    }
    return answers.takeFirst();
}

Platform::Answer ScriptedPlatform::askReplaceChanges(QWidget *, const QString &path)
{
    shown.append({Shown::ChangedOnDisk, path});
    if (answers.isEmpty()) {
        ++unanswered;
        return Answer::No;
    }
    return answers.takeFirst();
}

QString ScriptedPlatform::openFileName(QWidget *)
{
    shown.append({Shown::OpenDialog, QString()});
    if (openNames.isEmpty()) {
        ++unanswered;
        return QString();
    }
    return openNames.takeFirst();
}

QString ScriptedPlatform::saveFileName(QWidget *)
{
    shown.append({Shown::SaveDialog, QString()});
    if (saveNames.isEmpty()) {
        ++unanswered;
        return QString();
    }
    return saveNames.takeFirst();
}

void ScriptedPlatform::errorBox(QWidget *, const QString &text)
{
    shown.append({Shown::ErrorBox, text});
}

void ScriptedPlatform::defaultErrorBox(QWidget *, const QString &text)
{
    shown.append({Shown::DefaultErrorBox, text});
}

std::unique_ptr<PrintTarget> ScriptedPlatform::choosePrinter(QWidget *)
{
    shown.append({Shown::PrintDialog, QString()});
    if (!printer)
        return nullptr;
    return printer();
}

void ScriptedPlatform::runModal(QDialog &dialog)
{
    shown.append({Shown::Modal, dialog.objectName()});
    dialog.show();
    if (whileModal)
        whileModal(dialog);
    if (dialog.isVisible())
        dialog.reject();
}
