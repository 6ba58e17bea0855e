#pragma once

// Field values read back from text: the inverse of kvd::value(). `NAME = VALUE` lines in
// the form dump prints are parsed into assignments, checked, and written into a record
// the way the editor's store writes each field.

#include "record/fieldlist.h"

#include <QByteArray>

#include <vector>

namespace kvdtool {

enum class Rules {
    Store, // as the editor's store writes: a choice is 0 or 1 (set)
    Exact, // any value a dump can show, so that a dump builds its record again (create)
};

struct Assignment {
    const kvd::Entry *entry = nullptr;
    QByteArray bytes;  // a text, a tail or a reserved range
    qint64 number = 0; // an integer or a choice
    quint64 bits = 0;  // a real
    QByteArray origin; // where it was written, for messages: `-s NAME=VALUE` or `FILE:LINE`
};

// Parses one `NAME = VALUE`; on failure returns the reason, naming the field when known.
QByteArray parseAssignment(const QByteArray &text, Rules rules, Assignment &out);

// Reads a text of `NAME = VALUE` lines (blank lines and lines starting with `#` skipped)
// into `out`, after what it holds already. Every refused line adds one message
// `SOURCE:LINE: reason` to `errors`. Fields named twice are found by findRepeats().
void parseLines(const QByteArray &text, const QByteArray &source, Rules rules,
                std::vector<Assignment> &out, std::vector<QByteArray> &errors);

// A second assignment to a field already named earlier: `origin: reason`, one per repeat.
void findRepeats(const std::vector<Assignment> &assignments, std::vector<QByteArray> &errors);

// Writes every assignment into `record`. Texts, numbers and reserved ranges go first, in
// order; tails last, each after the text its field then holds. Returns one message per
// tail that does not fit (`origin: reason`); the record is then partly written.
std::vector<QByteArray> applyAssignments(const std::vector<Assignment> &assignments, kvd::DefinitionRecord &record);

} // namespace kvdtool
