#include "commandline.h"
#include "pelorinform.h"
#include "platform/qtplatform.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList words;
    for (int i = 0; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const CommandLine command = CommandLine::parse(words);
    if (command.action == CommandLine::PrintAndExit) {
        std::fputs(command.output.toLocal8Bit().constData(), command.toStandardError ? stderr : stdout);
        return command.exitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelorin"));
    QApplication::setApplicationVersion(QStringLiteral("1.03"));

    QtPlatform platform;
    TPelorinForm form(platform);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.show();
    // The name once more from the application object, which on Windows reads the command
    // line in full Unicode: Explorer's Open passes names that the local code page cannot hold.
    const QString file = CommandLine::parse(QCoreApplication::arguments()).file;
    if (!file.isEmpty())
        form.openPath(QFileInfo(file).absoluteFilePath());
    return app.exec();
}
