#include "writing.h"

#include "assignment.h"
#include "dump.h"
#include "source.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <system_error>
#include <thread>

namespace kvdtool {

const char SetHelp[] =
    "usage: kvdtool set [--dry-run] (-s NAME=VALUE | --from TEXT)... FILE...\n\n"
    "Writes the named fields into every file, in place, as the editor's Save does: only\n"
    "the bytes of those fields change, a longer file keeps its bytes after the record.\n"
    "Names and values are those of `kvdtool dump`: ControllerName=\"Plasma 2\",\n"
    "cut[1].OnSeq[1]=\"M07\\n\", MinArcRadius=0.01, NormalShiftInch=-2, RapidModal=1, and\n"
    "the names of `dump --all` (Reserved50, NAME.Tail) with hexadecimal values. Texts are\n"
    "read as UTF-8, one byte per character; \\xNN writes any byte. A text as long as its\n"
    "field is written without a terminating zero. A choice is 0 or 1.\n\n"
    "  -s, --set NAME=VALUE  one assignment; may be repeated\n"
    "  --from TEXT           the assignments of a text in dump form (`NAME = VALUE` lines,\n"
    "                        blank lines and lines starting with # skipped); - reads\n"
    "                        standard input\n"
    "  --dry-run             print per file what would change (`FILE: name: OLD -> NEW`),\n"
    "                        write nothing\n\n"
    "Every assignment is checked against every file before the first is written: one\n"
    "refusal (an unknown name, a bad value, a file that cannot be opened or is shorter\n"
    "than 3228 bytes) and no file changes. A file whose fields already hold the values\n"
    "is not written.\n\n"
    "Exit status: 0 every file written, 2 refused or failed.\n";

const char CreateHelp[] =
    "usage: kvdtool create [--force] [--from TEXT] NEW.kvd\n\n"
    "Builds a new 3228-byte definition file from a text in the form `kvdtool dump`\n"
    "prints, read from TEXT or standard input: `NAME = VALUE` lines, blank lines and\n"
    "lines starting with # skipped. Fields the text leaves out are zero, as in a record\n"
    "of zeros; the text of `kvdtool dump --all` gives back its file byte for byte.\n"
    "Choices and integers may hold any value a dump shows. The file is written as the\n"
    "editor's Save As writes: whole, or not at all.\n\n"
    "  --from TEXT  read the text from TEXT instead of standard input\n"
    "  --force      replace NEW.kvd when it exists\n\n"
    "Errors name the line. Exit status: 0 written, 2 refused or failed.\n";

namespace {

QByteArray local(const QString &s) { return s.toLocal8Bit(); }

// An argument shown in a message: control bytes escaped, so it stays on one line.
QByteArray shown(const QByteArray &text)
{
    QByteArray out;
    for (const char c : text) {
        const quint8 b = quint8(c);
        if (b < 0x20 || b == 0x7f)
            out += kvd::escapeText(QByteArray(1, c));
        else
            out += c;
    }
    return out;
}

// Far more than any dump (about 14 KiB); a stray device or huge file is refused, not read.
constexpr qint64 LongestText = 16 << 20;

bool readText(const QString &path, QByteArray &text, QByteArray &source, std::vector<QByteArray> &errors)
{
    QFile file;
    bool opened;
    if (path == QLatin1String("-")) {
        source = "standard input";
        opened = file.open(stdin, QIODevice::ReadOnly);
    } else {
        source = local(path);
        file.setFileName(path);
        opened = !QFileInfo(path).isDir() && file.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        errors.push_back(local(describe(path, kvd::FileError::notOpened())));
        return false;
    }
    text = file.read(LongestText + 1);
    if (file.error() != QFileDevice::NoError) {
        errors.push_back(source + ": " + local(file.errorString()));
        return false;
    }
    if (text.size() > LongestText) {
        errors.push_back(source + ": longer than " + QByteArray::number(LongestText >> 20)
                         + " MiB; a dump is about 14 KiB");
        return false;
    }
    return true;
}

int usageError(QByteArray &err, const QByteArray &message, const char *usage)
{
    err += message + usage;
    return 2;
}

struct Target {
    QString path;
    kvd::DefinitionRecord original;
};

// A write failed after others succeeded: put those back, so that a failure leaves
// the files as they were. Returns the files that keep the change.
QStringList putBack(const std::vector<Target> &targets, const std::vector<size_t> &written, QByteArray &err)
{
    QStringList kept;
    for (auto it = written.rbegin(); it != written.rend(); ++it) {
        const Target &t = targets[*it];
        if (const auto error = kvd::writeRecordInPlace(t.path, t.original)) {
            err += local(describe(t.path, *error)) + " (while putting the file back)\n";
            kept.prepend(t.path);
        }
    }
    return kept;
}

// Each file is flushed as Save flushes it, which waits for the disk; many writers at once
// let the file system commit their flushes together, so thousands of files take seconds
// rather than minutes.
constexpr int Writers = 32;

int writeAll(const std::vector<Target> &targets, const std::vector<Assignment> &assignments, QByteArray &err)
{
    enum State : char { Untouched, Written, Failed };
    std::vector<State> states(targets.size(), Untouched);
    std::vector<std::optional<kvd::FileError>> errors(targets.size());
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    const auto work = [&] {
        for (size_t i; !stop && (i = next++) < targets.size();) {
            const Target &t = targets[i];
            kvd::DefinitionRecord changed = t.original;
            applyAssignments(assignments, changed);
            if (changed == t.original)
                continue; // nothing to write: the file keeps its time stamp too
            errors[i] = kvd::writeRecordInPlace(t.path, changed);
            states[i] = errors[i] ? Failed : Written;
            if (errors[i])
                stop = true;
        }
    };
    std::vector<std::thread> writers;
    const size_t count = std::min<size_t>(Writers, targets.size());
    try {
        for (size_t w = 1; w < count; ++w)
            writers.emplace_back(work);
    } catch (const std::system_error &) {
        // No more threads to be had: the ones running, and this one, do the rest.
    }
    work();
    for (std::thread &w : writers)
        w.join();
    if (!stop)
        return 0;

    // A write failed: put back every file already written, and the one that failed
    // unless it could not even be opened, so that a failure leaves the files as they were.
    std::vector<size_t> written;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (states[i] == Failed)
            err += local(describe(targets[i].path, *errors[i])) + '\n';
        if (states[i] == Written || (states[i] == Failed && errors[i]->kind != kvd::FileError::NotOpened))
            written.push_back(i);
    }
    const QStringList kept = putBack(targets, written, err);
    if (kept.isEmpty()) {
        err += "kvdtool set: stopped; the files written before were put back, no file changed\n";
    } else {
        err += "kvdtool set: stopped; these files may keep part of the change:\n";
        for (const QString &path : kept)
            err += "  " + local(path) + '\n';
    }
    return 2;
}

} // namespace

int set(const QStringList &args, QByteArray &out, QByteArray &err)
{
    const char Usage[] = "usage: kvdtool set [--dry-run] (-s NAME=VALUE | --from TEXT)... FILE...\n";
    bool dryRun = false;
    bool given = false;
    std::vector<Assignment> assignments;
    std::vector<QByteArray> errors;
    QStringList files;

    const auto assign = [&](const QString &text) {
        given = true;
        const QByteArray bytes = text.toUtf8();
        Assignment a;
        a.origin = "-s " + shown(bytes);
        const QByteArray reason = parseAssignment(bytes, Rules::Store, a);
        if (reason.isEmpty())
            assignments.push_back(std::move(a));
        else
            errors.push_back(a.origin + ": " + reason);
    };
    const auto from = [&](const QString &path) {
        given = true;
        QByteArray text, source;
        if (readText(path, text, source, errors))
            parseLines(text, source, Rules::Store, assignments, errors);
    };

    bool options = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!options) {
            files << a;
        } else if (a == QLatin1String("--")) {
            options = false;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out += SetHelp;
            return 0;
        } else if (a == QLatin1String("--dry-run")) {
            dryRun = true;
        } else if (a == QLatin1String("-s") || a == QLatin1String("--set") || a == QLatin1String("--from")) {
            if (i + 1 == args.size())
                return usageError(err, "kvdtool set: " + local(a) + " needs a value\n", Usage);
            if (a == QLatin1String("--from"))
                from(args.at(++i));
            else
                assign(args.at(++i));
        } else if (a.startsWith(QLatin1String("--set="))) {
            assign(a.mid(6));
        } else if (a.startsWith(QLatin1String("--from="))) {
            from(a.mid(7));
        } else if (a.startsWith(QLatin1String("-s"))) {
            assign(a.mid(2));
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usageError(err, "kvdtool: unknown option " + local(a) + '\n', Usage);
        } else {
            files << a;
        }
    }
    if (!given)
        return usageError(err, "kvdtool set: give at least one -s NAME=VALUE or --from TEXT\n", Usage);
    if (files.isEmpty())
        return usageError(err, "kvdtool set: name at least one file\n", Usage);
    findRepeats(assignments, errors);

    // Every file is read and every assignment tried on it before anything is written.
    std::vector<Target> targets;
    targets.reserve(size_t(files.size()));
    for (const QString &path : files) {
        Target t{path, kvd::DefinitionRecord()};
        if (const auto error = kvd::readRecordFile(path, t.original)) {
            errors.push_back(local(describe(path, *error)));
            continue;
        }
        kvd::DefinitionRecord changed = t.original;
        for (const QByteArray &message : applyAssignments(assignments, changed))
            errors.push_back(local(path) + ": " + message);
        targets.push_back(std::move(t));
    }
    if (!errors.empty()) {
        for (const QByteArray &e : errors)
            err += e + '\n';
        err += "kvdtool set: refused; no file changed\n";
        return 2;
    }

    if (dryRun) {
        for (const Target &t : targets) {
            kvd::DefinitionRecord changed = t.original;
            applyAssignments(assignments, changed);
            out += diffText(kvd::differences(t.original, changed, true), local(t.path) + ": ");
        }
        return 0;
    }
    return writeAll(targets, assignments, err);
}

int create(const QStringList &args, QByteArray &out, QByteArray &err)
{
    const char Usage[] = "usage: kvdtool create [--force] [--from TEXT] NEW.kvd\n";
    bool force = false;
    QString fromPath = QStringLiteral("-");
    QStringList files;
    bool options = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!options) {
            files << a;
        } else if (a == QLatin1String("--")) {
            options = false;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out += CreateHelp;
            return 0;
        } else if (a == QLatin1String("--force")) {
            force = true;
        } else if (a == QLatin1String("--from")) {
            if (i + 1 == args.size())
                return usageError(err, "kvdtool create: --from needs a value\n", Usage);
            fromPath = args.at(++i);
        } else if (a.startsWith(QLatin1String("--from="))) {
            fromPath = a.mid(7);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usageError(err, "kvdtool: unknown option " + local(a) + '\n', Usage);
        } else {
            files << a;
        }
    }
    if (files.size() != 1)
        return usageError(err, "kvdtool create: name one new file\n", Usage);
    const QString path = files.at(0);
    const QFileInfo target(path);
    if (!force && (target.exists() || target.isSymLink())) {
        err += "kvdtool create: " + local(path) + " exists; --force replaces it\n";
        return 2;
    }

    std::vector<Assignment> assignments;
    std::vector<QByteArray> errors;
    QByteArray text, source;
    if (readText(fromPath, text, source, errors)) {
        parseLines(text, source, Rules::Exact, assignments, errors);
        findRepeats(assignments, errors);
    }
    kvd::DefinitionRecord record;
    if (errors.empty())
        errors = applyAssignments(assignments, record);
    if (!errors.empty()) {
        for (const QByteArray &e : errors)
            err += e + '\n';
        err += "kvdtool create: " + local(path) + " not written\n";
        return 2;
    }
    if (const auto error = kvd::writeRecordNew(path, record)) {
        err += local(describe(path, *error)) + '\n';
        return 2;
    }
    return 0;
}

} // namespace kvdtool
