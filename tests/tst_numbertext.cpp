#include "pages/numbertext.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace numbertext;

class NumberTextTest : public QObject
{
    Q_OBJECT

private slots:
    void showsReal_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("shown"); // with a point; a comma row checks the separator

        const double inf = std::numeric_limits<double>::infinity();
        const auto row = [](const char *name, double value, int decimals, const char *shown) {
            QTest::newRow(name) << value << decimals << QString::fromLatin1(shown);
        };
        row("distance", 6, 2, "6.00");
        row("format", 6, 1, "6.0");
        row("negative", -3, 1, "-3.0");
        row("half up", 0.125, 2, "0.13");
        row("half on decimal digits, not binary", 2.675, 2, "2.68");
        row("negative half away from zero", -0.125, 2, "-0.13");
        row("rounds to zero", 0.004, 2, "0.00");
        row("negative rounds to unsigned zero", -0.004, 2, "0.00");
        row("carry adds a digit", 9.995, 2, "10.00");
        row("every digit kept", 12.34, 2, "12.34");
        row("no exponent form", 1e21, 1, "1000000000000000000000.0");
        row("INF", inf, 2, "INF");
        row("NAN", std::numeric_limits<double>::quiet_NaN(), 2, "NAN");
        row("-NAN", std::copysign(std::numeric_limits<double>::quiet_NaN(), -1.0), 1, "-NAN");
    }

    void showsReal()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, shown);
        QCOMPARE(showReal(value, decimals, QLatin1Char('.')), shown);
        QCOMPARE(showReal(value, decimals, QLatin1Char(',')), QString(shown).replace(QLatin1Char('.'), QLatin1Char(',')));
    }

    void parses_data()
    {
        QTest::addColumn<bool>("real");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("error"); // empty when the text converts

        const auto row = [](bool real, const char *text, char sep, double value, const char *error) {
            QTest::addRow("%s '%s' %c", real ? "real" : "integer", text, sep)
                << real << QString::fromLatin1(text) << QChar(QLatin1Char(sep)) << value << QString::fromLatin1(error);
        };
        const char *badReal = "is not a valid floating point value";
        const char *badInteger = "is not a valid integer value";
        const char *range = "is out of range -32768 to 32767";
        row(true, ".5", '.', 0.5, "");
        row(true, " -.5E1 ", '.', -5, "");
        row(true, "-0", '.', -0.0, "");
        row(true, "1E-400", '.', 0, "");
        row(true, "6,5", ',', 6.5, "");
        row(true, "", '.', 0, badReal);
        row(true, "+", '.', 0, badReal);
        row(true, "1E", '.', 0, badReal);
        row(true, "1.2.3", '.', 0, badReal);
        row(true, "1,5", '.', 0, badReal);
        row(true, "6.5", ',', 0, badReal);
        row(true, "INF", '.', 0, badReal);
        row(true, "1E400", '.', 0, "Floating point overflow");
        row(true, "-1e99999999", '.', 0, "Floating point overflow");
        row(false, " 7", '.', 7, "");
        row(false, "$1f", '.', 31, "");
        row(false, "0X7FFF", '.', 32767, "");
        row(false, "-32768", '.', -32768, "");
        row(false, "7 ", '.', 0, badInteger);
        row(false, "1.5", '.', 0, badInteger);
        row(false, "", '.', 0, badInteger);
        row(false, "0x", '.', 0, badInteger);
        row(false, "-$1", '.', 0, badInteger);
        row(false, "2147483648", '.', 0, badInteger);
        row(false, "40000", '.', 0, range);
        row(false, "$8000", '.', 0, range);
    }

    void parses()
    {
        QFETCH(bool, real);
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(double, value);
        QFETCH(QString, error);

        std::optional<QString> message;
        double parsed = 0;
        if (real) {
            const RealResult r = parseReal(text, separator);
            message = r.error;
            parsed = r.value;
        } else {
            const IntegerResult r = parseInteger(text);
            message = r.error;
            parsed = r.value;
        }
        if (error.isEmpty()) {
            QVERIFY2(!message, qPrintable(message.value_or(QString())));
            QCOMPARE(std::signbit(parsed), std::signbit(value));
            QCOMPARE(parsed, value);
        } else if (error.startsWith(QLatin1String("is "))) {
            QCOMPARE(message.value_or(QString()), QStringLiteral("'%1' ").arg(text) + error);
        } else {
            QCOMPARE(message.value_or(QString()), error);
        }
    }
};

QTEST_APPLESS_MAIN(NumberTextTest)
#include "tst_numbertext.moc"
