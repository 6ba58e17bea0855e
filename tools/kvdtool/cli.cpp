#include "cli.h"

#include "check.h"
#include "dump.h"
#include "merge.h"
#include "source.h"
#include "writing.h"

#include <QFile>

namespace kvdtool {

namespace {

const char Usage[] = "usage: kvdtool dump [--all] [--json] FILE\n"
                     "       kvdtool diff [--all] FILE1 FILE2\n"
                     "       kvdtool check FILE...\n"
                     "       kvdtool set [--dry-run] (-s NAME=VALUE | --from TEXT)... FILE...\n"
                     "       kvdtool create [--force] [--from TEXT] NEW.kvd\n"
                     "       kvdtool merge [--dry-run] [-o OUT] [--name FILE] BASE OURS THEIRS\n"
                     "       kvdtool COMMAND --help\n";

const char Overview[] = "kvdtool reads and writes Pelorin definition files (.kvd).\n\n"
                        "  dump    print every field of the record, one per line\n"
                        "  diff    print the fields in which two records differ\n"
                        "  check   report what the editor or a post-processor would trip over\n"
                        "  set     write named fields into files, in place\n"
                        "  create  build a new file from dump text\n"
                        "  merge   merge two changed copies of a file field by field (git's merge driver)\n\n";

const char DumpHelp[] = "usage: kvdtool dump [--all] [--json] FILE\n\n"
                        "Prints every field of the record as `name = value`, in record order, with the\n"
                        "codes of each process slot together (cut[1] to cut[3], scribe[4] and scribe[5],\n"
                        "point[6] to point[10]). Texts are quoted with C escapes (\\n, \\r, \\t, \\\\, \\\",\n"
                        "\\xNN); reals appear in their shortest exact form; integers and choices as\n"
                        "stored.\n\n"
                        "  --all   also the reserved ranges, and the bytes after a text's terminating\n"
                        "          zero (NAME.Tail, when not all zero), as hexadecimal\n"
                        "  --json  the same as one JSON object\n\n"
                        "Exit status: 0 done, 2 the file could not be read.\n";

const char DiffHelp[] = "usage: kvdtool diff [--all] FILE1 FILE2\n\n"
                        "Prints one line per field that differs: `name: VALUE1 -> VALUE2`.\n\n"
                        "  --all   compare the reserved ranges and text tails too\n\n"
                        "Exit status: 0 the records are equal, 1 they differ, 2 a file could not be read.\n"
                        "Records that differ only in bytes that --all shows give exit status 1 and a\n"
                        "note saying so.\n";

const char CheckHelp[] = "usage: kvdtool check FILE...\n\n"
                         "Reports, one line each as `FILE: finding`: a length other than 3228 bytes,\n"
                         "process counters out of range (cut 0..2, scribe -1..1, point -1..4), choices\n"
                         "other than 0 and 1, texts without a terminating zero, reals that are not\n"
                         "finite, and codes in process slots beyond the counters, which the editor's\n"
                         "next save clears. Nothing is printed for a clean file.\n\n"
                         "Exit status: 0 all clean, 1 warnings, 2 a file could not be read.\n";

struct Parsed {
    bool help = false;
    bool all = false;
    bool json = false;
    QStringList files;
    QByteArray error;
};

Parsed parse(const QStringList &args, bool allowAll, bool allowJson)
{
    Parsed p;
    bool options = true;
    for (const QString &a : args) {
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            p.help = true;
        } else if (options && allowAll && a == QLatin1String("--all")) {
            p.all = true;
        } else if (options && allowJson && a == QLatin1String("--json")) {
            p.json = true;
        } else if (options && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            p.error = "kvdtool: unknown option " + a.toLocal8Bit() + '\n';
        } else {
            p.files << a;
        }
    }
    return p;
}

QByteArray local(const QString &s) { return s.toLocal8Bit(); }

int usageError(QByteArray &err, const QByteArray &message)
{
    err += message + Usage;
    return 2;
}

bool load(const QString &path, kvd::DefinitionRecord &record, QByteArray &err)
{
    qint64 length;
    if (const auto error = readForInspection(path, record, length)) {
        err += local(describe(path, *error)) + '\n';
        return false;
    }
    return true;
}

int dump(const QStringList &args, QByteArray &out, QByteArray &err)
{
    const Parsed p = parse(args, true, true);
    if (p.help) {
        out += DumpHelp;
        return 0;
    }
    if (!p.error.isEmpty())
        return usageError(err, p.error);
    if (p.files.size() != 1)
        return usageError(err, "kvdtool dump: name one file\n");
    kvd::DefinitionRecord record;
    if (!load(p.files.at(0), record, err))
        return 2;
    out += p.json ? dumpJson(record, p.all) : dumpText(record, p.all);
    return 0;
}

int diff(const QStringList &args, QByteArray &out, QByteArray &err)
{
    const Parsed p = parse(args, true, false);
    if (p.help) {
        out += DiffHelp;
        return 0;
    }
    if (!p.error.isEmpty())
        return usageError(err, p.error);
    if (p.files.size() != 2)
        return usageError(err, "kvdtool diff: name two files\n");
    kvd::DefinitionRecord a, b;
    const bool readA = load(p.files.at(0), a, err);
    const bool readB = load(p.files.at(1), b, err); // report both when neither can be read
    if (!readA || !readB)
        return 2;
    if (a == b)
        return 0;
    const std::vector<Difference> diffs = differences(a, b, p.all);
    if (diffs.empty())
        out += "(the records differ only in bytes that --all shows)\n";
    out += diffText(diffs);
    return 1;
}

int check(const QStringList &args, QByteArray &out, QByteArray &err)
{
    const Parsed p = parse(args, false, false);
    if (p.help) {
        out += CheckHelp;
        return 0;
    }
    if (!p.error.isEmpty())
        return usageError(err, p.error);
    if (p.files.isEmpty())
        return usageError(err, "kvdtool check: name at least one file\n");

    int status = 0;
    for (const QString &path : p.files) {
        kvd::DefinitionRecord record;
        qint64 length;
        const auto error = readForInspection(path, record, length);
        const QByteArray prefix = local(path) + ": ";
        std::vector<QByteArray> findings;
        if (length >= 0)
            findings = checkLength(length);
        if (!error) {
            const std::vector<QByteArray> more = checkRecord(record);
            findings.insert(findings.end(), more.begin(), more.end());
        }
        for (const QByteArray &f : findings)
            out += prefix + f + '\n';
        if (error) {
            err += local(describe(path, *error)) + '\n';
            status = 2;
        } else if (!findings.empty() && status == 0) {
            status = 1;
        }
    }
    return status;
}

} // namespace

int run(const QStringList &args, QByteArray &out, QByteArray &err)
{
    if (args.isEmpty())
        return usageError(err, QByteArray());
    const QString command = args.at(0);
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("dump"))
        return dump(rest, out, err);
    if (command == QLatin1String("diff"))
        return diff(rest, out, err);
    if (command == QLatin1String("check"))
        return check(rest, out, err);
    if (command == QLatin1String("set"))
        return set(rest, out, err);
    if (command == QLatin1String("create"))
        return create(rest, out, err);
    if (command == QLatin1String("merge"))
        return merge(rest, out, err);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        out += QByteArray(Overview) + Usage;
        return 0;
    }
    return usageError(err, "kvdtool: unknown command " + local(command) + '\n');
}

} // namespace kvdtool
