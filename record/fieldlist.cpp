#include "fieldlist.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace kvd {

namespace {

// One row of a process column: its name and how many boxes it has (0 for a single
// field without an index), in the order the pages show them.
struct ProcessRow {
    const char *name;
    int boxes;
    Field block;
    TextField (*at)(int box, int slot);
};

constexpr ProcessRow NameRow{"Name", 0, Field::ProcessName, [](int, int s) { return processName(s); }};
constexpr ProcessRow OffsetRows[] = {
    {"OffsetOn", 3, Field::OffsetOnCodes, [](int b, int s) { return offsetOn(b, s); }},
    {"OffsetOff", 3, Field::OffsetOffCodes, [](int b, int s) { return offsetOff(b, s); }},
    {"BeforeProcess", 0, Field::BeforeProcessCode, [](int, int s) { return beforeProcess(s); }},
    {"AfterProcess", 0, Field::AfterProcessCode, [](int, int s) { return afterProcess(s); }},
};
constexpr ProcessRow CutRows[] = {
    {"OnSeq", 3, Field::CutSeqCodes, [](int b, int s) { return cutSeq(1, b, s); }},
    {"OffSeq", 3, Field::CutSeqCodes, [](int b, int s) { return cutSeq(2, b, s); }},
    {"OffUpSeq", 3, Field::CutSeqCodes, [](int b, int s) { return cutSeq(3, b, s); }},
};
constexpr ProcessRow ScribeRows[] = {
    {"OnSeq", 3, Field::ScribeSeqCodes, [](int b, int s) { return scribeSeq(1, b, s); }},
    {"OffSeq", 3, Field::ScribeSeqCodes, [](int b, int s) { return scribeSeq(2, b, s); }},
};
constexpr ProcessRow PointRows[] = {
    {"Activate", 4, Field::ActivateSeqCodes, [](int b, int s) { return activateSeq(b, s); }},
};

QByteArray slotPrefix(int slot)
{
    const char *kind = slot <= LastCutSlot ? "cut" : slot <= LastScribeSlot ? "scribe" : "point";
    return QByteArray(kind) + '[' + QByteArray::number(slot) + "].";
}

void addText(std::vector<Entry> &out, const QByteArray &name, TextField f, Field field, int slot, bool all)
{
    out.push_back({name, Entry::Text, f.offset, f.size, field, slot});
    if (all)
        out.push_back({name + ".Tail", Entry::Tail, f.offset, f.size, field, slot});
}

template <std::size_t N>
void addRows(std::vector<Entry> &out, int slot, const ProcessRow (&rows)[N], bool all)
{
    for (const ProcessRow &row : rows) {
        const QByteArray base = slotPrefix(slot) + row.name;
        if (row.boxes == 0) {
            addText(out, base, row.at(0, slot), row.block, slot, all);
            continue;
        }
        for (int box = 1; box <= row.boxes; ++box)
            addText(out, base + '[' + QByteArray::number(box) + ']', row.at(box, slot), row.block, slot, all);
    }
}

void addProcesses(std::vector<Entry> &out, bool all)
{
    for (int slot = 1; slot <= LastPointSlot; ++slot) {
        addRows(out, slot, {NameRow}, all);
        if (slot <= LastCutSlot)
            addRows(out, slot, CutRows, all);
        else if (slot <= LastScribeSlot)
            addRows(out, slot, ScribeRows, all);
        else
            addRows(out, slot, PointRows, all);
        addRows(out, slot, OffsetRows, all);
    }
}

std::vector<Entry> build(bool all)
{
    std::vector<Entry> out;
    for (int i = 0; i < FieldCount; ++i) {
        const FieldSpec &row = FieldTable[i];
        const Field field = Field(i);
        switch (row.encoding) {
        case Encoding::Reserved:
            if (all)
                out.push_back({row.name, Entry::Reserved, row.offset, row.size, field, 0});
            break;
        case Encoding::Name20:
        case Encoding::ShortCode:
            addText(out, row.name, textField(field), field, 0, all);
            break;
        case Encoding::CodeBlock:
            // The code blocks hold one process's codes in many places; all of them are
            // listed together, slot by slot, where the first block stands.
            if (field == Field::ProcessName)
                addProcesses(out, all);
            break;
        case Encoding::Integer:
            out.push_back({row.name, Entry::Integer, row.offset, row.size, field, 0});
            break;
        case Encoding::Choice:
            out.push_back({row.name, Entry::Choice, row.offset, row.size, field, 0});
            break;
        case Encoding::ByteChoice:
            out.push_back({row.name, Entry::ByteChoice, row.offset, row.size, field, 0});
            break;
        case Encoding::Real:
            out.push_back({row.name, Entry::Real, row.offset, row.size, field, 0});
            break;
        }
    }
    return out;
}

const char HexDigits[] = "0123456789abcdef";

QByteArray hex(const quint8 *bytes, int size)
{
    QByteArray out;
    out.reserve(2 * size);
    for (int i = 0; i < size; ++i) {
        out += HexDigits[bytes[i] >> 4];
        out += HexDigits[bytes[i] & 15];
    }
    return out;
}

QByteArray hex64(quint64 v)
{
    QByteArray out(16, '0');
    for (int i = 15; i >= 0; --i, v >>= 4)
        out[i] = HexDigits[v & 15];
    return out;
}

int textLength(const quint8 *bytes, int size)
{
    const void *zero = std::memchr(bytes, 0, size_t(size));
    return zero ? int(static_cast<const quint8 *>(zero) - bytes) : size;
}


// What follows the terminator up to its last non-zero byte, so that a text growing or
// shrinking over zeros does not count as a change of its tail.
QByteArray tailHex(const DefinitionRecord &record, const Entry &e)
{
    const quint8 *begin = record.data() + e.offset;
    const int first = textLength(begin, e.size) + 1;
    int end = e.size;
    while (end > first && begin[end - 1] == 0)
        --end;
    return end > first ? hex(begin + first, end - first) : QByteArray();
}

} // namespace

QByteArray textBytes(const DefinitionRecord &record, const Entry &e)
{
    const quint8 *begin = record.data() + e.offset;
    return QByteArray(reinterpret_cast<const char *>(begin), textLength(begin, e.size));
}

const std::vector<Entry> &entries(bool all)
{
    static const std::vector<Entry> shown = build(false);
    static const std::vector<Entry> every = build(true);
    return all ? every : shown;
}

QByteArray escapeText(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + 2);
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        switch (b) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default:
            if (b >= 0x20 && b < 0x7f)
                out += char(b);
            else
                out += QByteArray("\\x") + HexDigits[b >> 4] + HexDigits[b & 15];
        }
    }
    return out;
}

QByteArray formatReal(quint64 bits)
{
    double v;
    std::memcpy(&v, &bits, sizeof v);
    const bool negative = bits >> 63;
    if (std::isinf(v))
        return negative ? "-inf" : "inf";
    if (std::isnan(v)) {
        // The quiet NaN that arithmetic produces; any other pattern keeps its bits so
        // that two different ones never look alike.
        if ((bits & ~(quint64(1) << 63)) == 0x7ff8000000000000ULL)
            return negative ? "-nan" : "nan";
        return "nan(0x" + hex64(bits) + ')';
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return QByteArray(buffer, int(result.ptr - buffer));
}

QByteArray value(const DefinitionRecord &record, const Entry &e)
{
    switch (e.kind) {
    case Entry::Text: return '"' + escapeText(textBytes(record, e)) + '"';
    case Entry::Integer:
    case Entry::Choice: return QByteArray::number(record.integer(e.field));
    case Entry::ByteChoice: return QByteArray::number(record.data()[e.offset]);
    case Entry::Real: return formatReal(record.realBits(e.field));
    case Entry::Reserved: return hex(record.data() + e.offset, e.size);
    case Entry::Tail: return tailHex(record, e);
    }
    return QByteArray();
}

std::vector<Difference> differences(const DefinitionRecord &a, const DefinitionRecord &b, bool all)
{
    std::vector<Difference> out;
    for (const Entry &e : entries(all)) {
        const QByteArray va = value(a, e);
        const QByteArray vb = value(b, e);
        if (va == vb)
            continue;
        const QByteArray none = "(none)";
        out.push_back({e.name, va.isEmpty() ? none : va, vb.isEmpty() ? none : vb});
    }
    return out;
}

} // namespace kvd
