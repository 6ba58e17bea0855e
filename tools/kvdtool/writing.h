#pragma once

// The commands that write definition files: set changes named fields of existing files
// in place, create builds a new file from dump text.

#include <QByteArray>
#include <QStringList>

namespace kvdtool {

extern const char SetHelp[];
extern const char CreateHelp[];

// Both take the arguments after the command name and return the exit status:
// 0 done, 2 refused or failed (and, for set, no file changed).
int set(const QStringList &args, QByteArray &out, QByteArray &err);
int create(const QStringList &args, QByteArray &out, QByteArray &err);

} // namespace kvdtool
