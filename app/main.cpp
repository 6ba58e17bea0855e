#include "pelorinform.h"
#include "platform/qtplatform.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QScreen>

#include <cstdio>

namespace {

const QString kUsage = QStringLiteral("usage: pelorin [--version] [FILE.kvd]\n");

// Reads the command line before any window system is needed, so that --version and
// a wrong call answer without a display.
struct Arguments {
    int exitCode = -1; // -1: start the editor
    QString file;
};

Arguments parseArguments(int argc, char *argv[])
{
    QStringList words;
    for (int i = 0; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(version);
    parser.addOption(help);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A definition file to open."), QStringLiteral("[FILE.kvd]"));

    Arguments result;
    if (!parser.parse(words) || parser.positionalArguments().size() > 1) {
        std::fputs(kUsage.toLocal8Bit().constData(), stderr);
        result.exitCode = 2;
    } else if (parser.isSet(help)) {
        std::fputs(kUsage.toLocal8Bit().constData(), stdout);
        result.exitCode = 0;
    } else if (parser.isSet(version)) {
        std::fputs("Pelorin 1.03\n", stdout);
        result.exitCode = 0;
    } else if (!parser.positionalArguments().isEmpty()) {
        result.file = parser.positionalArguments().constFirst();
    }
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    const Arguments arguments = parseArguments(argc, argv);
    if (arguments.exitCode >= 0)
        return arguments.exitCode;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelorin"));
    QApplication::setApplicationVersion(QStringLiteral("1.03"));

    QtPlatform platform;
    TPelorinForm form(platform);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.show();
    if (!arguments.file.isEmpty())
        form.openPath(QFileInfo(arguments.file).absoluteFilePath());
    return app.exec();
}
