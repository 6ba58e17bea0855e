#pragma once

// Three-way merge of definition records, entry by entry over the `dump --all` list, so that
// two branches that changed one file in different fields both keep their changes.

#include "record/fieldlist.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

namespace kvdtool {

extern const char MergeHelp[];

struct Conflict {
    QByteArray slot; // "cut[2]" for a process added on both sides, taken as a whole; else empty
    std::vector<const kvd::Entry *> entries;
};

struct Merged {
    kvd::DefinitionRecord record; // every change that did not conflict, OURS's value where one did
    std::vector<Conflict> conflicts;
};

Merged mergeRecords(const kvd::DefinitionRecord &base, const kvd::DefinitionRecord &ours,
                    const kvd::DefinitionRecord &theirs);

// The conflict list for standard error, ending with the `kvdtool set` line that takes
// THEIRS's values instead, run on `file`.
QByteArray conflictText(const Merged &merged, const kvd::DefinitionRecord &base, const kvd::DefinitionRecord &ours,
                        const kvd::DefinitionRecord &theirs, const QString &file);

// The command: the arguments after its name; 0 merged cleanly, 1 conflicts, 2 an error
// (and no file changed).
int merge(const QStringList &args, QByteArray &out, QByteArray &err);

} // namespace kvdtool
