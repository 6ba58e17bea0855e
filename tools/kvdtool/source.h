#pragma once

// Reading a definition file for inspection only. The editor's own open insists on a
// writable file because it saves back into it; looking at a file must not.

#include "record/kvdfile.h"

#include <QString>

#include <optional>

namespace kvdtool {

// Reads the first record of `path` into `out`. `length` receives the file's length
// whenever the file could be opened, also when the read then fails.
std::optional<kvd::FileError> readForInspection(const QString &path, kvd::DefinitionRecord &out, qint64 &length);

// The editor's words for a failure: "<path> could not be opened", or the
// input/output message after the path.
QString describe(const QString &path, const kvd::FileError &error);

} // namespace kvdtool
