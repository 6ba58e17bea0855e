#pragma once

// What the editor or a post-processor would trip over in a definition file.

#include "record/definitionrecord.h"

#include <QByteArray>

#include <vector>

namespace kvdtool {

// Whether the editor loads a process slot into a column; the codes of every other slot
// are emptied by its next save.
bool slotInUse(const kvd::DefinitionRecord &record, int slot);

// One message per finding, without the file name; none for a clean record.
std::vector<QByteArray> checkLength(qint64 length);
std::vector<QByteArray> checkRecord(const kvd::DefinitionRecord &record);

} // namespace kvdtool
