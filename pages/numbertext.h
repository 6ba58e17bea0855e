#pragma once

// Numbers as the Numeric Format page shows and reads them. Pure functions: the
// decimal separator is always passed in, never read from the environment here.

#include <QChar>
#include <QString>
#include <QtGlobal>

#include <optional>

class QLocale;

namespace numbertext {

// The locale's decimal separator when it is one character the edit boxes can hold
// and cannot be mistaken for part of a number; a point otherwise.
QChar decimalSeparatorOf(const QLocale &locale);

// Fixed point with exactly `decimals` decimals, rounded half away from zero on the
// value's shortest round-trip decimal form; INF and NAN for the special values, each
// with a minus sign when the sign bit is set. A value that rounds to zero shows no sign.
QString showReal(double value, int decimals, QChar separator);
QString showInteger(qint16 value);

struct RealResult {
    double value = 0;
    std::optional<QString> error; // the message when the text does not convert
};

struct IntegerResult {
    qint16 value = 0;
    std::optional<QString> error;
};

// Blanks, an optional sign, digits with an optional separator and more digits (at
// least one digit or the separator), an optional exponent, blanks.
RealResult parseReal(const QString &text, QChar separator);

// Blanks, then a signed decimal or an unsigned hexadecimal ($, x, X, 0x, 0X) with
// nothing after it. The value must fit in 16 bits: a wider one is refused, not wrapped.
IntegerResult parseInteger(const QString &text);

} // namespace numbertext
