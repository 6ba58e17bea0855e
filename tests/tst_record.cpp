#include "record/definitionrecord.h"
#include "record/layout.h"

#include <QTest>

using namespace kvd;

Q_DECLARE_METATYPE(kvd::TextField)

namespace {

QByteArray bytesAt(const DefinitionRecord &r, int offset, int size)
{
    return r.toBytes().mid(offset, size);
}

DefinitionRecord filled(char byte)
{
    return DefinitionRecord::fromBytes(QByteArray(RecordSize, byte));
}

} // namespace

class RecordTest : public QObject
{
    Q_OBJECT

private slots:
    void blockOffsets_data()
    {
        QTest::addColumn<TextField>("field");
        QTest::addColumn<int>("offset");
        // Positions worked out by hand from the block rules, one or more per block.
        QTest::newRow("cut name") << processName(1) << 786;
        QTest::newRow("point 10 name") << processName(10) << 876;
        QTest::newRow("cut on seq box 2 slot 1") << cutSeq(1, 2, 1) << 1424;
        QTest::newRow("cut on seq box 1 slot 2") << cutSeq(1, 1, 2) << 1404;
        QTest::newRow("cut off/up box 3 slot 3") << cutSeq(3, 3, 3) << 1654;
        QTest::newRow("scribe off box 3 slot 5") << scribeSeq(2, 3, 5) << 1774;
        QTest::newRow("scribe on box 1 slot 4") << scribeSeq(1, 1, 4) << 1664;
        QTest::newRow("activate box 2 slot 8") << activateSeq(2, 8) << 1854;
        QTest::newRow("activate box 4 slot 10") << activateSeq(4, 10) << 1974;
        QTest::newRow("offset on box 1 slot 4") << offsetOn(1, 4) << 2014;
        QTest::newRow("offset on box 1 slot 6") << offsetOn(1, 6) << 2034;
        QTest::newRow("offset off box 2 slot 3") << offsetOff(2, 3) << 2404;
        QTest::newRow("offset off box 3 slot 10") << offsetOff(3, 10) << 2574;
        QTest::newRow("before slot 5") << beforeProcess(5) << 2624;
        QTest::newRow("after slot 1") << afterProcess(1) << 2684;
        QTest::newRow("after slot 7") << afterProcess(7) << 2744;
    }
    void blockOffsets()
    {
        QFETCH(TextField, field);
        QFETCH(int, offset);
        QCOMPARE(field.offset, offset);
        QCOMPARE(field.size, ShortCodeSize);
    }

    void blockEntriesAreDistinctAndInsideTheirBlock()
    {
        // Every addressable code lands in its own 10 bytes of its own block.
        QVector<int> owner(RecordSize, -1);
        QVector<TextField> all;
        for (int s = 1; s <= 10; ++s)
            all << processName(s) << beforeProcess(s) << afterProcess(s);
        for (int r = 1; r <= 3; ++r)
            for (int b = 1; b <= 3; ++b)
                for (int s = 1; s <= 3; ++s)
                    all << cutSeq(r, b, s);
        for (int r = 1; r <= 2; ++r)
            for (int b = 1; b <= 3; ++b)
                for (int s = 4; s <= 5; ++s)
                    all << scribeSeq(r, b, s);
        for (int b = 1; b <= 4; ++b)
            for (int s = 6; s <= 10; ++s)
                all << activateSeq(b, s);
        for (int b = 1; b <= 3; ++b)
            for (int s = 1; s <= 10; ++s)
                all << offsetOn(b, s) << offsetOff(b, s);
        QCOMPARE(all.size(), 30 + 27 + 12 + 20 + 60);
        for (int i = 0; i < all.size(); ++i) {
            for (int k = all[i].offset; k < all[i].offset + all[i].size; ++k) {
                QVERIFY2(owner[k] == -1, qPrintable(QStringLiteral("overlap at %1").arg(k)));
                owner[k] = i;
            }
        }
        // Together they fill the code blocks exactly.
        int blockBytes = 0;
        for (const FieldSpec &row : FieldTable)
            if (row.encoding == Encoding::CodeBlock)
                blockBytes += row.size;
        QCOMPARE(int(std::count_if(owner.begin(), owner.end(), [](int o) { return o >= 0; })), blockBytes);
    }

    void textReads_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("terminated, bytes behind") << QByteArray("%\0xyz\0\0\0\0\0", 10) << QStringLiteral("%");
        QTest::newRow("empty") << QByteArray(10, '\0') << QString();
        QTest::newRow("nine") << QByteArray("G92X0Y0AB\0", 10) << QStringLiteral("G92X0Y0AB");
        QTest::newRow("no terminator") << QByteArray("0123456789") << QStringLiteral("0123456789");
        QTest::newRow("line feed and high bytes")
            << QByteArray("M\n\xE9\xFF\x01\0\0\0\0\0", 10) << QString::fromLatin1("M\n\xE9\xFF\x01");
    }
    void textReads()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, text);
        QByteArray bytes(RecordSize, '\x55');
        bytes.replace(fieldSpec(Field::StartOfFile).offset, 10, stored);
        const DefinitionRecord r = DefinitionRecord::fromBytes(bytes);
        QCOMPARE(r.text(Field::StartOfFile), text);
    }

    void textWrites_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("field");
        // The field held 'U' bytes before: what follows the terminator keeps them.
        QTest::newRow("short") << QStringLiteral("AB") << QByteArray("AB\0UUUUUUU", 10);
        QTest::newRow("empty") << QString() << QByteArray("\0UUUUUUUUU", 10);
        QTest::newRow("nine") << QStringLiteral("123456789") << QByteArray("123456789\0", 10);
        QTest::newRow("ten, as loaded without terminator") << QStringLiteral("0123456789") << QByteArray("0123456789");
        QTest::newRow("longer is kept inside the field") << QStringLiteral("0123456789AB") << QByteArray("0123456789");
        QTest::newRow("latin-1 bytes") << QString::fromLatin1("\xE9\n") << QByteArray("\xE9\n\0UUUUUUU", 10);
    }
    void textWrites()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, field);
        DefinitionRecord r = filled('U');
        const TextField f = textField(Field::EndOfFile);
        r.setText(f, text);
        QCOMPARE(bytesAt(r, f.offset, f.size), field);
        QCOMPARE(bytesAt(r, f.offset - 1, 1), QByteArray("U"));
        QCOMPARE(bytesAt(r, f.offset + f.size, 1), QByteArray("U"));
    }

    void name20WritesWithinTwentyBytes()
    {
        DefinitionRecord r = filled('U');
        r.setText(Field::AbsZeroInit, QString(19, QLatin1Char('x')));
        QCOMPARE(bytesAt(r, 3092, 20), QByteArray(19, 'x') + QByteArray(1, '\0'));
        r.setText(Field::AbsZeroInit, QString(20, QLatin1Char('y')));
        QCOMPARE(bytesAt(r, 3092, 21), QByteArray(20, 'y') + QByteArray("U"));
        QCOMPARE(r.text(Field::AbsZeroInit), QString(20, QLatin1Char('y')));
    }

    void integers_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << QByteArray("\x00\x00", 2) << 0;
        QTest::newRow("one") << QByteArray("\x01\x00", 2) << 1;
        QTest::newRow("minus one") << QByteArray("\xFF\xFF", 2) << -1;
        QTest::newRow("min") << QByteArray("\x00\x80", 2) << -32768;
        QTest::newRow("max") << QByteArray("\xFF\x7F", 2) << 32767;
        QTest::newRow("little-endian") << QByteArray("\x34\x12", 2) << 0x1234;
    }
    void integers()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, value);
        QByteArray bytes(RecordSize, '\0');
        bytes.replace(784, 2, stored);
        QCOMPARE(int(DefinitionRecord::fromBytes(bytes).integer(Field::PointProcessIndex)), value);
        DefinitionRecord r;
        r.setInteger(Field::PointProcessIndex, qint16(value));
        QCOMPARE(bytesAt(r, 784, 2), stored);
    }

    void choices_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("item");
        QTest::newRow("0") << QByteArray("\x00\x00", 2) << 0;
        QTest::newRow("1") << QByteArray("\x01\x00", 2) << 1;
        QTest::newRow("2") << QByteArray("\x02\x00", 2) << 0;
        QTest::newRow("-1") << QByteArray("\xFF\xFF", 2) << 0;
        QTest::newRow("257 is not 1") << QByteArray("\x01\x01", 2) << 0;
    }
    void choices()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, item);
        QByteArray bytes(RecordSize, '\0');
        bytes.replace(60, 2, stored);
        DefinitionRecord r = DefinitionRecord::fromBytes(bytes);
        QCOMPARE(r.choice(Field::RapidModal), item);
        r.setChoice(Field::RapidModal, r.choice(Field::RapidModal));
        QCOMPARE(bytesAt(r, 60, 2), item ? QByteArray("\x01\x00", 2) : QByteArray("\x00\x00", 2));
    }

    void byteChoiceLeavesTheNextByte()
    {
        QByteArray bytes(RecordSize, '\0');
        bytes[3218] = '\x01';
        bytes[3219] = '\x07';
        DefinitionRecord r = DefinitionRecord::fromBytes(bytes);
        QCOMPARE(r.choice(Field::KerfCompIncludesValue), 1);
        r.setChoice(Field::KerfCompIncludesValue, 0);
        QCOMPARE(bytesAt(r, 3218, 2), QByteArray("\x00\x07", 2));
        bytes[3218] = '\x02';
        QCOMPARE(DefinitionRecord::fromBytes(bytes).choice(Field::KerfCompIncludesValue), 0);
    }

    void reals()
    {
        DefinitionRecord r;
        r.setReal(Field::RapidThresholdDistance, 6.0);
        QCOMPARE(bytesAt(r, 3056, 8), QByteArray("\0\0\0\0\0\0\x18\x40", 8));
        r.setReal(Field::MinArcRadius, -0.0);
        QCOMPARE(bytesAt(r, 3112, 8), QByteArray("\0\0\0\0\0\0\0\x80", 8));
        QByteArray bytes = r.toBytes();
        bytes.replace(3120, 8, QByteArray("\x9a\x99\x99\x99\x99\x99\x03\x40", 8)); // 2.45
        QCOMPARE(DefinitionRecord::fromBytes(bytes).real(Field::MinArcDistance), 2.45);
        r.setRealBits(Field::NormalPrecisionInch, 0x7FF8000000000001ull); // a NaN payload survives
        QCOMPARE(r.realBits(Field::NormalPrecisionInch), 0x7FF8000000000001ull);
    }

    void fromBytesTakesTheFirstRecord()
    {
        QByteArray bytes(5000, 'a');
        bytes[RecordSize - 1] = 'z';
        const DefinitionRecord r = DefinitionRecord::fromBytes(bytes);
        QCOMPARE(r.toBytes().size(), RecordSize);
        QCOMPARE(r.toBytes().back(), 'z');
    }
};

QTEST_APPLESS_MAIN(RecordTest)
#include "tst_record.moc"
