#include "fieldlist.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kvd {

namespace {

// One row of a process column: its name and how many boxes it has (0 for a single
// field without an index), in the order the pages show them.
struct ProcessRow {
    const char *name;
    const char *caption;
    int boxes;
    Field block;
    TextField (*at)(int box, int slot);
};

constexpr ProcessRow NameRow{"Name", "Process Name", 0, Field::ProcessName, [](int, int s) { return processName(s); }};
constexpr ProcessRow OffsetRows[] = {
    {"OffsetOn", "Offset On", 3, Field::OffsetOnCodes, [](int b, int s) { return offsetOn(b, s); }},
    {"OffsetOff", "Offset Off", 3, Field::OffsetOffCodes, [](int b, int s) { return offsetOff(b, s); }},
    {"BeforeProcess", "Before Process", 0, Field::BeforeProcessCode, [](int, int s) { return beforeProcess(s); }},
    {"AfterProcess", "After Process", 0, Field::AfterProcessCode, [](int, int s) { return afterProcess(s); }},
};
constexpr ProcessRow CutRows[] = {
    {"OnSeq", "On Seq.", 3, Field::CutSeqCodes, [](int b, int s) { return cutSeq(1, b, s); }},
    {"OffSeq", "Off Seq.", 3, Field::CutSeqCodes, [](int b, int s) { return cutSeq(2, b, s); }},
    {"OffUpSeq", "Off/Up Seq.", 3, Field::CutSeqCodes, [](int b, int s) { return cutSeq(3, b, s); }},
};
constexpr ProcessRow ScribeRows[] = {
    {"OnSeq", "On Seq.", 3, Field::ScribeSeqCodes, [](int b, int s) { return scribeSeq(1, b, s); }},
    {"OffSeq", "Off Seq.", 3, Field::ScribeSeqCodes, [](int b, int s) { return scribeSeq(2, b, s); }},
};
constexpr ProcessRow PointRows[] = {
    {"Activate", "Activate Seq.", 4, Field::ActivateSeqCodes, [](int b, int s) { return activateSeq(b, s); }},
};

QByteArray slotPrefix(int slot)
{
    const char *kind = slot <= LastCutSlot ? "cut" : slot <= LastScribeSlot ? "scribe" : "point";
    return QByteArray(kind) + '[' + QByteArray::number(slot) + "].";
}

Entry makeEntry(const QByteArray &name, Entry::Kind kind, int offset, int size, Field field, int slot)
{
    Entry e{name, kind, offset, size, field, slot, nullptr, QByteArray(), 0, {}};
    return e;
}

const char CutScribePage[] = "Cutting/Scribing";
const char PointPage[] = "Point Process Codes";

void addText(std::vector<Entry> &out, const QByteArray &name, TextField f, Field field, int slot, bool all,
             const QByteArray &caption = QByteArray())
{
    out.push_back(makeEntry(name, Entry::Text, f.offset, f.size, field, slot));
    if (slot != 0) {
        out.back().page = slot <= LastScribeSlot ? CutScribePage : PointPage;
        out.back().caption = caption;
    }
    if (all)
        out.push_back(makeEntry(name + ".Tail", Entry::Tail, f.offset, f.size, field, slot));
}

template <std::size_t N>
void addRows(std::vector<Entry> &out, int slot, const ProcessRow (&rows)[N], bool all)
{
    for (const ProcessRow &row : rows) {
        const QByteArray base = slotPrefix(slot) + row.name;
        if (row.boxes == 0) {
            addText(out, base, row.at(0, slot), row.block, slot, all, row.caption);
            continue;
        }
        for (int box = 1; box <= row.boxes; ++box)
            addText(out, base + '[' + QByteArray::number(box) + ']', row.at(box, slot), row.block, slot, all,
                    row.caption + QByteArray(" box ") + QByteArray::number(box));
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


// Where the pages show each field outside the process columns.
struct Place {
    Field field;
    const char *page;
    const char *caption;
    int decimals;
    bool arcMode; // items ABS and INC instead of No and Yes
};

const char NumericPage[] = "Numeric Format";
const char MiscPage[] = "Misc. Settings";

const Place Places[] = {
    {Field::ControllerName, NumericPage, "Controller", 0, false},
    {Field::RapidThresholdDistance, NumericPage, "Rapid Threshold Distance (in.)", 2, false},
    {Field::MinArcRadius, NumericPage, "Minimum Arc Radius (in.)", 2, false},
    {Field::MinArcDistance, NumericPage, "Minimum Arc Distance (in.)", 2, false},
    {Field::ImpliedDecimals, NumericPage, "Use Implied Decimals", 0, false},
    {Field::FeedImpliedDecimals, NumericPage, "Feedrate Implied Decimals", 0, false},
    {Field::NormalPrecisionInch, NumericPage, "Decimal Formats, Normal Precision / Inch", 1, false},
    {Field::NormalPrecisionMetric, NumericPage, "Decimal Formats, Normal Precision / Metric", 1, false},
    {Field::ExtraPrecisionInch, NumericPage, "Decimal Formats, Extra Precision / Inch", 1, false},
    {Field::ExtraPrecisionMetric, NumericPage, "Decimal Formats, Extra Precision / Metric", 1, false},
    {Field::FeedPrecisionInch, NumericPage, "Decimal Formats, Normal Feedrate / Inch", 1, false},
    {Field::FeedPrecisionMetric, NumericPage, "Decimal Formats, Normal Feedrate / Metric", 1, false},
    {Field::ExtraFeedPrecisionInch, NumericPage, "Decimal Formats, Extra Prec. Feedrate / Inch", 1, false},
    {Field::ExtraFeedPrecisionMetric, NumericPage, "Decimal Formats, Extra Prec. Feedrate / Metric", 1, false},
    {Field::NormalShiftInch, NumericPage, "Decimal Shifts Values, Normal Precision / Inch", 0, false},
    {Field::NormalShiftMetric, NumericPage, "Decimal Shifts Values, Normal Precision / Metric", 0, false},
    {Field::ExtraShiftInch, NumericPage, "Decimal Shifts Values, Extra Precision / Inch", 0, false},
    {Field::ExtraShiftMetric, NumericPage, "Decimal Shifts Values, Extra Precision / Metric", 0, false},
    {Field::FeedShiftInch, NumericPage, "Decimal Shifts Values, Normal Feedrate / Inch", 0, false},
    {Field::FeedShiftMetric, NumericPage, "Decimal Shifts Values, Normal Feedrate / Metric", 0, false},
    {Field::ExtraFeedShiftInch, NumericPage, "Decimal Shifts Values, Extra Prec. Feedrate / Inch", 0, false},
    {Field::ExtraFeedShiftMetric, NumericPage, "Decimal Shifts Values, Extra Prec. Feedrate / Metric", 0, false},
    {Field::CutProcessIndex, CutScribePage, "Cut processes", 0, false},
    {Field::ScribeProcessIndex, CutScribePage, "Scribe processes", 0, false},
    {Field::PointProcessIndex, PointPage, "Point processes", 0, false},
    {Field::StartOfFile, MiscPage, "Start of File", 0, false},
    {Field::EndOfFile, MiscPage, "End of File", 0, false},
    {Field::StartOfProgram, MiscPage, "Start of Program", 0, false},
    {Field::EndOfProgram, MiscPage, "End of Program", 0, false},
    {Field::StartOfCncData, MiscPage, "Start of CNC data", 0, false},
    {Field::AbsZeroInit, MiscPage, "Abs. Zero Init", 0, false},
    {Field::InchCode, MiscPage, "Inch Setting", 0, false},
    {Field::MetricCode, MiscPage, "Metric Setting", 0, false},
    {Field::KerfValueWord, MiscPage, "Kerf Value", 0, false},
    {Field::KerfLeftCode, MiscPage, "Kerf Left", 0, false},
    {Field::KerfRightCode, MiscPage, "Kerf Right", 0, false},
    {Field::KerfOffCode, MiscPage, "Kerf Off", 0, false},
    {Field::AhcOnCode, MiscPage, "AHC On", 0, false},
    {Field::AhcOffCode, MiscPage, "AHC Off", 0, false},
    {Field::XYAlwaysOnArcs, MiscPage, "X & Y Values Always Reqd. on Arcs", 0, false},
    {Field::PlusOnXY, MiscPage, "Use Plus (+) on X & Y Values", 0, false},
    {Field::PlusOnIJ, MiscPage, "Use Plus (+) on I & J Values", 0, false},
    {Field::UnsignedIJ, MiscPage, "Use Unsigned I & J Values", 0, false},
    {Field::QuadrantArcsOnly, MiscPage, "Use Quadrant Only Arcs", 0, false},
    {Field::EssiFormat, MiscPage, "Use ESSI Input & Output Format", 0, false},
    {Field::KerfCompIncludesValue, MiscPage, "Kerf Comp includes Value", 0, false},
    {Field::IncrementalOnly, MiscPage, "Use Incremental Only Output", 0, false},
    {Field::AbsoluteOnly, MiscPage, "Use Absolute Only Output", 0, false},
    {Field::IJArcMode, MiscPage, "Use I & J Arc Mode", 0, false},
    {Field::ArcModeAbsolute, MiscPage, "Arc Mode For Absolute Pgms.", 0, true},
    {Field::ArcModeIncremental, MiscPage, "Arc Mode For Incremental Pgms.", 0, true},
    {Field::RapidModal, MiscPage, "Rapid Modal", 0, false},
    {Field::NonModalMotion, MiscPage, "Non-Modal Motion Codes", 0, false},
};

void place(Entry &e)
{
    if (e.slot != 0 || e.kind == Entry::Reserved || e.kind == Entry::Tail)
        return;
    for (const Place &p : Places) {
        if (p.field != e.field)
            continue;
        e.page = p.page;
        e.caption = p.caption;
        e.decimals = p.decimals;
        e.items[0] = p.arcMode ? "ABS" : "No";
        e.items[1] = p.arcMode ? "INC" : "Yes";
        return;
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
                out.push_back(makeEntry(row.name, Entry::Reserved, row.offset, row.size, field, 0));
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
            out.push_back(makeEntry(row.name, Entry::Integer, row.offset, row.size, field, 0));
            break;
        case Encoding::Choice:
            out.push_back(makeEntry(row.name, Entry::Choice, row.offset, row.size, field, 0));
            break;
        case Encoding::ByteChoice:
            out.push_back(makeEntry(row.name, Entry::ByteChoice, row.offset, row.size, field, 0));
            break;
        case Encoding::Real:
            out.push_back(makeEntry(row.name, Entry::Real, row.offset, row.size, field, 0));
            break;
        }
    }
    for (Entry &e : out)
        place(e);
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

QByteArray placeName(const Entry &entry)
{
    return entry.slot == 0 ? entry.caption : entry.caption + ", " + processLabel(entry.slot);
}

QByteArray processLabel(int slot)
{
    if (slot <= LastCutSlot)
        return "cut process " + QByteArray::number(slot);
    if (slot <= LastScribeSlot)
        return "scribe process " + QByteArray::number(slot - LastCutSlot);
    return "point process " + QByteArray::number(slot - LastScribeSlot);
}

int processCount(const DefinitionRecord &record, Field counter)
{
    // A load keeps one cut process at least and reads any count below none as none.
    const int index = record.integer(counter);
    return counter == Field::CutProcessIndex ? std::max(index, 0) + 1 : std::max(index, -1) + 1;
}

bool slotShown(const DefinitionRecord &record, int slot)
{
    if (slot <= LastCutSlot)
        return slot <= processCount(record, Field::CutProcessIndex);
    if (slot <= LastScribeSlot)
        return slot - LastCutSlot <= processCount(record, Field::ScribeProcessIndex);
    return slot - LastScribeSlot <= processCount(record, Field::PointProcessIndex);
}

QByteArray textBytes(const DefinitionRecord &record, const Entry &e)
{
    const quint8 *begin = record.data() + e.offset;
    return QByteArray(reinterpret_cast<const char *>(begin), textLength(begin, e.size));
}

const std::vector<Entry> &entries(bool all)
{
    // Each list is made when first asked for: the window asks for the shorter one only.
    if (all) {
        static const std::vector<Entry> every = build(true);
        return every;
    }
    static const std::vector<Entry> shown = build(false);
    return shown;
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
