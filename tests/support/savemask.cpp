#include "savemask.h"

#include <QHash>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <optional>

namespace savemask {

using kvd::Field;
using kvd::TextField;

namespace {

// The two settings pages bind one named field per widget.
const QHash<QString, Field> &namedFields()
{
    static const QHash<QString, Field> table = {
        {QStringLiteral("ControllerEdit"), Field::ControllerName},
        {QStringLiteral("RTDEdit"), Field::RapidThresholdDistance},
        {QStringLiteral("MAREdit"), Field::MinArcRadius},
        {QStringLiteral("MADEdit"), Field::MinArcDistance},
        {QStringLiteral("RadGroupImpDec"), Field::ImpliedDecimals},
        {QStringLiteral("RadGroupFRImpDec"), Field::FeedImpliedDecimals},
        {QStringLiteral("NormPrecEdit"), Field::NormalPrecisionInch},
        {QStringLiteral("NormPrecMetEdit"), Field::NormalPrecisionMetric},
        {QStringLiteral("XPreIEdit"), Field::ExtraPrecisionInch},
        {QStringLiteral("XPrecMetEdit"), Field::ExtraPrecisionMetric},
        {QStringLiteral("FeedIEdit"), Field::FeedPrecisionInch},
        {QStringLiteral("FeedMetEdit"), Field::FeedPrecisionMetric},
        {QStringLiteral("XPrecFeedIEdit"), Field::ExtraFeedPrecisionInch},
        {QStringLiteral("XPrecFeedMetEdit"), Field::ExtraFeedPrecisionMetric},
        {QStringLiteral("NormPreEdit"), Field::NormalShiftInch},
        {QStringLiteral("NormPreMetEdit"), Field::NormalShiftMetric},
        {QStringLiteral("XPreInchEdit"), Field::ExtraShiftInch},
        {QStringLiteral("XtraPrecMetEdit"), Field::ExtraShiftMetric},
        {QStringLiteral("FeedIShiftEdit"), Field::FeedShiftInch},
        {QStringLiteral("FeedMetShiftEdit"), Field::FeedShiftMetric},
        {QStringLiteral("XPrecFeedIShiftEdit"), Field::ExtraFeedShiftInch},
        {QStringLiteral("XPrecFeedMetShiftEdit"), Field::ExtraFeedShiftMetric},
        {QStringLiteral("SFEdit"), Field::StartOfFile},
        {QStringLiteral("EFEdit"), Field::EndOfFile},
        {QStringLiteral("SPEdit"), Field::StartOfProgram},
        {QStringLiteral("EPEdit"), Field::EndOfProgram},
        {QStringLiteral("CNCDataEdit"), Field::StartOfCncData},
        {QStringLiteral("AZIFEdit"), Field::AbsZeroInit},
        {QStringLiteral("InchSetting"), Field::InchCode},
        {QStringLiteral("MetricSetting"), Field::MetricCode},
        {QStringLiteral("KOffSetting"), Field::KerfOffCode},
        {QStringLiteral("KLeftSetting"), Field::KerfLeftCode},
        {QStringLiteral("KRightSetting"), Field::KerfRightCode},
        {QStringLiteral("KValSetting"), Field::KerfValueWord},
        {QStringLiteral("AHCOnSetting"), Field::AhcOnCode},
        {QStringLiteral("AHCOffSetting"), Field::AhcOffCode},
        {QStringLiteral("RadGroupXY"), Field::XYAlwaysOnArcs},
        {QStringLiteral("RadGroupXYVals"), Field::PlusOnXY},
        {QStringLiteral("RadGroupIJVals"), Field::PlusOnIJ},
        {QStringLiteral("RadGroupUnIJ"), Field::UnsignedIJ},
        {QStringLiteral("RadGroupQuadArc"), Field::QuadrantArcsOnly},
        {QStringLiteral("RadGroupInOutFor"), Field::EssiFormat},
        {QStringLiteral("RadGroupKerfCompIncVal"), Field::KerfCompIncludesValue},
        {QStringLiteral("RadGroupIncOnly"), Field::IncrementalOnly},
        {QStringLiteral("RadGroupAbsOnly"), Field::AbsoluteOnly},
        {QStringLiteral("RadGroupIJArcMode"), Field::IJArcMode},
        {QStringLiteral("RadGroupArcModeAbs"), Field::ArcModeAbsolute},
        {QStringLiteral("RadGroupArcIncr"), Field::ArcModeIncremental},
        {QStringLiteral("ModalRadGroup"), Field::RapidModal},
        {QStringLiteral("NonModalRadGroup"), Field::NonModalMotion},
    };
    return table;
}

Kind kindOf(kvd::Encoding e)
{
    switch (e) {
    case kvd::Encoding::Name20:
    case kvd::Encoding::ShortCode: return Kind::Text;
    case kvd::Encoding::Real: return Kind::Real;
    case kvd::Encoding::Integer: return Kind::Integer;
    case kvd::Encoding::Choice:
    case kvd::Encoding::ByteChoice: return Kind::Choice;
    default: return Kind::None;
    }
}

// The grid boxes of the two process pages, by name.
std::optional<TextField> gridField(const QString &name)
{
    static const QRegularExpression cut(QStringLiteral("^EditR([1-5])C([1-5])B([1-3])$"));
    static const QRegularExpression point(QStringLiteral("^PCEditR([1-3])C([1-5])B([1-4])$"));
    static const QRegularExpression single(QStringLiteral("^(Process|PCProcess|BPCol|APCol)([1-5])(Edit)?$"));
    if (const auto m = cut.match(name); m.hasMatch()) {
        const int r = m.captured(1).toInt(), c = m.captured(2).toInt(), b = m.captured(3).toInt();
        if (r <= 2)
            return c <= 3 ? kvd::cutSeq(r, b, c) : kvd::scribeSeq(r, b, c);
        if (r == 3)
            return c <= 3 ? std::optional<TextField>(kvd::cutSeq(3, b, c)) : std::nullopt;
        return r == 4 ? kvd::offsetOn(b, c) : kvd::offsetOff(b, c);
    }
    if (const auto m = point.match(name); m.hasMatch()) {
        const int r = m.captured(1).toInt(), c = m.captured(2).toInt(), b = m.captured(3).toInt();
        const int slot = c + 5;
        if (r == 1)
            return kvd::activateSeq(b, slot);
        if (b > 3)
            return std::nullopt;
        return r == 2 ? kvd::offsetOn(b, slot) : kvd::offsetOff(b, slot);
    }
    if (const auto m = single.match(name); m.hasMatch()) {
        const QString what = m.captured(1);
        const bool suffixed = !m.captured(3).isEmpty(); // BPCol1Edit is the point page's BPCol1
        if (what.endsWith(QLatin1String("Process")) && suffixed)
            return std::nullopt;
        const bool pointPage = what == QLatin1String("PCProcess") || suffixed;
        const int slot = m.captured(2).toInt() + (pointPage ? 5 : 0);
        if (what.endsWith(QLatin1String("Process")))
            return kvd::processName(slot);
        return what == QLatin1String("BPCol") ? kvd::beforeProcess(slot) : kvd::afterProcess(slot);
    }
    return std::nullopt;
}

qint16 int16At(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<qint16>(bytes.constData() + offset);
}

void putInt16(QByteArray &bytes, int offset, qint16 value)
{
    qToLittleEndian<qint16>(value, bytes.data() + offset);
}

void setFree(QBitArray &free, int offset, int size)
{
    for (int i = offset; i < offset + size; ++i)
        free.setBit(i);
}

} // namespace

WidgetField widgetField(const QString &objectName)
{
    const auto named = namedFields().constFind(objectName);
    if (named != namedFields().constEnd()) {
        const kvd::FieldSpec &s = kvd::fieldSpec(*named);
        return {kindOf(s.encoding), {s.offset, s.size}};
    }
    if (const auto f = gridField(objectName))
        return {Kind::Text, *f};
    return {};
}

QList<TextField> slotCodes(int slot)
{
    QList<TextField> codes{kvd::processName(slot)};
    if (slot <= kvd::LastCutSlot) {
        for (int row = 1; row <= 3; ++row)
            for (int box = 1; box <= 3; ++box)
                codes << kvd::cutSeq(row, box, slot);
    } else if (slot <= kvd::LastScribeSlot) {
        for (int row = 1; row <= 2; ++row)
            for (int box = 1; box <= 3; ++box)
                codes << kvd::scribeSeq(row, box, slot);
    } else {
        for (int box = 1; box <= 4; ++box)
            codes << kvd::activateSeq(box, slot);
    }
    for (int box = 1; box <= 3; ++box)
        codes << kvd::offsetOn(box, slot) << kvd::offsetOff(box, slot);
    codes << kvd::beforeProcess(slot) << kvd::afterProcess(slot);
    return codes;
}

bool slotShown(const QByteArray &record, int slot)
{
    // Counts are "processes minus one"; there is always one cut process, and a count
    // beyond the columns there are shows them all.
    if (slot <= kvd::LastCutSlot) {
        const int cuts = std::max<int>(int16At(record, kvd::fieldSpec(Field::CutProcessIndex).offset), 0) + 1;
        return slot <= cuts;
    }
    if (slot <= kvd::LastScribeSlot)
        return slot - kvd::LastCutSlot <= int16At(record, kvd::fieldSpec(Field::ScribeProcessIndex).offset) + 1;
    return slot - kvd::LastScribeSlot <= int16At(record, kvd::fieldSpec(Field::PointProcessIndex).offset) + 1;
}

Expectation expectSave(const QByteArray &opened, const Trace &trace)
{
    Q_ASSERT(opened.size() >= kvd::RecordSize);
    Expectation e{opened.left(kvd::RecordSize), QBitArray(kvd::RecordSize)};
    QByteArray &out = e.bytes;

    for (const kvd::FieldSpec &s : kvd::FieldTable) {
        if (s.encoding == kvd::Encoding::Choice)
            putInt16(out, s.offset, int16At(opened, s.offset) == 1 ? 1 : 0);
        else if (s.encoding == kvd::Encoding::ByteChoice)
            out[s.offset] = opened.at(s.offset) == 1 ? 1 : 0;
    }
    // There is always a cut process; a scribe or point count below "none" reads as none.
    const struct {
        Field field;
        qint16 lowest;
    } floors[] = {{Field::CutProcessIndex, 0}, {Field::ScribeProcessIndex, -1}, {Field::PointProcessIndex, -1}};
    for (const auto &f : floors) {
        const int at = kvd::fieldSpec(f.field).offset;
        putInt16(out, at, std::max<qint16>(int16At(opened, at), f.lowest));
    }

    for (int slot = 1; slot <= kvd::LastPointSlot; ++slot) {
        const bool shown = slotShown(opened, slot);
        const bool disturbed = trace.disturbed.contains(slot);
        for (const TextField &f : slotCodes(slot)) {
            if (!shown)
                out[f.offset] = 0;
            if (disturbed)
                e.free.setBit(f.offset);
        }
    }

    const struct {
        bool moved;
        Field field;
    } counters[] = {{trace.cutCount, Field::CutProcessIndex},
                    {trace.scribeCount, Field::ScribeProcessIndex},
                    {trace.pointCount, Field::PointProcessIndex}};
    for (const auto &c : counters)
        if (c.moved)
            setFree(e.free, kvd::fieldSpec(c.field).offset, 2);

    for (const QString &name : trace.edited) {
        const WidgetField w = widgetField(name);
        Q_ASSERT_X(w.kind != Kind::None, "expectSave", qPrintable(name));
        setFree(e.free, w.range.offset, w.range.size);
    }
    return e;
}

QString describe(int offset)
{
    for (const kvd::FieldSpec &s : kvd::FieldTable)
        if (offset >= s.offset && offset < s.offset + s.size)
            return QStringLiteral("%1+%2 (byte %3)").arg(QLatin1String(s.name)).arg(offset - s.offset).arg(offset);
    return QStringLiteral("byte %1").arg(offset);
}

QString check(const Expectation &expectation, const QByteArray &saved)
{
    if (saved.size() != kvd::RecordSize)
        return QStringLiteral("saved file has %1 bytes, not %2").arg(saved.size()).arg(kvd::RecordSize);
    QStringList wrong;
    int count = 0;
    for (int i = 0; i < kvd::RecordSize; ++i) {
        if (expectation.free.testBit(i) || saved.at(i) == expectation.bytes.at(i))
            continue;
        if (++count <= 6)
            wrong << QStringLiteral("%1: expected %2, written %3")
                         .arg(describe(i))
                         .arg(quint8(expectation.bytes.at(i)), 2, 16, QLatin1Char('0'))
                         .arg(quint8(saved.at(i)), 2, 16, QLatin1Char('0'));
    }
    if (count == 0)
        return QString();
    if (count > 6)
        wrong << QStringLiteral("... %1 bytes in all").arg(count);
    return wrong.join(QStringLiteral("; "));
}

} // namespace savemask
