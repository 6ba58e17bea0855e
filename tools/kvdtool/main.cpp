// kvdtool: the command-line companion of the editor. No QCoreApplication outside
// Windows: nothing here needs an event loop, and a textconv run should start as fast as
// it can.

#include "cli.h"

#include "record/kvdfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList args;
#ifdef Q_OS_WIN
    // Only the application object reads Windows' command line in full Unicode.
    const QCoreApplication app(argc, argv);
    args = QCoreApplication::arguments().mid(1);
#else
    for (int i = 1; i < argc; ++i)
        args << QFile::decodeName(argv[i]);
#endif
    kvd::useBinaryStandardStreams(); // the same bytes as on Linux, so dumps compare alike
    QByteArray out, err;
    const int status = kvdtool::run(args, out, err);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fwrite(err.constData(), 1, size_t(err.size()), stderr);
    if (std::fflush(stdout) != 0)
        return 2;
    return status;
}
