#include "pages/numbertext.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

using namespace numbertext;

namespace {

quint64 bitsOf(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

QString invalidReal(const char *text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(QLatin1String(text));
}

QString invalidInteger(const char *text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(text));
}

QString outOfRange(const char *text)
{
    return QStringLiteral("'%1' is out of range -32768 to 32767").arg(QLatin1String(text));
}

} // namespace

class NumberTextTest : public QObject
{
    Q_OBJECT

private slots:
    void showsReal_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("shown");

        const QChar point = QLatin1Char('.');
        QTest::newRow("distance 6") << 6.0 << 2 << point << QStringLiteral("6.00");
        QTest::newRow("format 6") << 6.0 << 1 << point << QStringLiteral("6.0");
        QTest::newRow("zero") << 0.0 << 2 << point << QStringLiteral("0.00");
        QTest::newRow("negative zero has no sign") << -0.0 << 1 << point << QStringLiteral("0.0");
        QTest::newRow("0.01") << 0.01 << 2 << point << QStringLiteral("0.01");
        QTest::newRow("2.4") << 2.4 << 1 << point << QStringLiteral("2.4");
        QTest::newRow("-3") << -3.0 << 1 << point << QStringLiteral("-3.0");
        QTest::newRow("half rounds up") << 0.125 << 2 << point << QStringLiteral("0.13");
        QTest::newRow("decimal half, binary below") << 2.675 << 2 << point << QStringLiteral("2.68");
        QTest::newRow("1.005") << 1.005 << 2 << point << QStringLiteral("1.01");
        QTest::newRow("negative half away from zero") << -0.125 << 2 << point << QStringLiteral("-0.13");
        QTest::newRow("just below half") << 0.1249999 << 2 << point << QStringLiteral("0.12");
        QTest::newRow("small rounds to zero") << 0.004 << 2 << point << QStringLiteral("0.00");
        QTest::newRow("small negative loses sign") << -0.004 << 2 << point << QStringLiteral("0.00");
        QTest::newRow("tiny") << 1e-300 << 2 << point << QStringLiteral("0.00");
        QTest::newRow("half of last place below 1") << 0.005 << 2 << point << QStringLiteral("0.01");
        QTest::newRow("carry into new digit") << 9.995 << 2 << point << QStringLiteral("10.00");
        QTest::newRow("carry to 100") << 99.96 << 1 << point << QStringLiteral("100.0");
        QTest::newRow("all significant digits kept") << 12.34 << 2 << point << QStringLiteral("12.34");
        QTest::newRow("no exponent form") << 123.4 << 1 << point << QStringLiteral("123.4");
        QTest::newRow("large") << 1e21 << 1 << point << QStringLiteral("1000000000000000000000.0");
        QTest::newRow("comma") << 6.0 << 2 << QChar(QLatin1Char(',')) << QStringLiteral("6,00");
        QTest::newRow("INF") << Inf << 2 << point << QStringLiteral("INF");
        QTest::newRow("-INF") << -Inf << 1 << point << QStringLiteral("-INF");
        QTest::newRow("NAN") << NaN << 2 << point << QStringLiteral("NAN");
        QTest::newRow("-NAN") << std::copysign(NaN, -1.0) << 1 << point << QStringLiteral("-NAN");
    }

    void showsReal()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QChar, separator);
        QFETCH(QString, shown);
        QCOMPARE(showReal(value, decimals, separator), shown);
    }

    void showsInteger()
    {
        QCOMPARE(showInteger(-1), QStringLiteral("-1"));
        QCOMPARE(showInteger(0), QStringLiteral("0"));
        QCOMPARE(showInteger(-32768), QStringLiteral("-32768"));
        QCOMPARE(showInteger(32767), QStringLiteral("32767"));
    }

    void parsesReal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("error"); // empty when the text converts

        const QChar point = QLatin1Char('.');
        const QChar comma = QLatin1Char(',');
        const QString none;
        const auto row = [](const char *text, QChar sep, double value, const QString &error) {
            QTest::newRow(text) << QString::fromLatin1(text) << sep << value << error;
        };
        row("6", point, 6, none);
        row(".5", point, 0.5, none);
        row("5.", point, 5, none);
        row(".", point, 0, none);
        row("1E1", point, 10, none);
        row("1e-3", point, 0.001, none);
        row("2E+2", point, 200, none);
        row("+2.5", point, 2.5, none);
        row("-2.5", point, -2.5, none);
        row("-0", point, -0.0, none);
        row("  7", point, 7, none);
        row("7  ", point, 7, none);
        row("-.5E1 ", point, -5, none);
        row("1e00005", point, 1e5, none);
        row("0e999999", point, 0, none);
        row("1E-400", point, 0, none);
        row("-1E-400", point, -0.0, none);
        row("1.7976931348623157e308", point, std::numeric_limits<double>::max(), none);
        row("6,5", comma, 6.5, none);

        row("", point, 0, invalidReal(""));
        row("   ", point, 0, invalidReal("   "));
        row("+", point, 0, invalidReal("+"));
        row("-", point, 0, invalidReal("-"));
        row("abc", point, 0, invalidReal("abc"));
        row("E5", point, 0, invalidReal("E5"));
        row("1E", point, 0, invalidReal("1E"));
        row("1E+", point, 0, invalidReal("1E+"));
        row("1.2.3", point, 0, invalidReal("1.2.3"));
        row("1 2", point, 0, invalidReal("1 2"));
        row("+-1", point, 0, invalidReal("+-1"));
        row("$1F", point, 0, invalidReal("$1F"));
        row("INF", point, 0, invalidReal("INF"));
        row("NAN", point, 0, invalidReal("NAN"));
        row("1,5", point, 0, invalidReal("1,5"));
        row("6.5", comma, 0, invalidReal("6.5"));
        row("1E400", point, 0, QStringLiteral("Floating point overflow"));
        row("-1E400", point, 0, QStringLiteral("Floating point overflow"));
        row("1e9999999999", point, 0, QStringLiteral("Floating point overflow"));
    }

    void parsesReal()
    {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(double, value);
        QFETCH(QString, error);
        const RealResult result = parseReal(text, separator);
        if (error.isEmpty()) {
            QVERIFY2(!result.error, qPrintable(result.error.value_or(QString())));
            QCOMPARE(bitsOf(result.value), bitsOf(value)); // tells -0 from 0
        } else {
            QCOMPARE(result.error.value_or(QString()), error);
        }
    }

    void parsesInteger_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("error");

        const QString none;
        const auto row = [](const char *text, int value, const QString &error) {
            QTest::newRow(text) << QString::fromLatin1(text) << value << error;
        };
        row("7", 7, none);
        row("  7", 7, none);
        row("+5", 5, none);
        row("-1", -1, none);
        row("-0", 0, none);
        row("00012", 12, none);
        row("$1F", 31, none);
        row("$1f", 31, none);
        row("x1F", 31, none);
        row("X10", 16, none);
        row("0x7FFF", 32767, none);
        row("0X10", 16, none);
        row(" $00000000001", 1, none);
        row("32767", 32767, none);
        row("-32768", -32768, none);

        row("32768", 0, outOfRange("32768"));
        row("40000", 0, outOfRange("40000"));
        row("-32769", 0, outOfRange("-32769"));
        row("$FFFF", 0, outOfRange("$FFFF"));
        row("2147483647", 0, outOfRange("2147483647"));
        row("-2147483648", 0, outOfRange("-2147483648"));

        row("2147483648", 0, invalidInteger("2147483648"));
        row("-2147483649", 0, invalidInteger("-2147483649"));
        row("$80000000", 0, invalidInteger("$80000000"));
        row("99999999999999999999", 0, invalidInteger("99999999999999999999"));
        row("", 0, invalidInteger(""));
        row(" ", 0, invalidInteger(" "));
        row("7 ", 0, invalidInteger("7 "));
        row("1.5", 0, invalidInteger("1.5"));
        row("-", 0, invalidInteger("-"));
        row("$", 0, invalidInteger("$"));
        row("0x", 0, invalidInteger("0x"));
        row("-$1", 0, invalidInteger("-$1"));
        row("$-1", 0, invalidInteger("$-1"));
        row("+0x1", 0, invalidInteger("+0x1"));
        row("$1G", 0, invalidInteger("$1G"));
        row("1a", 0, invalidInteger("1a"));
        row("1E1", 0, invalidInteger("1E1"));
    }

    void parsesInteger()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(QString, error);
        const IntegerResult result = parseInteger(text);
        if (error.isEmpty()) {
            QVERIFY2(!result.error, qPrintable(result.error.value_or(QString())));
            QCOMPARE(int(result.value), value);
        } else {
            QCOMPARE(result.error.value_or(QString()), error);
        }
    }

    // A shown real reads back as the same text, under either separator.
    void shownRealsParseBack_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QChar>("separator");
        for (const QChar sep : {QChar(QLatin1Char('.')), QChar(QLatin1Char(','))}) {
            for (const double v : {0.0, 6.0, -3.0, 0.125, 2.675, 12.5, 1e21}) {
                QTest::addRow("%g with %c", v, char(sep.unicode())) << v << sep;
            }
        }
    }

    void shownRealsParseBack()
    {
        QFETCH(double, value);
        QFETCH(QChar, separator);
        const QString shown = showReal(value, 2, separator);
        const RealResult parsed = parseReal(shown, separator);
        QVERIFY(!parsed.error);
        QCOMPARE(showReal(parsed.value, 2, separator), shown);
    }

    void separatorOfLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QChar>("separator");
        QTest::newRow("C") << QLocale::c() << QChar(QLatin1Char('.'));
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << QChar(QLatin1Char('.'));
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << QChar(QLatin1Char(','));
        // U+066B cannot be typed into a box that holds one byte per character.
        QTest::newRow("Arabic") << QLocale(QLocale::Arabic, QLocale::Egypt) << QChar(QLatin1Char('.'));
    }

    void separatorOfLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QChar, separator);
        QCOMPARE(decimalSeparatorOf(locale), separator);
    }
};

QTEST_APPLESS_MAIN(NumberTextTest)
#include "tst_numbertext.moc"
