#pragma once

// The layout of a definition record: every byte range of the 3228-byte record,
// named once, in offset order. Reserved ranges are listed too so that a compile-time
// check can prove the rows tile the record with no gap and no overlap.

#include <cstddef>

namespace kvd {

inline constexpr int RecordSize = 3228;

enum class Encoding {
    Reserved,   // never interpreted, carried from file to file
    Name20,     // 20-byte text, zero-terminated when shorter
    ShortCode,  // 10-byte text, zero-terminated when shorter
    CodeBlock,  // a run of ShortCodes addressed by the offset functions below
    Integer,    // signed 16-bit
    Choice,     // signed 16-bit item index of a two-item group
    ByteChoice, // the same in one byte
    Real,       // IEEE 754 binary64
};

// X(name, offset, size, encoding)
#define KVD_RECORD_FIELDS(X)                                \
    X(ControllerName, 0, 20, Name20)                        \
    X(StartOfFile, 20, 10, ShortCode)                       \
    X(EndOfFile, 30, 10, ShortCode)                         \
    X(StartOfCncData, 40, 10, ShortCode)                    \
    X(Reserved50, 50, 10, Reserved)                         \
    X(RapidModal, 60, 2, Choice)                            \
    X(Reserved62, 62, 2, Reserved)                          \
    X(ImpliedDecimals, 64, 2, Choice)                       \
    X(NormalPrecisionInch, 66, 8, Real)                     \
    X(ExtraPrecisionInch, 74, 8, Real)                      \
    X(NormalPrecisionMetric, 82, 8, Real)                   \
    X(ExtraPrecisionMetric, 90, 8, Real)                    \
    X(NormalShiftInch, 98, 2, Integer)                      \
    X(ExtraShiftInch, 100, 2, Integer)                      \
    X(NormalShiftMetric, 102, 2, Integer)                   \
    X(ExtraShiftMetric, 104, 2, Integer)                    \
    X(Reserved106, 106, 18, Reserved)                       \
    X(FeedImpliedDecimals, 124, 2, Choice)                  \
    X(FeedPrecisionInch, 126, 8, Real)                      \
    X(ExtraFeedPrecisionInch, 134, 8, Real)                 \
    X(FeedPrecisionMetric, 142, 8, Real)                    \
    X(ExtraFeedPrecisionMetric, 150, 8, Real)               \
    X(FeedShiftInch, 158, 2, Integer)                       \
    X(ExtraFeedShiftInch, 160, 2, Integer)                  \
    X(FeedShiftMetric, 162, 2, Integer)                     \
    X(ExtraFeedShiftMetric, 164, 2, Integer)                \
    X(Reserved166, 166, 614, Reserved)                      \
    X(CutProcessIndex, 780, 2, Integer)                     \
    X(ScribeProcessIndex, 782, 2, Integer)                  \
    X(PointProcessIndex, 784, 2, Integer)                   \
    X(ProcessName, 786, 100, CodeBlock)                     \
    X(Reserved886, 886, 8, Reserved)                        \
    X(InchCode, 894, 10, ShortCode)                         \
    X(MetricCode, 904, 10, ShortCode)                       \
    X(Reserved914, 914, 40, Reserved)                       \
    X(StartOfProgram, 954, 10, ShortCode)                   \
    X(EndOfProgram, 964, 10, ShortCode)                     \
    X(Reserved974, 974, 10, Reserved)                       \
    X(KerfOffCode, 984, 10, ShortCode)                      \
    X(KerfRightCode, 994, 10, ShortCode)                    \
    X(KerfLeftCode, 1004, 10, ShortCode)                    \
    X(Reserved1014, 1014, 90, Reserved)                     \
    X(KerfValueWord, 1104, 10, ShortCode)                   \
    X(AhcOnCode, 1114, 10, ShortCode)                       \
    X(AhcOffCode, 1124, 10, ShortCode)                      \
    X(Reserved1134, 1134, 260, Reserved)                    \
    X(CutSeqCodes, 1394, 270, CodeBlock)                    \
    X(ScribeSeqCodes, 1664, 120, CodeBlock)                 \
    X(ActivateSeqCodes, 1784, 200, CodeBlock)               \
    X(OffsetOnCodes, 1984, 300, CodeBlock)                  \
    X(OffsetOffCodes, 2284, 300, CodeBlock)                 \
    X(BeforeProcessCode, 2584, 100, CodeBlock)              \
    X(AfterProcessCode, 2684, 100, CodeBlock)               \
    X(Reserved2784, 2784, 242, Reserved)                    \
    X(UnsignedIJ, 3026, 2, Choice)                          \
    X(ArcModeAbsolute, 3028, 2, Choice)                     \
    X(ArcModeIncremental, 3030, 2, Choice)                  \
    X(PlusOnIJ, 3032, 2, Choice)                            \
    X(Reserved3034, 3034, 22, Reserved)                     \
    X(RapidThresholdDistance, 3056, 8, Real)                \
    X(QuadrantArcsOnly, 3064, 2, Choice)                    \
    X(EssiFormat, 3066, 2, Choice)                          \
    X(PlusOnXY, 3068, 2, Choice)                            \
    X(IncrementalOnly, 3070, 2, Choice)                     \
    X(AbsoluteOnly, 3072, 2, Choice)                        \
    X(IJArcMode, 3074, 2, Choice)                           \
    X(Reserved3076, 3076, 14, Reserved)                     \
    X(XYAlwaysOnArcs, 3090, 2, Choice)                      \
    X(AbsZeroInit, 3092, 20, Name20)                        \
    X(MinArcRadius, 3112, 8, Real)                          \
    X(MinArcDistance, 3120, 8, Real)                        \
    X(Reserved3128, 3128, 30, Reserved)                     \
    X(NonModalMotion, 3158, 2, Choice)                      \
    X(Reserved3160, 3160, 58, Reserved)                     \
    X(KerfCompIncludesValue, 3218, 1, ByteChoice)           \
    X(Reserved3219, 3219, 9, Reserved)

enum class Field {
#define KVD_FIELD_ENUM(name, offset, size, encoding) name,
    KVD_RECORD_FIELDS(KVD_FIELD_ENUM)
#undef KVD_FIELD_ENUM
};

struct FieldSpec {
    const char *name;
    int offset;
    int size;
    Encoding encoding;
};

inline constexpr FieldSpec FieldTable[] = {
#define KVD_FIELD_ROW(name, offset, size, encoding) {#name, offset, size, Encoding::encoding},
    KVD_RECORD_FIELDS(KVD_FIELD_ROW)
#undef KVD_FIELD_ROW
};

inline constexpr int FieldCount = int(sizeof(FieldTable) / sizeof(FieldTable[0]));

constexpr const FieldSpec &fieldSpec(Field f) { return FieldTable[int(f)]; }

namespace detail {
constexpr bool tilesRecord()
{
    int next = 0;
    for (const FieldSpec &row : FieldTable) {
        if (row.offset != next || row.size <= 0)
            return false;
        next = row.offset + row.size;
    }
    return next == RecordSize;
}
} // namespace detail
static_assert(detail::tilesRecord(), "record layout rows must tile the 3228-byte record");

// A text field anywhere in the record: a scalar ShortCode/Name20 or one entry of a code block.
struct TextField {
    int offset;
    int size;
    constexpr bool operator==(const TextField &o) const { return offset == o.offset && size == o.size; }
};

inline constexpr int ShortCodeSize = 10;
inline constexpr int Name20Size = 20;

constexpr TextField textField(Field f) { return {fieldSpec(f).offset, fieldSpec(f).size}; }

// Process slots: 1-3 cut, 4-5 scribe, 6-10 point.
inline constexpr int FirstCutSlot = 1, LastCutSlot = 3;
inline constexpr int FirstScribeSlot = 4, LastScribeSlot = 5;
inline constexpr int FirstPointSlot = 6, LastPointSlot = 10;

namespace detail {
constexpr TextField entry(Field block, int index)
{
    return {fieldSpec(block).offset + ShortCodeSize * index, ShortCodeSize};
}
} // namespace detail

// Code-block entries. Callers pass indices within the ranges named; the functions
// do not clamp, the tests pin them to the worked positions.
constexpr TextField processName(int slot) { return detail::entry(Field::ProcessName, slot - 1); }
// row 1 On, 2 Off, 3 Off/Up; box 1..3; slot 1..3
constexpr TextField cutSeq(int row, int box, int slot)
{
    return detail::entry(Field::CutSeqCodes, 9 * (row - 1) + 3 * (box - 1) + (slot - 1));
}
// row 1 On, 2 Off; box 1..3; slot 4..5
constexpr TextField scribeSeq(int row, int box, int slot)
{
    return detail::entry(Field::ScribeSeqCodes, 6 * (row - 1) + 2 * (box - 1) + (slot - 4));
}
// box 1..4; slot 6..10
constexpr TextField activateSeq(int box, int slot)
{
    return detail::entry(Field::ActivateSeqCodes, 5 * (box - 1) + (slot - 6));
}
// box 1..3; slot 1..10
constexpr TextField offsetOn(int box, int slot) { return detail::entry(Field::OffsetOnCodes, 10 * (box - 1) + (slot - 1)); }
constexpr TextField offsetOff(int box, int slot) { return detail::entry(Field::OffsetOffCodes, 10 * (box - 1) + (slot - 1)); }
constexpr TextField beforeProcess(int slot) { return detail::entry(Field::BeforeProcessCode, slot - 1); }
constexpr TextField afterProcess(int slot) { return detail::entry(Field::AfterProcessCode, slot - 1); }

static_assert(cutSeq(1, 2, 1).offset == 1424);
static_assert(scribeSeq(2, 3, 5).offset == 1774);
static_assert(offsetOn(1, 6).offset == 2034);
static_assert(offsetOff(3, 10).offset == 2574);
static_assert(activateSeq(4, 10).offset == 1974);
static_assert(cutSeq(3, 3, 3).offset + ShortCodeSize == fieldSpec(Field::ScribeSeqCodes).offset);
static_assert(afterProcess(10).offset + ShortCodeSize == fieldSpec(Field::Reserved2784).offset);

} // namespace kvd
