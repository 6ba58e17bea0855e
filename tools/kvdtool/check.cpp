#include "check.h"

#include "dump.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kvdtool {

namespace {

using kvd::Field;

struct CounterRange {
    Field field;
    int low;
    int high;
};

constexpr CounterRange Counters[] = {
    {Field::CutProcessIndex, 0, 2},
    {Field::ScribeProcessIndex, -1, 1},
    {Field::PointProcessIndex, -1, 4},
};

Field counterOf(int slot)
{
    if (slot <= kvd::LastCutSlot)
        return Field::CutProcessIndex;
    return slot <= kvd::LastScribeSlot ? Field::ScribeProcessIndex : Field::PointProcessIndex;
}

QByteArray slotName(int slot)
{
    const char *kind = slot <= kvd::LastCutSlot ? "cut" : slot <= kvd::LastScribeSlot ? "scribe" : "point";
    return QByteArray(kind) + '[' + QByteArray::number(slot) + ']';
}

} // namespace

bool slotInUse(const kvd::DefinitionRecord &record, int slot)
{
    const int stored = record.integer(counterOf(slot));
    if (slot <= kvd::LastCutSlot)
        return slot <= std::max(stored, 0) + 1; // the editor always keeps the first cut process
    if (slot <= kvd::LastScribeSlot)
        return slot - kvd::FirstScribeSlot <= stored;
    return slot - kvd::FirstPointSlot <= stored;
}

std::vector<QByteArray> checkLength(qint64 length)
{
    if (length == kvd::RecordSize)
        return {};
    QByteArray message = "length " + QByteArray::number(length) + " bytes, not " + QByteArray::number(kvd::RecordSize);
    if (length > kvd::RecordSize)
        message += "; only the first " + QByteArray::number(kvd::RecordSize) + " are read";
    return {message};
}

std::vector<QByteArray> checkRecord(const kvd::DefinitionRecord &record)
{
    std::vector<QByteArray> out;
    for (const CounterRange &c : Counters) {
        const int v = record.integer(c.field);
        if (v < c.low || v > c.high)
            out.push_back(QByteArray(kvd::fieldSpec(c.field).name) + " = " + QByteArray::number(v) + ", outside "
                          + QByteArray::number(c.low) + ".." + QByteArray::number(c.high));
    }

    QByteArray stale[kvd::LastPointSlot + 1];
    for (const Entry &e : kvd::entries(false)) {
        switch (e.kind) {
        case Entry::Choice:
        case Entry::ByteChoice: {
            const QByteArray v = value(record, e);
            if (v != "0" && v != "1")
                out.push_back(e.name + " = " + v + ", not 0 or 1; the editor reads it as 0 and saves 0");
            break;
        }
        case Entry::Real:
            if (!std::isfinite(record.real(e.field)))
                out.push_back(e.name + " = " + value(record, e) + ", not a finite number; the editor cannot save it");
            break;
        case Entry::Text:
            if (!std::memchr(record.data() + e.offset, 0, size_t(e.size)))
                out.push_back(e.name + " = " + value(record, e) + " has no terminating zero");
            if (e.slot && record.data()[e.offset] != 0 && !slotInUse(record, e.slot))
                stale[e.slot] += (stale[e.slot].isEmpty() ? "" : ", ") + e.name.mid(e.name.indexOf('.') + 1);
            break;
        default:
            break;
        }
    }

    for (int slot = 1; slot <= kvd::LastPointSlot; ++slot) {
        if (stale[slot].isEmpty())
            continue;
        const Field counter = counterOf(slot);
        out.push_back(slotName(slot) + " holds codes (" + stale[slot] + ") beyond " + kvd::fieldSpec(counter).name + " = "
                      + QByteArray::number(record.integer(counter)) + "; the editor's next save clears them");
    }
    return out;
}

} // namespace kvdtool
