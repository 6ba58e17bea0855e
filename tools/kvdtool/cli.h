#pragma once

#include <QByteArray>
#include <QStringList>

namespace kvdtool {

// Runs one command line (without the program name) and returns the exit status:
// 0 done (equal, clean), 1 differences or warnings, 2 trouble.
int run(const QStringList &args, QByteArray &out, QByteArray &err);

} // namespace kvdtool
