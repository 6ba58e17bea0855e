#pragma once

// The record's fields as names and values: one entry per field, in record order, with
// the value written as text. kvdtool's dump, diff, set and create and the window's
// comparison all read this one list.

#include "definitionrecord.h"

#include <QByteArray>

#include <vector>

namespace kvd {

struct Entry {
    enum Kind {
        Text,       // up to the first zero byte, or the whole field without one
        Integer,    // signed 16-bit
        Choice,     // signed 16-bit, shown as stored, not normalised
        ByteChoice, // one byte, shown as stored
        Real,       // binary64
        Reserved,   // hexadecimal, only with --all
        Tail,       // the bytes after a text's terminating zero, only with --all
    };
    QByteArray name;
    Kind kind;
    int offset;
    int size;
    Field field; // the table row the entry belongs to (its code block for process entries)
    int slot;    // process slot 1..10, 0 outside the process codes

    // Where the window shows the field, in the words of its pages: the page, then the
    // caption ("Decimal Shifts Values, Normal Precision / Inch"). A process entry's caption
    // names its row and box ("On Seq. box 2"); the process is its slot's. Null page: not shown.
    const char *page = nullptr;
    QByteArray caption;
    int decimals = 0;              // reals: the decimals the page shows
    const char *items[2] = {};     // choices: the group's two items, for stored 0 and 1
};

// The process a slot holds on its page, by kind and number: "cut process 1", "point process 5".
QByteArray processLabel(int slot);
// The entry's caption, with the process for a process entry: "On Seq. box 2, cut process 1".
QByteArray placeName(const Entry &entry);
// Whether the pages show the slot's column for the counters of `record`, as a load sets them.
bool slotShown(const DefinitionRecord &record, int slot);
// The number of processes a counter entry stands for, as a load reads it.
int processCount(const DefinitionRecord &record, Field counter);

// Every entry in record order, with the process codes grouped by slot where the first
// code block stands. Reserved ranges and text tails are included only when `all`.
const std::vector<Entry> &entries(bool all);

// C-style escapes for everything but printable ASCII, so a text never breaks a line.
QByteArray escapeText(const QByteArray &bytes);
// The shortest text that reads back as the same binary64; non-finite values as inf,
// -inf, nan or -nan, and a NaN with an unusual payload with its bits.
QByteArray formatReal(quint64 bits);

// A text entry's bytes up to its terminator.
QByteArray textBytes(const DefinitionRecord &record, const Entry &entry);
// The entry's value as a dump shows it; empty for a tail that holds only zeros.
QByteArray value(const DefinitionRecord &record, const Entry &entry);

struct Difference {
    QByteArray name;
    QByteArray a; // "(none)" for a tail that only one record has
    QByteArray b;
};
std::vector<Difference> differences(const DefinitionRecord &a, const DefinitionRecord &b, bool all);

} // namespace kvd
