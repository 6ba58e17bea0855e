#include "tools/kvdtool/assignment.h"
#include "tools/kvdtool/check.h"
#include "tools/kvdtool/dump.h"
#include "tools/kvdtool/merge.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTest>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <tuple>

using namespace kvdtool;
using namespace kvd;
using kvd::DefinitionRecord;
using kvd::Field;

Q_DECLARE_METATYPE(std::function<void(kvd::DefinitionRecord &)>)
Q_DECLARE_METATYPE(kvdtool::Rules)
using Mutation = std::function<void(DefinitionRecord &)>;

namespace {

DefinitionRecord sample()
{
    QFile f(QStringLiteral(KVDTOOL_SOURCE_DIR "/examples/sample.kvd"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("no sample");
    return DefinitionRecord::fromBytes(f.readAll());
}

const Entry *find(const QByteArray &name, bool all = false)
{
    for (const Entry &e : entries(all))
        if (e.name == name)
            return &e;
    return nullptr;
}

// Reads the escaped form back, so that the tests can tell it loses nothing.
QByteArray unescape(const QByteArray &text)
{
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'x') {
            out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
    }
    return out;
}

double fromBits(quint64 bits)
{
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

quint64 bitsOf(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

void setBytes(DefinitionRecord &r, int offset, const QByteArray &bytes)
{
    std::memcpy(r.data() + offset, bytes.constData(), size_t(bytes.size()));
}

// What create makes of a text: empty messages and the record, or the messages.
QByteArrayList build(const QByteArray &text, Rules rules, DefinitionRecord &record)
{
    std::vector<Assignment> assignments;
    std::vector<QByteArray> errors;
    parseLines(text, "text", rules, assignments, errors);
    findRepeats(assignments, errors);
    if (errors.empty())
        errors = applyAssignments(assignments, record);
    return QByteArrayList(errors.begin(), errors.end());
}

// The committed corpus and random records: every oddity the corpus generator knows,
// and byte patterns nobody thought of.
std::vector<DefinitionRecord> records()
{
    std::vector<DefinitionRecord> out;
    const QDir corpus(QStringLiteral(KVDTOOL_SOURCE_DIR "/tests/corpus"));
    for (const QString &name : corpus.entryList({QStringLiteral("*.kvd")})) {
        QFile f(corpus.filePath(name));
        if (f.open(QIODevice::ReadOnly) && f.size() >= kvd::RecordSize)
            out.push_back(DefinitionRecord::fromBytes(f.readAll()));
    }
    std::mt19937 random(15);
    for (int i = 0; i < 200; ++i) {
        DefinitionRecord r;
        // Mostly zeros, so that texts end and tails appear; sometimes none at all.
        const int zeros = i % 4 == 0 ? 0 : int(random() % 80);
        for (int b = 0; b < kvd::RecordSize; ++b)
            r.data()[b] = int(random() % 100) < zeros ? 0 : quint8(random());
        out.push_back(r);
    }
    return out;
}

} // namespace

class KvdToolTest : public QObject
{
    Q_OBJECT

private slots:
    // Every byte belongs to exactly one line: with --all the whole record, without it
    // every byte outside the reserved ranges.
    void entriesCoverTheRecordOnce_data()
    {
        QTest::addColumn<bool>("all");
        QTest::newRow("shown") << false;
        QTest::newRow("all") << true;
    }
    void entriesCoverTheRecordOnce()
    {
        QFETCH(bool, all);
        std::vector<int> owners(kvd::RecordSize, 0);
        QSet<QByteArray> names;
        for (const Entry &e : entries(all)) {
            QVERIFY2(!names.contains(e.name), e.name.constData());
            names.insert(e.name);
            if (e.kind == Entry::Tail)
                continue;
            for (int i = e.offset; i < e.offset + e.size; ++i)
                ++owners[size_t(i)];
        }
        for (int i = 0; i < kvd::FieldCount; ++i) {
            const kvd::FieldSpec &row = kvd::FieldTable[i];
            const int expected = row.encoding == kvd::Encoding::Reserved && !all ? 0 : 1;
            for (int b = row.offset; b < row.offset + row.size; ++b)
                QVERIFY2(owners[size_t(b)] == expected, qPrintable(QStringLiteral("byte %1 (%2)").arg(b).arg(QLatin1String(row.name))));
        }
    }

    void processNamesAddressTheirCodes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("offset");
        QTest::newRow("cut on seq") << QByteArray("cut[1].OnSeq[2]") << 1424;
        QTest::newRow("cut off/up") << QByteArray("cut[3].OffUpSeq[3]") << 1654;
        QTest::newRow("scribe off seq") << QByteArray("scribe[5].OffSeq[3]") << 1774;
        QTest::newRow("scribe offset on") << QByteArray("scribe[4].OffsetOn[1]") << 2014;
        QTest::newRow("point activate") << QByteArray("point[8].Activate[2]") << 1854;
        QTest::newRow("point offset off") << QByteArray("point[10].OffsetOff[3]") << 2574;
        QTest::newRow("before") << QByteArray("scribe[5].BeforeProcess") << 2624;
        QTest::newRow("after") << QByteArray("point[7].AfterProcess") << 2744;
        QTest::newRow("name") << QByteArray("point[6].Name") << 836;
    }
    void processNamesAddressTheirCodes()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, offset);
        const Entry *e = find(name);
        QVERIFY2(e, name.constData());
        QCOMPARE(e->offset, offset);
        QCOMPARE(e->size, kvd::ShortCodeSize);
    }

    void namedEscapes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("escaped");
        QTest::newRow("plain") << QByteArray("G01 X~") << QByteArray("G01 X~");
        QTest::newRow("line feed") << QByteArray("M08\n") << QByteArray("M08\\n");
        QTest::newRow("return tab") << QByteArray("\r\t") << QByteArray("\\r\\t");
        QTest::newRow("quote backslash") << QByteArray("\"\\") << QByteArray("\\\"\\\\");
        QTest::newRow("control") << QByteArray("\x01\x1f") << QByteArray("\\x01\\x1f");
        QTest::newRow("delete and high") << QByteArray("\x7f\x80\xe9\xff") << QByteArray("\\x7f\\x80\\xe9\\xff");
    }
    void namedEscapes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, escaped);
        QCOMPARE(escapeText(bytes), escaped);
    }

    // Every byte value, alone and between letters that could be taken for hex digits,
    // comes out as printable ASCII and reads back as itself.
    void everyByteEscapesReversibly()
    {
        for (int b = 0; b < 256; ++b) {
            const QByteArray bytes = QByteArray("a") + char(b) + "f1";
            const QByteArray escaped = escapeText(bytes);
            for (const char c : escaped)
                QVERIFY2(quint8(c) >= 0x20 && quint8(c) < 0x7f, qPrintable(QString::number(b)));
            QVERIFY(!escaped.contains('"') || escaped.contains("\\\""));
            QCOMPARE(unescape(escaped), bytes);
        }
    }

    void reals_data()
    {
        QTest::addColumn<quint64>("bits");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("2.4") << bitsOf(2.4) << QByteArray("2.4");
        QTest::newRow("whole") << bitsOf(6.0) << QByteArray("6");
        QTest::newRow("not rounded") << bitsOf(0.1 + 0.2) << QByteArray("0.30000000000000004");
        QTest::newRow("page would round") << bitsOf(12.345) << QByteArray("12.345");
        QTest::newRow("negative zero") << bitsOf(-0.0) << QByteArray("-0");
        QTest::newRow("largest") << bitsOf(DBL_MAX) << QByteArray("1.7976931348623157e+308");
        QTest::newRow("smallest") << bitsOf(std::numeric_limits<double>::denorm_min()) << QByteArray("5e-324");
        QTest::newRow("inf") << bitsOf(HUGE_VAL) << QByteArray("inf");
        QTest::newRow("-inf") << bitsOf(-HUGE_VAL) << QByteArray("-inf");
        QTest::newRow("nan") << quint64(0x7ff8000000000000ULL) << QByteArray("nan");
        QTest::newRow("-nan") << quint64(0xfff8000000000000ULL) << QByteArray("-nan");
        QTest::newRow("payload") << quint64(0x7ff0000000000001ULL) << QByteArray("nan(0x7ff0000000000001)");
    }
    void reals()
    {
        QFETCH(quint64, bits);
        QFETCH(QByteArray, text);
        QCOMPARE(formatReal(bits), text);
    }

    void realsReadBackExactly()
    {
        std::mt19937_64 random(9);
        for (int i = 0; i < 20000; ++i) {
            const quint64 bits = random();
            if (!std::isfinite(fromBits(bits)))
                continue;
            const QByteArray text = formatReal(bits);
            QCOMPARE(bitsOf(std::strtod(text.constData(), nullptr)), bits);
        }
    }

    void jsonHoldsTheSameFields()
    {
        DefinitionRecord r = sample();
        setBytes(r, kvd::fieldSpec(Field::StartOfFile).offset, QByteArray("%\n\x01\xe9\"", 6));
        r.setReal(Field::MinArcRadius, HUGE_VAL);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(dumpJson(r, true), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject o = doc.object();
        QCOMPARE(o.size(), int(dumpText(r, true).count('\n')));
        QCOMPARE(o.value(QLatin1String("StartOfFile")).toString(), QString::fromLatin1("%\n\x01\xe9\"", 5));
        QCOMPARE(o.value(QLatin1String("MinArcRadius")).toString(), QStringLiteral("inf"));
        QCOMPARE(o.value(QLatin1String("NormalPrecisionInch")).toDouble(), 2.4);
        QCOMPARE(o.value(QLatin1String("cut[2].OnSeq[2]")).toString(), QStringLiteral("G04P5"));
        QCOMPARE(o.value(QLatin1String("Reserved62")).toString(), QStringLiteral("0000"));
    }

    void differencesName_data()
    {
        QTest::addColumn<Mutation>("change");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("none") << Mutation([](DefinitionRecord &) {}) << true << QByteArray();
        QTest::newRow("text") << Mutation([](DefinitionRecord &r) { r.setText(kvd::scribeSeq(2, 1, 4), QStringLiteral("M14")); })
                              << false << QByteArray("scribe[4].OffSeq[1]: \"M13\" -> \"M14\"\n");
        QTest::newRow("real") << Mutation([](DefinitionRecord &r) { r.setReal(Field::MinArcDistance, 0.010000000000000002); })
                              << false << QByteArray("MinArcDistance: 0.01 -> 0.010000000000000002\n");
        QTest::newRow("choice kept as stored") << Mutation([](DefinitionRecord &r) { r.setInteger(Field::EssiFormat, 7); })
                                               << false << QByteArray("EssiFormat: 0 -> 7\n");
        QTest::newRow("reserved hidden") << Mutation([](DefinitionRecord &r) { r.data()[63] = 0xab; }) << false << QByteArray();
        QTest::newRow("reserved with all") << Mutation([](DefinitionRecord &r) { r.data()[63] = 0xab; }) << true
                                           << QByteArray("Reserved62: 0000 -> 00ab\n");
        QTest::newRow("tail") << Mutation([](DefinitionRecord &r) { r.data()[kvd::fieldSpec(Field::EndOfFile).offset + 4] = 'Z'; })
                              << true << QByteArray("EndOfFile.Tail: (none) -> 00005a\n");
        // Growing a text over zero bytes is a change of the text alone.
        QTest::newRow("text over zeros") << Mutation([](DefinitionRecord &r) { r.setText(Field::EndOfFile, QStringLiteral("%%")); })
                                         << true << QByteArray("EndOfFile: \"%\" -> \"%%\"\n");
    }
    void differencesName()
    {
        QFETCH(Mutation, change);
        QFETCH(bool, all);
        QFETCH(QByteArray, lines);
        const DefinitionRecord a = sample();
        DefinitionRecord b = a;
        change(b);
        QCOMPARE(diffText(differences(a, b, all)), lines);
    }

    void slotsInUse_data()
    {
        QTest::addColumn<int>("cut");
        QTest::addColumn<int>("scribe");
        QTest::addColumn<int>("point");
        QTest::addColumn<QString>("used"); // one mark per slot 1..10
        QTest::newRow("fewest") << 0 << -1 << -1 << QStringLiteral("x.........");
        QTest::newRow("sample") << 1 << 0 << 0 << QStringLiteral("xx.x.x....");
        QTest::newRow("most") << 2 << 1 << 4 << QStringLiteral("xxxxxxxxxx");
        QTest::newRow("negative cut keeps the first") << -3 << -5 << -2 << QStringLiteral("x.........");
        QTest::newRow("beyond the columns") << 9 << 7 << 30 << QStringLiteral("xxxxxxxxxx");
    }
    void slotsInUse()
    {
        QFETCH(int, cut);
        QFETCH(int, scribe);
        QFETCH(int, point);
        QFETCH(QString, used);
        DefinitionRecord r;
        r.setInteger(Field::CutProcessIndex, qint16(cut));
        r.setInteger(Field::ScribeProcessIndex, qint16(scribe));
        r.setInteger(Field::PointProcessIndex, qint16(point));
        QString marks;
        for (int slot = 1; slot <= 10; ++slot)
            marks += slotInUse(r, slot) ? QLatin1Char('x') : QLatin1Char('.');
        QCOMPARE(marks, used);
    }

    void checkFindings_data()
    {
        QTest::addColumn<Mutation>("change");
        QTest::addColumn<QByteArrayList>("findings");
        QTest::newRow("clean sample") << Mutation([](DefinitionRecord &) {}) << QByteArrayList();
        QTest::newRow("cut counter") << Mutation([](DefinitionRecord &r) { r.setInteger(Field::CutProcessIndex, 3); })
                                     << QByteArrayList{"CutProcessIndex = 3, outside 0..2"};
        QTest::newRow("scribe counter") << Mutation([](DefinitionRecord &r) { r.setInteger(Field::ScribeProcessIndex, -2); })
                                        << QByteArrayList{"ScribeProcessIndex = -2, outside -1..1",
                                                          "scribe[4] holds codes (Name, OnSeq[1], OffSeq[1]) beyond ScribeProcessIndex = -2; the editor's next save clears them"};
        QTest::newRow("point counter") << Mutation([](DefinitionRecord &r) { r.setInteger(Field::PointProcessIndex, 5); })
                                       << QByteArrayList{"PointProcessIndex = 5, outside -1..4"};
        QTest::newRow("choice") << Mutation([](DefinitionRecord &r) { r.setInteger(Field::RapidModal, -1); })
                                << QByteArrayList{"RapidModal = -1, not 0 or 1; the editor reads it as 0 and saves 0"};
        QTest::newRow("byte choice") << Mutation([](DefinitionRecord &r) { r.data()[kvd::fieldSpec(Field::KerfCompIncludesValue).offset] = 2; })
                                     << QByteArrayList{"KerfCompIncludesValue = 2, not 0 or 1; the editor reads it as 0 and saves 0"};
        QTest::newRow("unterminated") << Mutation([](DefinitionRecord &r) { setBytes(r, kvd::afterProcess(1).offset, "M16abcdefg"); })
                                      << QByteArrayList{"cut[1].AfterProcess = \"M16abcdefg\" has no terminating zero"};
        QTest::newRow("unterminated name") << Mutation([](DefinitionRecord &r) { setBytes(r, 0, "Plasma Table 2.4 XYZ"); })
                                           << QByteArrayList{"ControllerName = \"Plasma Table 2.4 XYZ\" has no terminating zero"};
        QTest::newRow("infinite") << Mutation([](DefinitionRecord &r) { r.setReal(Field::RapidThresholdDistance, -HUGE_VAL); })
                                  << QByteArrayList{"RapidThresholdDistance = -inf, not a finite number; the editor cannot save it"};
        QTest::newRow("nan") << Mutation([](DefinitionRecord &r) { r.setRealBits(Field::FeedPrecisionMetric, 0x7ff8000000000000ULL); })
                             << QByteArrayList{"FeedPrecisionMetric = nan, not a finite number; the editor cannot save it"};
        QTest::newRow("codes beyond the count")
            << Mutation([](DefinitionRecord &r) {
                   r.setText(kvd::activateSeq(1, 8), QStringLiteral("M36"));
                   r.setText(kvd::afterProcess(8), QStringLiteral("M37"));
                   r.setText(kvd::offsetOn(2, 5), QStringLiteral("G41"));
               })
            << QByteArrayList{"scribe[5] holds codes (OffsetOn[2]) beyond ScribeProcessIndex = 0; the editor's next save clears them",
                              "point[8] holds codes (Activate[1], AfterProcess) beyond PointProcessIndex = 0; the editor's next save clears them"};
        // Only the first byte counts: what follows it survives every save anyway.
        QTest::newRow("bytes behind an empty code") << Mutation([](DefinitionRecord &r) { setBytes(r, kvd::processName(3).offset, QByteArray("\0BC", 3)); })
                                                    << QByteArrayList();
        QTest::newRow("a deleted process")
            << Mutation([](DefinitionRecord &r) { r.setInteger(Field::CutProcessIndex, 0); })
            << QByteArrayList{"cut[2] holds codes (Name, OnSeq[1], OnSeq[2], OffSeq[1], OffUpSeq[1], OffUpSeq[2], OffsetOn[1], OffsetOff[1]) beyond CutProcessIndex = 0; the editor's next save clears them"};
    }
    void checkFindings()
    {
        QFETCH(Mutation, change);
        QFETCH(QByteArrayList, findings);
        DefinitionRecord r = sample();
        change(r);
        const std::vector<QByteArray> got = checkRecord(r);
        QCOMPARE(QByteArrayList(got.begin(), got.end()), findings);
    }

    // One line each: accepted with the value dump then prints, or refused with its reason.
    void assignments_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<Rules>("rules");
        QTest::addColumn<QByteArray>("result"); // the value dump prints, or the message after "text:1: "
        const Rules S = Rules::Store, E = Rules::Exact;
        QTest::newRow("text") << QByteArray("ControllerName = \"Plasma 2\"") << S << QByteArray("\"Plasma 2\"");
        QTest::newRow("no spaces") << QByteArray("cut[1].OnSeq[1]=\"M07\\n\"") << S << QByteArray("\"M07\\n\"");
        QTest::newRow("escapes") << QByteArray("StartOfFile = \"\\r\\t\\\\\\\"\\x01\\xE9\\x7f\"") << S
                                 << QByteArray("\"\\r\\t\\\\\\\"\\x01\\xe9\\x7f\"");
        QTest::newRow("utf-8, one byte each") << QByteArray("EndOfFile = \"Caf\xc3\xa9\xc3\xbf\"") << S << QByteArray("\"Caf\\xe9\\xff\"");
        QTest::newRow("fills the field") << QByteArray("point[10].AfterProcess = \"0123456789\"") << S << QByteArray("\"0123456789\"");
        QTest::newRow("fills a name") << QByteArray("AbsZeroInit = \"01234567890123456789\"") << S
                                      << QByteArray("\"01234567890123456789\"");
        QTest::newRow("empty text") << QByteArray("StartOfCncData = \"\"") << S << QByteArray("\"\"");
        QTest::newRow("crlf and blanks") << QByteArray("  KerfOffCode\t=  \"G40\"  \r") << S << QByteArray("\"G40\"");
        QTest::newRow("too long") << QByteArray("KerfOffCode = \"0123456789A\"") << S
                                  << QByteArray("KerfOffCode: 11 characters, but the field holds 10");
        QTest::newRow("name too long") << QByteArray("ControllerName = \"01234567890123456789X\"") << S
                                       << QByteArray("ControllerName: 21 characters, but the field holds 20");
        QTest::newRow("escapes count once") << QByteArray("EndOfFile = \"\\x41\\x41\\x41\\x41\\x41\\x41\\x41\\x41\\x41\\x41\\x41\"") << S
                                            << QByteArray("EndOfFile: 11 characters, but the field holds 10");
        QTest::newRow("zero byte") << QByteArray("EndOfFile = \"a\\x00b\"") << S
                                   << QByteArray("EndOfFile: a zero byte ends a text; it cannot be inside one");
        QTest::newRow("raw zero byte") << QByteArray("EndOfFile = \"a\0\"", 16) << S
                                       << QByteArray("EndOfFile: a zero byte ends a text; it cannot be inside one");
        QTest::newRow("above 255") << QByteArray("EndOfFile = \"\xe2\x82\xac\"") << S
                                   << QByteArray("EndOfFile: character U+20AC is above 255; the field holds one byte per character (\\xNN for a byte)");
        QTest::newRow("not utf-8") << QByteArray("EndOfFile = \"\xe9\"") << S
                                   << QByteArray("EndOfFile: the text is not UTF-8; write other bytes as \\xNN");
        QTest::newRow("overlong utf-8") << QByteArray("EndOfFile = \"\xc0\xa2\"") << S
                                        << QByteArray("EndOfFile: the text is not UTF-8; write other bytes as \\xNN");
        QTest::newRow("unknown escape") << QByteArray("EndOfFile = \"\\0\"") << S
                                        << QByteArray("EndOfFile: unknown escape \\0; the escapes are \\n \\r \\t \\\\ \\\" and \\xNN");
        QTest::newRow("short hex escape") << QByteArray("EndOfFile = \"\\x4\"") << S << QByteArray("EndOfFile: \\x takes two hexadecimal digits");
        QTest::newRow("unquoted") << QByteArray("EndOfFile = M30") << S
                                  << QByteArray("EndOfFile: a text is written in double quotes, as dump shows it");
        QTest::newRow("unclosed") << QByteArray("EndOfFile = \"M30\\\"") << S << QByteArray("EndOfFile: the closing quote is missing");
        QTest::newRow("after the quote") << QByteArray("EndOfFile = \"M30\" # end") << S
                                         << QByteArray("EndOfFile: something follows the closing quote");
        QTest::newRow("integer") << QByteArray("NormalShiftInch = -32768") << S << QByteArray("-32768");
        QTest::newRow("integer too big") << QByteArray("NormalShiftInch = 32768") << S
                                         << QByteArray("NormalShiftInch: \"32768\" is outside -32768..32767");
        QTest::newRow("integer far too big") << QByteArray("FeedShiftMetric = 99999999999999999999999") << S
                                             << QByteArray("FeedShiftMetric: \"99999999999999999999999\" is outside -32768..32767");
        QTest::newRow("integer not whole") << QByteArray("NormalShiftInch = 1.0") << S
                                           << QByteArray("NormalShiftInch: \"1.0\" is not a whole number");
        QTest::newRow("choice") << QByteArray("RapidModal = 0") << S << QByteArray("0");
        QTest::newRow("choice 2 for set") << QByteArray("RapidModal = 2") << S << QByteArray("RapidModal: \"2\" is not 0 or 1");
        QTest::newRow("choice 2 for create") << QByteArray("RapidModal = 2") << E << QByteArray("2");
        QTest::newRow("choice -1 for create") << QByteArray("IJArcMode = -1") << E << QByteArray("-1");
        QTest::newRow("byte choice") << QByteArray("KerfCompIncludesValue = 0") << S << QByteArray("0");
        QTest::newRow("byte choice 2 for set") << QByteArray("KerfCompIncludesValue = 2") << S
                                               << QByteArray("KerfCompIncludesValue: \"2\" is not 0 or 1");
        QTest::newRow("byte choice 255 for create") << QByteArray("KerfCompIncludesValue = 255") << E << QByteArray("255");
        QTest::newRow("byte choice 256") << QByteArray("KerfCompIncludesValue = 256") << E
                                         << QByteArray("KerfCompIncludesValue: \"256\" is outside 0..255");
        QTest::newRow("real") << QByteArray("MinArcRadius = 0.30000000000000004") << S << QByteArray("0.30000000000000004");
        QTest::newRow("real forms") << QByteArray("MinArcRadius = +.5E1") << S << QByteArray("5");
        QTest::newRow("negative zero") << QByteArray("MinArcRadius = -0") << S << QByteArray("-0");
        QTest::newRow("subnormal") << QByteArray("MinArcRadius = 5e-324") << S << QByteArray("5e-324");
        QTest::newRow("largest") << QByteArray("MinArcRadius = 1.7976931348623157e+308") << S << QByteArray("1.7976931348623157e+308");
        QTest::newRow("inf") << QByteArray("MinArcRadius = -inf") << S << QByteArray("-inf");
        QTest::newRow("nan") << QByteArray("MinArcRadius = -nan") << S << QByteArray("-nan");
        QTest::newRow("nan bits") << QByteArray("MinArcRadius = nan(0xfff0000000000001)") << S << QByteArray("nan(0xfff0000000000001)");
        QTest::newRow("not nan bits") << QByteArray("MinArcRadius = nan(0x7ff0000000000000)") << S
                                      << QByteArray("MinArcRadius: \"nan(0x7ff0000000000000)\" does not hold the bits of a NaN");
        QTest::newRow("real too big") << QByteArray("MinArcRadius = 1e309") << S
                                      << QByteArray("MinArcRadius: \"1e309\" is out of the range of a real");
        QTest::newRow("decimal comma") << QByteArray("MinArcRadius = 0,01") << S << QByteArray("MinArcRadius: \"0,01\" is not a number");
        QTest::newRow("hexadecimal real") << QByteArray("MinArcRadius = 0x1p3") << S << QByteArray("MinArcRadius: \"0x1p3\" is not a number");
        QTest::newRow("infinity word") << QByteArray("MinArcRadius = infinity") << S
                                       << QByteArray("MinArcRadius: \"infinity\" is not a number");
        QTest::newRow("empty real") << QByteArray("MinArcRadius =") << S << QByteArray("MinArcRadius: \"\" is not a number");
        QTest::newRow("reserved") << QByteArray("Reserved62 = 00AB") << S << QByteArray("00ab");
        QTest::newRow("reserved too short") << QByteArray("Reserved62 = 0ab") << S << QByteArray("Reserved62: takes 4 hexadecimal digits");
        QTest::newRow("tail") << QByteArray("EndOfFile.Tail = 41004200") << S << QByteArray("410042");
        QTest::newRow("tail too long") << QByteArray("EndOfFile.Tail = 414141414141414141") << S
                                       << QByteArray("EndOfFile.Tail: 9 bytes, but only 8 follow the text the field holds");
        QTest::newRow("tail longer than any") << QByteArray("EndOfFile.Tail = 41414141414141414141") << S
                                              << QByteArray("EndOfFile.Tail: 10 bytes, but at most 9 follow a text in the field");
        QTest::newRow("unknown field") << QByteArray("cut[4].OnSeq[1] = \"M07\"") << S << QByteArray("unknown field \"cut[4].OnSeq[1]\"");
        QTest::newRow("no equals") << QByteArray("ControllerName \"x\"") << S << QByteArray("no `=`: write NAME = VALUE");
    }
    void assignments()
    {
        QFETCH(QByteArray, line);
        QFETCH(Rules, rules);
        QFETCH(QByteArray, result);
        const DefinitionRecord before = sample();
        DefinitionRecord r = before;
        const QByteArrayList errors = build(line, rules, r);
        if (!errors.isEmpty()) {
            QCOMPARE(errors, QByteArrayList{"text:1: " + result});
            QCOMPARE(r, before);
            return;
        }
        const QByteArray name = line.left(line.indexOf('=')).trimmed();
        const Entry *e = find(name, true);
        QCOMPARE(value(r, *e), result);
        // Nothing outside the field moved.
        for (int b = 0; b < kvd::RecordSize; ++b)
            if (b < e->offset || b >= e->offset + e->size)
                QVERIFY2(r.data()[b] == before.data()[b], qPrintable(QString::number(b)));
    }

    // A text: comments, blank lines, a tail before its text; each fault names its line.
    void textsNameTheirLines()
    {
        DefinitionRecord r;
        QCOMPARE(build("# machine 7\n\nEndOfFile.Tail = 4142\r\nEndOfFile = \"M30\"\n", Rules::Exact, r), QByteArrayList());
        QCOMPARE(value(r, *find("EndOfFile.Tail", true)), QByteArray("4142"));
        QCOMPARE(textBytes(r, *find("EndOfFile")), QByteArray("M30"));

        DefinitionRecord refused;
        QCOMPARE(build("EndOfFile = \"M30\"\nRapidModal = x\n\nEndOfFile = \"M02\"\n", Rules::Exact, refused),
                 (QByteArrayList{"text:2: RapidModal: \"x\" is not a whole number",
                                 "text:4: EndOfFile is already given at text:1"}));
        DefinitionRecord full;
        QCOMPARE(build("EndOfFile = \"0123456789\"\nEndOfFile.Tail = 41\n", Rules::Exact, full),
                 QByteArrayList{"text:2: EndOfFile.Tail: the text fills the field; no byte follows it"});
    }

    // `dump --all` then create gives every record back byte for byte.
    void dumpBuildsItsRecordAgain()
    {
        for (const DefinitionRecord &r : records()) {
            DefinitionRecord rebuilt;
            const QByteArray text = dumpText(r, true);
            QCOMPARE(build(text, Rules::Exact, rebuilt), QByteArrayList());
            QVERIFY2(rebuilt == r, text.constData());
        }
    }

    // Setting the value dump prints changes nothing; setting another record's value changes
    // only that field, and dump then prints the new value. set refuses only the choices
    // that the editor would not store.
    void settingChangesOnlyTheField()
    {
        const std::vector<DefinitionRecord> all = records();
        for (size_t i = 0; i < all.size(); ++i) {
            const DefinitionRecord &r = all[i];
            const DefinitionRecord &other = all[(i * 7 + 3) % all.size()];
            for (const Entry &e : entries(true)) {
                const bool oddChoice = (e.kind == Entry::Choice || e.kind == Entry::ByteChoice)
                                       && value(r, e) != "0" && value(r, e) != "1";
                DefinitionRecord same = r;
                const QByteArrayList sameErrors = build(e.name + " = " + value(r, e), Rules::Store, same);
                QCOMPARE(sameErrors.isEmpty(), !oddChoice);
                QVERIFY2(same == r, e.name.constData());

                const QByteArray wanted = value(other, e);
                DefinitionRecord changed = r;
                if (!build(e.name + " = " + wanted, Rules::Store, changed).isEmpty())
                    continue; // an odd choice, or a tail with no room after this text
                QCOMPARE(value(changed, e), wanted);
                for (int b = 0; b < kvd::RecordSize; ++b)
                    if (b < e.offset || b >= e.offset + e.size)
                        QVERIFY2(changed.data()[b] == r.data()[b], e.name.constData());
            }
        }
    }

    // A side left as base gives the other; else changes arrive and double ones conflict, keeping ours.
    void mergeProperties()
    {
        const std::vector<DefinitionRecord> all = records();
        std::mt19937 random(20);
        const auto changed = [&](DefinitionRecord r, const DefinitionRecord &from) {
            for (const Entry &e : entries(true)) // whole fields, so a text brings its tail
                if (e.kind != Entry::Tail && random() % 4 == 0)
                    std::memcpy(r.data() + e.offset, from.data() + e.offset, size_t(e.size));
            return r;
        };
        for (size_t i = 0; i < all.size(); ++i) {
            const DefinitionRecord &b = all[i];
            const DefinitionRecord x = changed(b, all[(i * 7 + 3) % all.size()]), y = changed(b, all[(i * 5 + 1) % all.size()]);
            for (const auto &[o, t, expected] : {std::tuple{x, b, x}, std::tuple{b, y, y}, std::tuple{x, x, x}})
                QVERIFY(mergeRecords(b, o, t).record == expected && mergeRecords(b, o, t).conflicts.empty());
            const Merged m = mergeRecords(b, x, y);
            QSet<const Entry *> named, whole;
            for (const Conflict &c : m.conflicts)
                for (const Entry *e : c.entries)
                    (c.slot.isEmpty() ? named : whole).insert(e);
            for (const Entry &e : entries(true)) {
                const QByteArray vb = value(b, e), vx = value(x, e), vy = value(y, e), vm = value(m.record, e);
                const bool both = vx != vb && vy != vb && vx != vy;
                QVERIFY2(!both || named.contains(&e) || whole.contains(&e), e.name.constData());
                // Besides those, only a text and a tail from two sides that do not fit together.
                QVERIFY2(!named.contains(&e) || both || ((e.kind == Entry::Text || e.kind == Entry::Tail) && !std::memcmp(m.record.data() + e.offset, x.data() + e.offset, size_t(e.size))), e.name.constData());
                QCOMPARE(vm, named.contains(&e) || whole.contains(&e) || vx != vb ? vx : vy);
            }
        }
    }

    // A slot that base did not use and both sides filled is taken whole from ours.
    void mergeSlots_data()
    {
        QTest::addColumn<Mutation>("ours");
        QTest::addColumn<Mutation>("theirs");
        QTest::addColumn<QByteArray>("conflicts");
        const auto code = [](int slot, const char *name, int row) {
            return Mutation([=](DefinitionRecord &r) {
                r.setText(kvd::processName(slot), QString::fromLatin1(name));
                r.setText(kvd::cutSeq(row, 1, slot), QStringLiteral("M07"));
                r.setInteger(Field::CutProcessIndex, 2);
            });
        };
        QTest::newRow("added on both sides") << code(3, "Oxy", 1) << code(3, "Laser", 2)
                                             << QByteArray("cut[3]: cut[3].Name cut[3].OnSeq[1] cut[3].OffSeq[1]");
        QTest::newRow("in use in base") << code(2, "Oxy-fuel", 1) << code(2, "Oxy-fuel", 2) << QByteArray();
    }
    void mergeSlots()
    {
        QFETCH(Mutation, ours);
        QFETCH(Mutation, theirs);
        QFETCH(QByteArray, conflicts);
        DefinitionRecord b = sample(), o = b, t = b;
        ours(o);
        theirs(t);
        QByteArray got;
        for (const Conflict &c : mergeRecords(b, o, t).conflicts)
            for (const Entry *e : c.entries)
                got += (got.isEmpty() ? c.slot + ": " : QByteArray(" ")) + e->name;
        QCOMPARE(got, conflicts);
    }

    void checkLengths_data()
    {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QByteArrayList>("findings");
        QTest::newRow("exact") << qint64(3228) << QByteArrayList();
        QTest::newRow("empty") << qint64(0) << QByteArrayList{"length 0 bytes, not 3228"};
        QTest::newRow("longer") << qint64(5000) << QByteArrayList{"length 5000 bytes, not 3228; only the first 3228 are read"};
    }
    void checkLengths()
    {
        QFETCH(qint64, length);
        QFETCH(QByteArrayList, findings);
        const std::vector<QByteArray> got = checkLength(length);
        QCOMPARE(QByteArrayList(got.begin(), got.end()), findings);
    }
};

QTEST_GUILESS_MAIN(KvdToolTest)
#include "tst_kvdtool.moc"
