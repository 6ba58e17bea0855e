// kvdtool: the command-line companion of the editor. No QCoreApplication: nothing
// here needs an event loop, and a textconv run should start as fast as it can.

#include "cli.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QFile::decodeName(argv[i]);
    QByteArray out, err;
    const int status = kvdtool::run(args, out, err);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fwrite(err.constData(), 1, size_t(err.size()), stderr);
    if (std::fflush(stdout) != 0)
        return 2;
    return status;
}
