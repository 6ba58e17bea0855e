#include "merge.h"

#include "assignment.h"
#include "dump.h"
#include "source.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cctype>

namespace kvdtool {

const char MergeHelp[] =
    "usage: kvdtool merge [--dry-run] [-o OUT] [--name FILE] BASE OURS THEIRS\n\n"
    "Merges the changes OURS and THEIRS each made to BASE, entry by entry over the lines\n"
    "of `dump --all` (fields, reserved ranges and text tails). An entry only one side\n"
    "changed takes that side's value, one both changed alike keeps it, and one both\n"
    "changed differently is a conflict and keeps OURS's value. A process slot BASE did\n"
    "not use that both sides filled differently is one conflict and keeps OURS's codes\n"
    "whole: two processes added on two branches are never blended.\n\n"
    "The result goes into OURS in place, as set writes (the bytes after the record stay\n"
    "OURS's), and nothing is written when it equals OURS. Conflicts are listed on\n"
    "standard error as `NAME: base VALUE, ours VALUE, theirs VALUE`, followed by the\n"
    "kvdtool set command that takes THEIRS's values instead.\n\n"
    "  -o, --output OUT  write the result to OUT, as Save As writes: the record alone\n"
    "  --dry-run         print what would change in OURS (`OURS: name: OLD -> NEW`) and\n"
    "                    the conflicts, write nothing\n"
    "  --name FILE       the file the set command names, where OURS is a temporary\n"
    "                    copy of it (git's %P)\n\n"
    "As git's merge driver: `*.kvd diff=kvd merge=kvd` in .gitattributes, then\n"
    "  git config merge.kvd.name \"Pelorin definition\"\n"
    "  git config merge.kvd.driver \"kvdtool merge %O %A %B\"\n\n"
    "Exit status: 0 merged cleanly, 1 conflicts, 2 an error (and no file changed).\n";

namespace {

using kvd::DefinitionRecord;
using kvd::Entry;

enum Side : char { Ours, Theirs, Conflicting };

Side pick(const QByteArray &base, const QByteArray &ours, const QByteArray &theirs)
{
    if (ours == theirs || theirs == base)
        return Ours;
    return ours == base ? Theirs : Conflicting;
}

// A record's value as set would write it: the dump text read back, so that merge, the
// suggested set line and set itself store alike.
Assignment assignmentOf(const Entry &e, const QByteArray &value)
{
    Assignment a;
    parseAssignment(e.name + '=' + value, Rules::Exact, a);
    return a;
}

// Whether a text and the tail after it fit in their field together.
bool fits(const Entry &e, const Assignment &text, const Assignment &tail)
{
    return tail.bytes.isEmpty() || text.bytes.size() + 1 + tail.bytes.size() <= e.size;
}

QByteArray shown(const QByteArray &v) { return v.isEmpty() ? QByteArray("(none)") : v; }

// A word for a POSIX shell (git runs its drivers through one, also on Windows).
QByteArray shellWord(const QByteArray &word)
{
    bool plain = !word.isEmpty();
    for (const char c : word)
        plain = plain && (std::isalnum(quint8(c)) || QByteArray("_-./:=@%+,").contains(c));
    if (plain)
        return word;
    QByteArray quoted = word;
    return '\'' + quoted.replace('\'', "'\\''") + '\'';
}

QByteArray local(const QString &path) { return QDir::toNativeSeparators(path).toLocal8Bit(); }

// The values of every entry, in list order.
std::vector<QByteArray> values(const DefinitionRecord &r)
{
    std::vector<QByteArray> out;
    out.reserve(kvd::entries(true).size());
    for (const Entry &e : kvd::entries(true))
        out.push_back(value(r, e));
    return out;
}

QByteArray slotOf(const Entry &e) { return e.name.left(e.name.indexOf('.')); }

} // namespace

Merged mergeRecords(const DefinitionRecord &base, const DefinitionRecord &ours, const DefinitionRecord &theirs)
{
    const std::vector<Entry> &list = kvd::entries(true);
    const std::vector<QByteArray> b = values(base), o = values(ours), t = values(theirs);
    const size_t n = list.size();

    // A slot that base did not use and that both sides filled, differently: one unit.
    bool oursFilled[kvd::LastPointSlot + 1] = {}, theirsFilled[kvd::LastPointSlot + 1] = {},
         differ[kvd::LastPointSlot + 1] = {};
    for (size_t i = 0; i < n; ++i) {
        const int slot = list[i].slot;
        oursFilled[slot] |= o[i] != b[i];
        theirsFilled[slot] |= t[i] != b[i];
        differ[slot] |= o[i] != t[i];
    }
    bool unit[kvd::LastPointSlot + 1] = {};
    for (int slot = 1; slot <= kvd::LastPointSlot; ++slot)
        unit[slot] = !kvd::slotShown(base, slot) && oursFilled[slot] && theirsFilled[slot] && differ[slot];

    std::vector<Side> side(n);
    for (size_t i = 0; i < n; ++i)
        side[i] = unit[list[i].slot] ? Ours : pick(b[i], o[i], t[i]);

    std::vector<Assignment> taken;
    for (size_t i = 0; i < n; ++i) {
        const Entry &e = list[i];
        if (e.kind != Entry::Text) {
            if (side[i] == Theirs)
                taken.push_back(assignmentOf(e, t[i]));
            continue;
        }
        // A text and its tail (the next entry) are written together, so that the field
        // ends up exactly as chosen; a text from one side and a tail from the other that
        // do not fit together are both conflicts.
        Side &text = side[i], &tail = side[i + 1];
        if (text == Theirs || tail == Theirs) {
            const Assignment a = assignmentOf(e, text == Theirs ? t[i] : o[i]);
            const Assignment z = assignmentOf(list[i + 1], tail == Theirs ? t[i + 1] : o[i + 1]);
            if (fits(e, a, z)) {
                taken.push_back(a);
                taken.push_back(z);
            } else {
                text = tail = Conflicting;
            }
        }
        ++i;
    }

    Merged m{ours, {}};
    applyAssignments(taken, m.record);
    for (size_t i = 0; i < n; ++i) {
        const Entry &e = list[i];
        if (unit[e.slot]) {
            if (i == 0 || list[i - 1].slot != e.slot) {
                Conflict c{slotOf(e), {}};
                for (size_t k = i; k < n && list[k].slot == e.slot; ++k)
                    if (o[k] != t[k])
                        c.entries.push_back(&list[k]);
                m.conflicts.push_back(std::move(c));
            }
        } else if (side[i] == Conflicting) {
            m.conflicts.push_back({QByteArray(), {&e}});
        }
    }
    return m;
}

QByteArray conflictText(const Merged &merged, const DefinitionRecord &base, const DefinitionRecord &ours,
                        const DefinitionRecord &theirs, const QString &file)
{
    const std::vector<Entry> &list = kvd::entries(true);
    std::vector<bool> set(list.size(), false);
    QByteArray out;
    const auto line = [&](const Entry &e, const char *indent) {
        out += indent + e.name + ": base " + shown(value(base, e)) + ", ours " + shown(value(ours, e)) + ", theirs "
               + shown(value(theirs, e)) + '\n';
        set[size_t(&e - list.data())] = true;
    };
    for (const Conflict &c : merged.conflicts) {
        if (c.slot.isEmpty()) {
            line(*c.entries.front(), "");
            continue;
        }
        out += c.slot + " (" + kvd::processLabel(c.entries.front()->slot)
               + "): added on both sides, differently; OURS's codes are kept whole:\n";
        for (const Entry *e : c.entries)
            line(*e, "  ");
    }
    // A text written over a longer one leaves bytes after its zero: its tail goes along
    // where that would not give THEIRS's.
    std::vector<Assignment> taken;
    for (size_t i = 0; i < list.size(); ++i)
        if (set[i])
            taken.push_back(assignmentOf(list[i], value(theirs, list[i])));
    DefinitionRecord after = merged.record;
    applyAssignments(taken, after);
    for (size_t i = 0; i < list.size(); ++i)
        if (set[i] && list[i].kind == Entry::Text && value(after, list[i + 1]) != value(theirs, list[i + 1]))
            set[i + 1] = true;
    out += "To take THEIRS's values instead:\n  kvdtool set";
    for (size_t i = 0; i < list.size(); ++i)
        if (set[i])
            out += " -s " + shellWord(list[i].name + '=' + value(theirs, list[i]));
    return out + ' ' + shellWord(local(file)) + '\n';
}

namespace {

const char Usage[] = "usage: kvdtool merge [--dry-run] [-o OUT] [--name FILE] BASE OURS THEIRS\n";

int usageError(QByteArray &err, const QByteArray &message)
{
    err += message + Usage;
    return 2;
}

// The bytes after the record, which the editor keeps and merge takes from OURS.
QByteArray afterRecord(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(kvd::RecordSize))
        return QByteArray();
    return f.readAll();
}

struct Input {
    QString path;
    DefinitionRecord record;
    qint64 length = -1;
};

bool load(Input &in, QByteArray &err)
{
    const auto error = readForInspection(in.path, in.record, in.length);
    if (!error)
        return true;
    if (in.length >= 0 && in.length < kvd::RecordSize)
        err += local(in.path) + ": " + QByteArray::number(in.length) + " bytes, shorter than a definition's "
               + QByteArray::number(kvd::RecordSize) + '\n';
    else
        err += local(describe(QDir::toNativeSeparators(in.path), *error)) + '\n';
    return false;
}

} // namespace

int merge(const QStringList &args, QByteArray &out, QByteArray &err)
{
    bool dryRun = false;
    QString output, name;
    QStringList files;
    bool options = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!options) {
            files << a;
        } else if (a == QLatin1String("--")) {
            options = false;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out += MergeHelp;
            return 0;
        } else if (a == QLatin1String("--dry-run")) {
            dryRun = true;
        } else if (a == QLatin1String("-o") || a == QLatin1String("--output") || a == QLatin1String("--name")) {
            if (i + 1 == args.size() || args.at(i + 1).isEmpty())
                return usageError(err, "kvdtool merge: " + a.toLocal8Bit() + " needs a value\n");
            (a == QLatin1String("--name") ? name : output) = args.at(++i);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usageError(err, "kvdtool: unknown option " + a.toLocal8Bit() + '\n');
        } else {
            files << a;
        }
    }
    if (files.size() != 3)
        return usageError(err, "kvdtool merge: name three files, BASE OURS THEIRS\n");

    Input in[3] = {{files.at(0), {}, -1}, {files.at(1), {}, -1}, {files.at(2), {}, -1}};
    Input &base = in[0], &ours = in[1], &theirs = in[2];
    bool readable = true;
    for (Input &i : in)
        readable = load(i, err) && readable; // every unreadable file named at once
    if (!readable)
        return 2;
    const char *roles[] = {"BASE", "OURS", "THEIRS"};
    for (int a = 0; a < 3; ++a) {
        for (int b = a + 1; b < 3; ++b) {
            if (QFileInfo(in[a].path).canonicalFilePath() != QFileInfo(in[b].path).canonicalFilePath())
                continue;
            err += "kvdtool merge: " + local(in[b].path) + " is given as both " + roles[a] + " and " + roles[b] + '\n';
            return 2;
        }
    }
    const bool inPlace = output.isEmpty() && !dryRun;
    if (inPlace) {
        DefinitionRecord check; // as set does: a file that cannot be written is refused first
        if (const auto error = kvd::readRecordFile(ours.path, check)) {
            err += local(describe(QDir::toNativeSeparators(ours.path), *error))
                   + "; the merge is written into OURS (-o OUT writes it elsewhere)\n";
            return 2;
        }
    }

    const Merged merged = mergeRecords(base.record, ours.record, theirs.record);
    if ((ours.length > kvd::RecordSize || theirs.length > kvd::RecordSize)
        && afterRecord(ours.path) != afterRecord(theirs.path))
        err += "kvdtool merge: the bytes after the record differ between OURS (" + QByteArray::number(ours.length - kvd::RecordSize)
               + ") and THEIRS (" + QByteArray::number(theirs.length - kvd::RecordSize)
               + "); OURS's are kept\n";
    if (!merged.conflicts.empty())
        err += conflictText(merged, base.record, ours.record, theirs.record, name.isEmpty() ? ours.path : name);

    if (dryRun) {
        out += diffText(kvd::differences(ours.record, merged.record, true), local(ours.path) + ": ");
    } else if (!output.isEmpty()) {
        if (const auto error = kvd::writeRecordNew(output, merged.record)) {
            err += local(describe(QDir::toNativeSeparators(output), *error)) + '\n';
            return 2;
        }
        if (ours.length > kvd::RecordSize)
            err += "kvdtool merge: " + local(output) + " holds the record alone; OURS's bytes after it are not copied\n";
    } else if (merged.record != ours.record) {
        if (const auto error = kvd::writeRecordInPlace(ours.path, merged.record)) {
            err += local(describe(QDir::toNativeSeparators(ours.path), *error)) + '\n';
            return 2;
        }
    }
    return merged.conflicts.empty() ? 0 : 1;
}

} // namespace kvdtool
