#include "commandline.h"

#include <QCommandLineParser>

CommandLine CommandLine::parse(const QStringList &arguments)
{
    static const QString usage = QStringLiteral("usage: pelorin [--version] [FILE.kvd]\n");
    QCommandLineParser parser;
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(version);
    parser.addOption(help);

    CommandLine result;
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        result.action = PrintAndExit;
        result.exitCode = 2;
        result.output = usage;
        result.toStandardError = true;
    } else if (parser.isSet(help)) {
        result.action = PrintAndExit;
        result.output = usage;
    } else if (parser.isSet(version)) {
        result.action = PrintAndExit;
        result.output = QStringLiteral("Pelorin 1.03\n");
    } else if (!parser.positionalArguments().isEmpty()) {
        result.file = parser.positionalArguments().constFirst();
    }
    return result;
}
