#pragma once

// The record as text: one line per field, `name = value`, so that files can be
// compared line by line (diff, git textconv) and read without the editor.

#include "record/fieldlist.h"

#include <QByteArray>

#include <vector>

namespace kvdtool {

using kvd::Difference;
using kvd::Entry;

// The same value as kvd::value() in JSON; empty where value() is empty.
QByteArray jsonValue(const kvd::DefinitionRecord &record, const Entry &entry);

QByteArray dumpText(const kvd::DefinitionRecord &record, bool all);
QByteArray dumpJson(const kvd::DefinitionRecord &record, bool all);

// One line per difference: `name: A -> B`, each after `prefix` (set --dry-run names the file).
QByteArray diffText(const std::vector<Difference> &diffs, const QByteArray &prefix = QByteArray());

} // namespace kvdtool
