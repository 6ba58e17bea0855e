#include "assignment.h"

#include <QHash>

#include <charconv>
#include <cstring>

namespace kvdtool {

namespace {

using kvd::Entry;

const Entry *lookup(const QByteArray &name)
{
    static const QHash<QByteArray, const Entry *> byName = [] {
        QHash<QByteArray, const Entry *> h;
        for (const Entry &e : kvd::entries(true))
            h.insert(e.name, &e);
        return h;
    }();
    return byName.value(name, nullptr);
}

// Untrusted text in a message, kept on one line and printable.
QByteArray quoted(const QByteArray &text)
{
    constexpr int Longest = 60;
    const QByteArray shown = kvd::escapeText(text.left(Longest));
    return '"' + shown + (text.size() > Longest ? "...\"" : "\"");
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool parseHex(const QByteArray &text, QByteArray &bytes)
{
    if (text.size() % 2)
        return false;
    bytes.resize(text.size() / 2);
    for (int i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i / 2] = char(high << 4 | low);
    }
    return true;
}

// One character of UTF-8 at `i`, moving `i` past it; -1 for a malformed sequence.
int decodeUtf8(const QByteArray &s, int &i)
{
    const quint8 first = quint8(s[i]);
    if (first < 0x80) {
        ++i;
        return first;
    }
    int length;
    uint cp;
    if ((first & 0xe0) == 0xc0) {
        length = 2;
        cp = first & 0x1f;
    } else if ((first & 0xf0) == 0xe0) {
        length = 3;
        cp = first & 0x0f;
    } else if ((first & 0xf8) == 0xf0) {
        length = 4;
        cp = first & 0x07;
    } else {
        return -1;
    }
    if (i + length > s.size())
        return -1;
    for (int k = 1; k < length; ++k) {
        const quint8 b = quint8(s[i + k]);
        if ((b & 0xc0) != 0x80)
            return -1;
        cp = cp << 6 | (b & 0x3f);
    }
    static const uint Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < Smallest[length] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
        return -1;
    i += length;
    return int(cp);
}

// A quoted text with the dump's escapes; each character is one byte of the field.
QByteArray parseText(const QByteArray &v, QByteArray &bytes)
{
    if (!v.startsWith('"'))
        return "a text is written in double quotes, as dump shows it";
    int i = 1;
    for (;;) {
        if (i >= v.size())
            return "the closing quote is missing";
        const char c = v[i];
        if (c == '"') {
            ++i;
            break;
        }
        if (c != '\\') {
            const int cp = decodeUtf8(v, i);
            if (cp < 0)
                return "the text is not UTF-8; write other bytes as \\xNN";
            if (cp > 255)
                return "character U+" + QByteArray::number(cp, 16).toUpper().rightJustified(4, '0')
                       + " is above 255; the field holds one byte per character (\\xNN for a byte)";
            bytes += char(cp);
            continue;
        }
        if (i + 1 >= v.size())
            return "the closing quote is missing";
        const char e = v[i + 1];
        i += 2;
        switch (e) {
        case 'n': bytes += '\n'; break;
        case 'r': bytes += '\r'; break;
        case 't': bytes += '\t'; break;
        case '\\': bytes += '\\'; break;
        case '"': bytes += '"'; break;
        case 'x': {
            const int high = i < v.size() ? hexDigit(v[i]) : -1;
            const int low = i + 1 < v.size() ? hexDigit(v[i + 1]) : -1;
            if (high < 0 || low < 0)
                return "\\x takes two hexadecimal digits";
            bytes += char(high << 4 | low);
            i += 2;
            break;
        }
        default:
            return "unknown escape \\" + kvd::escapeText(QByteArray(1, e))
                   + "; the escapes are \\n \\r \\t \\\\ \\\" and \\xNN";
        }
    }
    if (i != v.size())
        return "something follows the closing quote";
    if (bytes.contains('\0'))
        return "a zero byte ends a text; it cannot be inside one";
    return QByteArray();
}

bool parseWhole(const QByteArray &v, qint64 &n)
{
    int i = 0;
    const bool negative = v.startsWith('-');
    if (negative || v.startsWith('+'))
        i = 1;
    if (i == v.size())
        return false;
    qint64 magnitude = 0;
    for (; i < v.size(); ++i) {
        if (v[i] < '0' || v[i] > '9')
            return false;
        // Capped well inside qint64: any longer number is out of every range anyway.
        magnitude = qMin<qint64>(magnitude * 10 + (v[i] - '0'), qint64(1) << 40);
    }
    n = negative ? -magnitude : magnitude;
    return true;
}

QByteArray parseNumber(const QByteArray &v, qint64 low, qint64 high, qint64 &n)
{
    if (!parseWhole(v, n))
        return quoted(v) + " is not a whole number";
    if (n < low || n > high) {
        if (high - low == 1)
            return quoted(v) + " is not " + QByteArray::number(low) + " or " + QByteArray::number(high);
        return quoted(v) + " is outside " + QByteArray::number(low) + ".." + QByteArray::number(high);
    }
    return QByteArray();
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits, an optional fraction and an optional exponent: what to_chars writes, and
// also `.5` and `5.`, never hexadecimal or words.
bool isDecimal(const QByteArray &v)
{
    int i = 0;
    int digits = 0;
    while (i < v.size() && isDigit(v[i]))
        ++i, ++digits;
    if (i < v.size() && v[i] == '.') {
        ++i;
        while (i < v.size() && isDigit(v[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < v.size() && (v[i] == 'e' || v[i] == 'E')) {
        ++i;
        if (i < v.size() && (v[i] == '+' || v[i] == '-'))
            ++i;
        if (i == v.size())
            return false;
        while (i < v.size() && isDigit(v[i]))
            ++i;
    }
    return i == v.size();
}

constexpr quint64 SignBit = quint64(1) << 63;
constexpr quint64 Infinity = 0x7ff0000000000000ULL;
constexpr quint64 QuietNan = 0x7ff8000000000000ULL;

// A real in the forms formatReal() writes, and a leading `+`.
bool parseReal(const QByteArray &text, quint64 &bits, QByteArray &reason)
{
    QByteArray v = text;
    const bool negative = v.startsWith('-');
    if (negative || v.startsWith('+'))
        v.remove(0, 1);
    const QByteArray lower = v.toLower();
    const quint64 sign = negative ? SignBit : 0;
    if (lower == "inf") {
        bits = sign | Infinity;
        return true;
    }
    if (lower == "nan") {
        bits = sign | QuietNan;
        return true;
    }
    if (lower.startsWith("nan(0x") && lower.endsWith(')') && lower.size() > 7 && lower.size() <= 7 + 16 && !negative) {
        quint64 b = 0;
        for (int i = 6; i < lower.size() - 1; ++i) {
            const int d = hexDigit(lower[i]);
            if (d < 0) {
                reason = quoted(text) + " is not a number";
                return false;
            }
            b = b << 4 | quint64(d);
        }
        if ((b & ~SignBit) <= Infinity) {
            reason = quoted(text) + " does not hold the bits of a NaN";
            return false;
        }
        bits = b;
        return true;
    }
    if (!isDecimal(v)) {
        reason = quoted(text) + " is not a number";
        return false;
    }
    double d = 0;
    const auto result = std::from_chars(v.constData(), v.constData() + v.size(), d, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != v.constData() + v.size()) {
        reason = quoted(text) + " is out of the range of a real";
        return false;
    }
    std::memcpy(&bits, &d, sizeof bits);
    bits |= sign;
    return true;
}

} // namespace

QByteArray parseAssignment(const QByteArray &text, Rules rules, Assignment &out)
{
    const int equals = text.indexOf('=');
    if (equals < 0)
        return "no `=`: write NAME = VALUE";
    const QByteArray name = text.left(equals).trimmed();
    if (name.isEmpty())
        return "no field name before `=`";
    const Entry *e = lookup(name);
    if (!e)
        return "unknown field " + quoted(name);
    out.entry = e;
    const QByteArray v = text.mid(equals + 1).trimmed();
    QByteArray reason;
    switch (e->kind) {
    case Entry::Text:
        reason = parseText(v, out.bytes);
        if (reason.isEmpty() && out.bytes.size() > e->size)
            reason = QByteArray::number(out.bytes.size()) + " characters, but the field holds "
                     + QByteArray::number(e->size);
        break;
    case Entry::Integer:
        reason = parseNumber(v, -32768, 32767, out.number);
        break;
    case Entry::Choice:
        reason = rules == Rules::Store ? parseNumber(v, 0, 1, out.number) : parseNumber(v, -32768, 32767, out.number);
        break;
    case Entry::ByteChoice:
        reason = parseNumber(v, 0, rules == Rules::Store ? 1 : 255, out.number);
        break;
    case Entry::Real:
        parseReal(v, out.bits, reason);
        break;
    case Entry::Reserved:
        if (v.size() != 2 * e->size || !parseHex(v, out.bytes))
            reason = "takes " + QByteArray::number(2 * e->size) + " hexadecimal digits";
        break;
    case Entry::Tail:
        if (!parseHex(v, out.bytes))
            reason = "takes hexadecimal digits, two for each byte";
        else if (out.bytes.size() > e->size - 1)
            reason = QByteArray::number(out.bytes.size()) + " bytes, but at most "
                     + QByteArray::number(e->size - 1) + " follow a text in the field";
        break;
    }
    return reason.isEmpty() ? reason : name + ": " + reason;
}

void parseLines(const QByteArray &text, const QByteArray &source, Rules rules,
                std::vector<Assignment> &out, std::vector<QByteArray> &errors)
{
    int number = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArray line = text.mid(start, end - start);
        start = end + 1;
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        Assignment a;
        a.origin = source + ':' + QByteArray::number(number);
        const QByteArray reason = parseAssignment(trimmed, rules, a);
        if (reason.isEmpty())
            out.push_back(std::move(a));
        else
            errors.push_back(a.origin + ": " + reason);
    }
}

void findRepeats(const std::vector<Assignment> &assignments, std::vector<QByteArray> &errors)
{
    QHash<const Entry *, const Assignment *> first;
    for (const Assignment &a : assignments) {
        const auto it = first.constFind(a.entry);
        if (it == first.constEnd())
            first.insert(a.entry, &a);
        else
            errors.push_back(a.origin + ": " + a.entry->name + " is already given at " + (*it)->origin);
    }
}

std::vector<QByteArray> applyAssignments(const std::vector<Assignment> &assignments, kvd::DefinitionRecord &record)
{
    std::vector<QByteArray> errors;
    quint8 *data = record.data();
    for (const Assignment &a : assignments) {
        const Entry &e = *a.entry;
        switch (e.kind) {
        case Entry::Text:
            // As the editor stores a text: the text, then one zero unless it fills the
            // field; what follows that zero stays.
            std::memcpy(data + e.offset, a.bytes.constData(), size_t(a.bytes.size()));
            if (a.bytes.size() < e.size)
                data[e.offset + a.bytes.size()] = 0;
            break;
        case Entry::Integer:
        case Entry::Choice:
            record.setInteger(e.field, qint16(a.number));
            break;
        case Entry::ByteChoice:
            data[e.offset] = quint8(a.number);
            break;
        case Entry::Real:
            record.setRealBits(e.field, a.bits);
            break;
        case Entry::Reserved:
            std::memcpy(data + e.offset, a.bytes.constData(), size_t(e.size));
            break;
        case Entry::Tail:
            break;
        }
    }
    // A tail belongs after the text the field ends up with, whichever line came first.
    for (const Assignment &a : assignments) {
        const Entry &e = *a.entry;
        if (e.kind != Entry::Tail)
            continue;
        quint8 *field = data + e.offset;
        const void *zero = std::memchr(field, 0, size_t(e.size));
        const int room = zero ? e.size - int(static_cast<const quint8 *>(zero) - field) - 1 : 0;
        if (a.bytes.size() > room) {
            errors.push_back(a.origin + ": " + e.name + ": "
                             + (zero ? QByteArray::number(a.bytes.size()) + " bytes, but only " + QByteArray::number(room)
                                           + " follow the text the field holds"
                                     : QByteArray("the text fills the field; no byte follows it")));
            continue;
        }
        if (!zero)
            continue;
        quint8 *after = static_cast<quint8 *>(const_cast<void *>(zero)) + 1;
        std::memcpy(after, a.bytes.constData(), size_t(a.bytes.size()));
        std::memset(after + a.bytes.size(), 0, size_t(room - a.bytes.size()));
    }
    return errors;
}

} // namespace kvdtool
