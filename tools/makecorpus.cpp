// Writes the round-trip corpus: definition files that between them hold every
// combination of process counts, out-of-range counts, texts with and without
// terminators, control characters and bytes above 127, every class of choice value,
// and the awkward reals (infinities, NaNs, subnormals, negative zero). Deterministic:
// the same program writes the same files.
//
//   makecorpus <folder>          writes the files
//   makecorpus --check <folder>  exits 1 unless each of these files is there, byte for byte

#include "record/layout.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Random {
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % std::uint64_t(n)); }
    std::uint8_t byte() { return std::uint8_t(next()); }
};

void put16(Bytes &b, int at, int v)
{
    b[size_t(at)] = std::uint8_t(v & 0xFF);
    b[size_t(at) + 1] = std::uint8_t((v >> 8) & 0xFF);
}

void put64(Bytes &b, int at, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        b[size_t(at + i)] = std::uint8_t(v >> (8 * i));
}

std::uint64_t bitsOf(double d)
{
    std::uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

const std::uint64_t kReals[] = {
    bitsOf(std::numeric_limits<double>::infinity()),
    bitsOf(-std::numeric_limits<double>::infinity()),
    0x7FF8000000000000ull,            // quiet NaN
    0xFFF8000000000000ull,            // quiet NaN, sign bit set
    0x7FF0000000000001ull,            // signalling NaN
    0x7FFDEADBEEF00001ull,            // NaN with a payload
    0x0000000000000001ull,            // smallest subnormal
    0x800FFFFFFFFFFFFFull,            // largest negative subnormal
    0x8000000000000000ull,            // negative zero
    0,
    bitsOf(0.125), bitsOf(2.675), bitsOf(0.004), bitsOf(6.0), bitsOf(12.34),
    bitsOf(1e300), bitsOf(-DBL_MAX), bitsOf(2.4), bitsOf(-3.0),
};
constexpr int kRealCount = int(sizeof kReals / sizeof kReals[0]);

const int kChoices[] = {0, 1, 2, -1, 0x0100, 0x0101, 0x7FFF, -32768};
const int kByteChoices[] = {0, 1, 2, 0xFF};
const int kIntegers[] = {0, -1, 1, 4, -32768, 32767, 1000, -7};

// One text field's bytes in one of eight classes.
void fillText(Bytes &b, int at, int size, int klass, Random &r)
{
    for (int i = 0; i < size; ++i)
        b[size_t(at + i)] = r.byte(); // what lies after a terminator must survive too
    auto text = [&](const std::string &s) {
        for (size_t i = 0; i < s.size() && int(i) < size; ++i)
            b[size_t(at) + i] = std::uint8_t(s[i]);
        if (int(s.size()) < size)
            b[size_t(at) + s.size()] = 0;
    };
    switch (klass % 8) {
    case 0: text(""); break;
    case 1: text("G01"); break;
    case 2: text(std::string(size_t(size - 1), 'M')); break; // as long as a box lets the user type
    case 3: // no terminator at all
        for (int i = 0; i < size; ++i)
            b[size_t(at + i)] = std::uint8_t('A' + (i % 26));
        break;
    case 4: text(std::string("\x01\t\x1b\x7f\x1f", 5)); break;
    case 5: text(std::string("\x80\x9f\xa0\xe9\xff", 5)); break;
    case 6: // ten bytes above 127 and no terminator
        for (int i = 0; i < size; ++i)
            b[size_t(at + i)] = std::uint8_t(0x80 + r.below(128));
        break;
    default: text(std::string("N\nG\r%", 5)); break;
    }
}

Bytes makeRecord(int variant, int cut, int scribe, int point, Random &r)
{
    Bytes b(kvd::RecordSize);
    for (auto &x : b)
        x = r.byte();
    int k = variant;
    for (const kvd::FieldSpec &s : kvd::FieldTable) {
        ++k;
        switch (s.encoding) {
        case kvd::Encoding::Reserved: break;
        case kvd::Encoding::Name20:
        case kvd::Encoding::ShortCode: fillText(b, s.offset, s.size, k, r); break;
        case kvd::Encoding::CodeBlock:
            for (int at = s.offset; at < s.offset + s.size; at += kvd::ShortCodeSize)
                fillText(b, at, kvd::ShortCodeSize, k++, r);
            break;
        case kvd::Encoding::Integer: put16(b, s.offset, kIntegers[k % 8]); break;
        case kvd::Encoding::Choice: put16(b, s.offset, kChoices[k % 8]); break;
        case kvd::Encoding::ByteChoice: b[size_t(s.offset)] = std::uint8_t(kByteChoices[k % 4]); break;
        case kvd::Encoding::Real: put64(b, s.offset, kReals[k % kRealCount]); break;
        }
    }
    put16(b, kvd::fieldSpec(kvd::Field::CutProcessIndex).offset, cut);
    put16(b, kvd::fieldSpec(kvd::Field::ScribeProcessIndex).offset, scribe);
    put16(b, kvd::fieldSpec(kvd::Field::PointProcessIndex).offset, point);
    return b;
}

bool sameAsFile(const std::string &path, const Bytes &bytes)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    Bytes held(bytes.size() + 1);
    const size_t n = std::fread(held.data(), 1, held.size(), f);
    std::fclose(f);
    return n == bytes.size() && std::equal(bytes.begin(), bytes.end(), held.begin());
}

bool writeFile(const std::string &folder, const std::string &name, const Bytes &bytes)
{
    const std::string path = folder + "/" + name;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char **argv)
{
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: makecorpus [--check] <folder>\n");
        return 2;
    }
    const std::string folder = argv[argc - 1];
    Random r{20261208};
    int written = 0;
    auto emit = [&](const std::string &name, const Bytes &bytes) {
        if (check) {
            if (!sameAsFile(folder + "/" + name, bytes)) {
                std::fprintf(stderr, "makecorpus: %s/%s is not what the generator writes\n", folder.c_str(), name.c_str());
                std::exit(1);
            }
        } else if (!writeFile(folder, name, bytes)) {
            std::fprintf(stderr, "makecorpus: cannot write %s/%s\n", folder.c_str(), name.c_str());
            std::exit(1);
        }
        ++written;
    };

    // Every count the commands can produce: 3 cut x 3 scribe x 6 point.
    int variant = 0;
    for (int cut = 0; cut <= 2; ++cut)
        for (int scribe = -1; scribe <= 1; ++scribe)
            for (int point = -1; point <= 4; ++point)
                emit("counts_c" + std::to_string(cut) + "_s" + std::to_string(scribe) + "_p" + std::to_string(point) + ".kvd",
                     makeRecord(variant++, cut, scribe, point, r));

    // Counts no command produces, from damaged or foreign files.
    const struct {
        const char *name;
        int cut, scribe, point;
    } odd[] = {
        {"odd_negative.kvd", -1, -2, -2},
        {"odd_beyond.kvd", 3, 2, 5},
        {"odd_minimum.kvd", -32768, -32768, -32768},
        {"odd_maximum.kvd", 32767, 32767, 32767},
    };
    for (const auto &o : odd)
        emit(o.name, makeRecord(variant++, o.cut, o.scribe, o.point, r));

    emit("zeros.kvd", Bytes(kvd::RecordSize, 0));
    emit("ones.kvd", Bytes(kvd::RecordSize, 0xFF));

    // Only the first record of a longer file is read; what follows is never written by Save As.
    Bytes longer = makeRecord(variant++, 1, 0, 1, r);
    for (int i = 0; i < 5000 - kvd::RecordSize; ++i)
        longer.push_back(r.byte());
    emit("long5000.kvd", longer);

    // Too short to be a definition: Open must refuse them and change nothing.
    emit("short_empty.kvd", Bytes());
    Bytes shortOne = makeRecord(variant++, 0, -1, -1, r);
    shortOne.pop_back();
    emit("short_3227.kvd", shortOne);

    std::printf("%d files %s %s\n", written, check ? "checked in" : "written to", folder.c_str());
    return 0;
}
