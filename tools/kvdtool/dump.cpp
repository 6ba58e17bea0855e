#include "dump.h"

#include <cmath>

namespace kvdtool {

namespace {

const char HexDigits[] = "0123456789abcdef";

QByteArray jsonString(const QByteArray &bytes)
{
    QByteArray out = "\"";
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        switch (b) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            // A byte stands for the character of the same number, as the editor reads it.
            if (b >= 0x20 && b < 0x7f)
                out += char(b);
            else
                out += QByteArray("\\u00") + HexDigits[b >> 4] + HexDigits[b & 15];
        }
    }
    return out + '"';
}

} // namespace

QByteArray jsonValue(const kvd::DefinitionRecord &record, const Entry &e)
{
    switch (e.kind) {
    case Entry::Text: return jsonString(textBytes(record, e));
    case Entry::Real: {
        const QByteArray text = kvd::formatReal(record.realBits(e.field));
        const double v = record.real(e.field);
        return std::isfinite(v) ? text : jsonString(text); // JSON has no number for these
    }
    case Entry::Reserved: return jsonString(value(record, e));
    case Entry::Tail: {
        const QByteArray text = value(record, e);
        return text.isEmpty() ? text : jsonString(text);
    }
    default: return value(record, e);
    }
}

QByteArray dumpText(const kvd::DefinitionRecord &record, bool all)
{
    QByteArray out;
    out.reserve(8192);
    for (const Entry &e : kvd::entries(all)) {
        const QByteArray v = value(record, e);
        if (e.kind == Entry::Tail && v.isEmpty())
            continue;
        out += e.name + " = " + v + '\n';
    }
    return out;
}

QByteArray dumpJson(const kvd::DefinitionRecord &record, bool all)
{
    QByteArray out = "{";
    out.reserve(12288);
    const char *separator = "\n  ";
    for (const Entry &e : kvd::entries(all)) {
        const QByteArray v = jsonValue(record, e);
        if (v.isEmpty())
            continue;
        out += separator + jsonString(e.name) + ": " + v;
        separator = ",\n  ";
    }
    return out + "\n}\n";
}

QByteArray diffText(const std::vector<Difference> &diffs, const QByteArray &prefix)
{
    QByteArray out;
    for (const Difference &d : diffs)
        out += prefix + d.name + ": " + d.a + " -> " + d.b + '\n';
    return out;
}

} // namespace kvdtool
