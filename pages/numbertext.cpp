#include "numbertext.h"

#include <QByteArray>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace numbertext {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return isDigit(c) || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u <= u'9')
        return u - u'0';
    return (u | 0x20) - u'a' + 10;
}

int skipBlanks(const QString &text, int i)
{
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return i;
}

// Adds one unit in the last place of a run of decimal digits; returns whether the
// carry ran out of the front (the caller then prepends a 1).
bool incrementDigits(QString &digits)
{
    for (int i = int(digits.size()) - 1; i >= 0; --i) {
        if (digits.at(i) != QLatin1Char('9')) {
            digits[i] = QChar(digits.at(i).unicode() + 1);
            return false;
        }
        digits[i] = QLatin1Char('0');
    }
    return true;
}

} // namespace

QChar decimalSeparatorOf(const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    if (point.size() != 1)
        return QLatin1Char('.');
    const QChar c = point.at(0);
    // The boxes hold one byte per character, and the separator must not be read as
    // part of the digits, sign, exponent or blanks around them.
    if (c.unicode() == 0 || c.unicode() > 0xFF || isDigit(c) || QStringLiteral("+-eE ").contains(c))
        return QLatin1Char('.');
    return c;
}

QString showReal(double value, int decimals, QChar separator)
{
    const bool negative = std::signbit(value);
    const QString sign = negative ? QStringLiteral("-") : QString();
    if (std::isnan(value))
        return sign + QStringLiteral("NAN");
    if (std::isinf(value))
        return sign + QStringLiteral("INF");

    // Round the decimal digits the user would type for this value (shortest round-trip
    // form), not its binary expansion: 2.675 is stored as 2.67499..., yet shows 2.68.
    const QString shortest = QString::number(std::fabs(value), 'e', QLocale::FloatingPointShortest);
    const qsizetype mark = shortest.indexOf(QLatin1Char('e'));
    QString digits = shortest.left(mark);
    digits.remove(QLatin1Char('.'));
    int point = shortest.mid(mark + 1).toInt() + 1; // digits before the decimal point

    if (point < 1) {
        digits.prepend(QString(1 - point, QLatin1Char('0')));
        point = 1;
    }
    const int kept = point + decimals;
    if (digits.size() <= kept)
        digits.append(QString(kept + 1 - digits.size(), QLatin1Char('0')));
    const bool roundUp = digits.at(kept) >= QLatin1Char('5');
    digits.truncate(kept);
    if (roundUp && incrementDigits(digits)) {
        digits.prepend(QLatin1Char('1'));
        ++point;
    }

    QString text;
    const bool zero = std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c == QLatin1Char('0'); });
    if (negative && !zero)
        text += QLatin1Char('-');
    text += digits.left(point);
    if (decimals > 0)
        text += separator + digits.mid(point);
    return text;
}

QString showInteger(qint16 value)
{
    return QString::number(value);
}

RealResult parseReal(const QString &text, QChar separator)
{
    RealResult result;
    const auto invalid = [&] {
        result.error = QStringLiteral("'%1' is not a valid floating point value").arg(text);
        return result;
    };

    // Rebuilt in the C form (point, plain exponent) for the conversion.
    QByteArray number;
    int i = skipBlanks(text, 0);
    const int n = int(text.size());
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        number += char(text.at(i++).unicode());
    QByteArray whole, fraction;
    while (i < n && isDigit(text.at(i)))
        whole += char(text.at(i++).unicode());
    bool hasSeparator = false;
    if (i < n && text.at(i) == separator) {
        hasSeparator = true;
        ++i;
        while (i < n && isDigit(text.at(i)))
            fraction += char(text.at(i++).unicode());
    }
    if (whole.isEmpty() && !hasSeparator)
        return invalid();

    QByteArray exponent;
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        ++i;
        char expSign = '+';
        if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
            expSign = char(text.at(i++).unicode());
        QByteArray expDigits;
        while (i < n && isDigit(text.at(i)))
            expDigits += char(text.at(i++).unicode());
        if (expDigits.isEmpty())
            return invalid();
        while (expDigits.size() > 1 && expDigits.front() == '0')
            expDigits.remove(0, 1);
        // Far beyond any real's range either way; keeps the converter's exponent sane.
        if (expDigits.size() > 5)
            expDigits = "99999";
        exponent = 'e' + QByteArray(1, expSign) + expDigits;
    }
    if (skipBlanks(text, i) != n)
        return invalid();

    number += (whole.isEmpty() ? QByteArray("0") : whole) + '.' + (fraction.isEmpty() ? QByteArray("0") : fraction)
              + exponent;
    bool ok = false;
    const double value = QLocale::c().toDouble(QLatin1String(number), &ok);
    if (!ok && std::isinf(value)) {
        result.error = QStringLiteral("Floating point overflow");
        return result;
    }
    // The only other failure left is underflow, whose nearest real is a zero.
    result.value = ok ? value : (number.startsWith('-') ? -0.0 : 0.0);
    return result;
}

IntegerResult parseInteger(const QString &text)
{
    IntegerResult result;
    const auto invalid = [&] {
        result.error = QStringLiteral("'%1' is not a valid integer value").arg(text);
        return result;
    };

    const int n = int(text.size());
    int i = skipBlanks(text, 0);
    bool negative = false;
    int base = 10;
    const auto at = [&](int k) { return k < n ? text.at(k) : QChar(); };
    if (at(i) == QLatin1Char('$') || at(i) == QLatin1Char('x') || at(i) == QLatin1Char('X')) {
        base = 16;
        ++i;
    } else if (at(i) == QLatin1Char('0') && (at(i + 1) == QLatin1Char('x') || at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    } else if (at(i) == QLatin1Char('+') || at(i) == QLatin1Char('-')) {
        negative = at(i) == QLatin1Char('-');
        ++i;
    }

    const qint64 limit = negative ? qint64(2147483648LL) : qint64(2147483647LL);
    qint64 magnitude = 0;
    bool tooWide = false;
    const int first = i;
    for (; i < n && (base == 16 ? isHexDigit(text.at(i)) : isDigit(text.at(i))); ++i) {
        magnitude = magnitude * base + hexValue(text.at(i));
        if (magnitude > limit) {
            tooWide = true;
            magnitude = limit; // keeps the product from overflowing; the text is refused anyway
        }
    }
    if (i == first || i != n || tooWide)
        return invalid();

    const qint64 value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767) {
        result.error = QStringLiteral("'%1' is out of range -32768 to 32767").arg(text);
        return result;
    }
    result.value = qint16(value);
    return result;
}

} // namespace numbertext
