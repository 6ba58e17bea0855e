#include "qtplatform.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>

namespace {

const QString kFilter = QStringLiteral("KVD files (*.kvd *.KVD)");
const QString kDefaultSuffix = QStringLiteral("KVD");

// Message boxes stand in the middle of the screen, not over the window.
void centreOnScreen(QWidget &box)
{
    box.adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
}

void stopBox(QWidget *parent, const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    centreOnScreen(box);
    box.exec();
}

QString runFileDialog(QWidget *parent, QFileDialog::AcceptMode mode, QString &lastName)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(kFilter);
    dialog.setDefaultSuffix(kDefaultSuffix);
    // Save As asks before replacing a file; Open lets a missing name through so that
    // opening it reports it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, mode == QFileDialog::AcceptOpen);
    if (!lastName.isEmpty())
        dialog.selectFile(lastName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    lastName = dialog.selectedFiles().constFirst();
    return lastName;
}

} // namespace

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

Platform::Answer QtPlatform::askSaveChanges(QWidget *parent, const QString &path)
{
    // The prompt's text holds a carriage return without a line feed; Qt's message box
    // breaks lines at a line feed only.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                    QStringLiteral("Do you want to save the changes you\nmade to %1?").arg(QDir::toNativeSeparators(path)),
                    QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    centreOnScreen(box);
    box.exec();
    if (box.clickedButton() == yes)
        return Answer::Yes;
    if (box.clickedButton() == no)
        return Answer::No;
    return Answer::Cancel;
}

Platform::Answer QtPlatform::askReplaceChanges(QWidget *parent, const QString &path)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                    QDir::toNativeSeparators(path)
                        + QStringLiteral(" has been changed by another program since it was opened.\n"
                                         "Save and replace those changes?"),
                    QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    // Replacing someone else's work takes a deliberate choice: Enter and Esc both keep it.
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    centreOnScreen(box);
    box.exec();
    return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}

QString QtPlatform::openFileName(QWidget *parent)
{
    return runFileDialog(parent, QFileDialog::AcceptOpen, m_lastOpenName);
}

QString QtPlatform::saveFileName(QWidget *parent)
{
    return runFileDialog(parent, QFileDialog::AcceptSave, m_lastSaveName);
}

void QtPlatform::errorBox(QWidget *parent, const QString &text)
{
    stopBox(parent, QStringLiteral("Error"), text);
}

void QtPlatform::defaultErrorBox(QWidget *parent, const QString &text)
{
    stopBox(parent, QStringLiteral("Pelorin"), text);
}

void QtPlatform::runModal(QDialog &dialog)
{
    dialog.exec();
}
