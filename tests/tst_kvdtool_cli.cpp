// Runs the built kvdtool as a shell, a script or git would.

#include "record/kvdfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Sample = QStringLiteral(KVDTOOL_SOURCE_DIR "/examples/sample.kvd");

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString &program, const QStringList &args, const QString &dir = QString(), const QByteArray &input = QByteArray())
{
    QProcess p;
    if (!dir.isEmpty())
        p.setWorkingDirectory(dir);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        qFatal("%s did not finish", qPrintable(program));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

Run kvdtool(const QStringList &args, const QByteArray &input = QByteArray())
{
    return run(QStringLiteral(KVDTOOL_PATH), args, QString(), input);
}

QByteArray sampleBytes()
{
    QFile f(Sample);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString s(const char *text) { return QString::fromUtf8(text); }

QByteArray shown(const QString &path) { return QFile::encodeName(QDir::toNativeSeparators(path)); }

} // namespace

class KvdToolCliTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void dumpPrintsTheCommittedText()
    {
        QFile expected(QStringLiteral(KVDTOOL_SOURCE_DIR "/tests/data/sample.dump"));
        QVERIFY(expected.open(QIODevice::ReadOnly));
        const Run r = kvdtool({QStringLiteral("dump"), Sample});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, expected.readAll());
        QVERIFY(r.err.isEmpty());
    }

    // The editor refuses a file it could not save back; looking at one must work.
    void readsAFileWithoutWritePermission()
    {
        const QString path = write(m_dir, QStringLiteral("locked.kvd"), sampleBytes());
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        kvd::DefinitionRecord record;
        QVERIFY(kvd::readRecordFile(path, record)); // the editor's own open says no
        QCOMPARE(kvdtool({QStringLiteral("dump"), path}).status, 0);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("err");
        const QString missing = m_dir.filePath(QStringLiteral("missing.kvd"));
        const QString shortFile = write(m_dir, QStringLiteral("short.kvd"), sampleBytes().left(3227));
        const QByteArray missingMessage = QFile::encodeName(missing) + " could not be opened\n";
        const QByteArray shortMessage = QFile::encodeName(shortFile) + ": Read beyond end of file\n";
        QTest::newRow("dump missing") << QStringList{QStringLiteral("dump"), missing} << 2 << missingMessage;
        QTest::newRow("dump short") << QStringList{QStringLiteral("dump"), QStringLiteral("--json"), shortFile} << 2 << shortMessage;
        QTest::newRow("dump folder") << QStringList{QStringLiteral("dump"), m_dir.path()} << 2
                                     << QFile::encodeName(m_dir.path()) + " could not be opened\n";
        QTest::newRow("diff missing") << QStringList{QStringLiteral("diff"), Sample, missing} << 2 << missingMessage;
        QTest::newRow("diff both bad") << QStringList{QStringLiteral("diff"), shortFile, missing} << 2 << shortMessage + missingMessage;
        QTest::newRow("check short") << QStringList{QStringLiteral("check"), shortFile} << 2 << shortMessage;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("dump"), QStringLiteral("--hex"), Sample} << 2
                                        << QByteArray("kvdtool: unknown option --hex\n");
        QTest::newRow("two files to dump") << QStringList{QStringLiteral("dump"), Sample, Sample} << 2
                                           << QByteArray("kvdtool dump: name one file\n");
        QTest::newRow("no command") << QStringList() << 2 << QByteArray();
        const QString merge = QStringLiteral("merge"), ours = write(m_dir, s("merge-ours.kvd"), sampleBytes());
        const QString locked = write(m_dir, s("merge-locked.kvd"), sampleBytes()), empty = write(m_dir, s("empty.kvd"), {});
        const QString theirs = write(m_dir, s("merge-theirs.kvd"), QByteArray(sampleBytes()).replace("M07", "M08"));
        QFile::setPermissions(locked, QFile::ReadOwner);
        QTest::newRow("merge empty") << QStringList{merge, empty, ours, theirs} << 2
                                     << shown(empty) + ": 0 bytes, shorter than a definition's 3228\n";
        QTest::newRow("merge same file") << QStringList{merge, ours, theirs, ours} << 2
                                         << "kvdtool merge: " + shown(ours) + " is given as both BASE and THEIRS\n";
        QTest::newRow("merge read-only") << QStringList{merge, Sample, locked, theirs} << 2
                                         << shown(locked) + " could not be opened; the merge is written into OURS";
        QTest::newRow("merge out refused") << QStringList{merge, s("-o"), missing + s("/out.kvd"), Sample, ours, theirs} << 2
                                           << shown(missing + s("/out.kvd")) + " could not be opened\n";
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArray, err);
        const Run r = kvdtool(args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.startsWith(err), r.err.constData());
        QCOMPARE(contents(m_dir.filePath(QStringLiteral("merge-ours.kvd"))), sampleBytes()); // no merge written
    }

    void help_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("tool") << QStringList{QStringLiteral("--help")};
        QTest::newRow("dump") << QStringList{QStringLiteral("dump"), QStringLiteral("--help")};
        QTest::newRow("diff") << QStringList{QStringLiteral("diff"), QStringLiteral("--help")};
        QTest::newRow("check") << QStringList{QStringLiteral("check"), QStringLiteral("--help")};
        QTest::newRow("set") << QStringList{QStringLiteral("set"), QStringLiteral("--help")};
        QTest::newRow("create") << QStringList{QStringLiteral("create"), QStringLiteral("--help")};
    }
    void help()
    {
        QFETCH(QStringList, args);
        const Run r = kvdtool(args);
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("usage: kvdtool " + args.at(0).toLatin1().replace("--help", "")));
        QVERIFY(r.err.isEmpty());
    }

    void diffStatus_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("equal") << -1 << 0 << QByteArray();
        QTest::newRow("a field") << 3218 << 1 << QByteArray("KerfCompIncludesValue: 1 -> 0\n");
        QTest::newRow("only hidden bytes") << 3220 << 1 << QByteArray("(the records differ only in bytes that --all shows)\n");
        QTest::newRow("past the record") << 4000 << 0 << QByteArray();
    }
    void diffStatus()
    {
        QFETCH(int, offset);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QByteArray changed = sampleBytes() + QByteArray(1000, '\0');
        if (offset >= 0)
            changed[offset] = char(changed[offset] ^ 1);
        const QString path = write(m_dir, QStringLiteral("changed.kvd"), changed);
        const Run r = kvdtool({QStringLiteral("diff"), Sample, path});
        QCOMPARE(r.status, status);
        QCOMPARE(r.out, out);
    }

    void checkStatus()
    {
        QByteArray odd = sampleBytes();
        odd[60] = 2; // RapidModal
        const QString oddPath = write(m_dir, QStringLiteral("odd.kvd"), odd);
        const QString longPath = write(m_dir, QStringLiteral("long.kvd"), sampleBytes() + "tail");

        QCOMPARE(kvdtool({QStringLiteral("check"), Sample, Sample}).status, 0);

        const Run warned = kvdtool({QStringLiteral("check"), Sample, oddPath, longPath});
        QCOMPARE(warned.status, 1);
        QCOMPARE(warned.out, QFile::encodeName(oddPath) + ": RapidModal = 2, not 0 or 1; the editor reads it as 0 and saves 0\n"
                                 + QFile::encodeName(longPath) + ": length 3232 bytes, not 3228; only the first 3228 are read\n");

        // One unreadable file among many decides the status, and the others are still checked.
        const Run broken = kvdtool({QStringLiteral("check"), m_dir.filePath(QStringLiteral("none.kvd")), oddPath});
        QCOMPARE(broken.status, 2);
        QVERIFY(broken.out.contains("RapidModal"));
    }

    // Each refusal names the file or assignment and its reason, and leaves every file as it was.
    void setRefusals_data()
    {
        QTest::addColumn<QStringList>("args"); // after the two good files
        QTest::addColumn<QByteArray>("err");
        const QString missing = m_dir.filePath(QStringLiteral("missing.kvd"));
        const QString shortFile = write(m_dir, QStringLiteral("short.kvd"), sampleBytes().left(3227));
        QByteArray fullText = sampleBytes();
        fullText.replace(30, 10, QByteArray("M30456789\0", 10)); // EndOfFile: nine characters and the zero
        const QString fullFile = write(m_dir, QStringLiteral("full.kvd"), fullText);
        const QString from = write(m_dir, QStringLiteral("changes.txt"), "RapidModal = 1\n\nMinArcRadius = 1,5\n");
        const QString sFlag = QStringLiteral("-s");
        QTest::newRow("unknown name") << QStringList{sFlag, s("Bogus=1")} << QByteArray("-s Bogus=1: unknown field \"Bogus\"\n");
        QTest::newRow("text too long") << QStringList{sFlag, s("EndOfFile=\"M3012345678\"")}
                                       << QByteArray("EndOfFile: 11 characters, but the field holds 10\n");
        QTest::newRow("zero byte") << QStringList{sFlag, s("EndOfFile=\"M30\\x00\"")} << QByteArray("EndOfFile: a zero byte ends a text");
        QTest::newRow("above 255") << QStringList{sFlag, s("EndOfFile=\"\u20ac\"")} << QByteArray("EndOfFile: character U+20AC is above 255");
        QTest::newRow("integer") << QStringList{sFlag, s("NormalShiftInch=-32769")}
                                 << QByteArray("NormalShiftInch: \"-32769\" is outside -32768..32767\n");
        QTest::newRow("choice") << QStringList{sFlag, s("RapidModal=2")} << QByteArray("RapidModal: \"2\" is not 0 or 1\n");
        QTest::newRow("real") << QStringList{sFlag, s("MinArcRadius=0.01mm")} << QByteArray("MinArcRadius: \"0.01mm\" is not a number\n");
        QTest::newRow("given twice") << QStringList{sFlag, s("RapidModal=1"), s("--set=RapidModal=0")}
                                     << QByteArray("-s RapidModal=0: RapidModal is already given at -s RapidModal=1\n");
        QTest::newRow("line of a text") << QStringList{QStringLiteral("--from"), from}
                                        << QFile::encodeName(from) + ":3: MinArcRadius: \"1,5\" is not a number\n";
        QTest::newRow("text missing") << QStringList{QStringLiteral("--from"), missing} << QFile::encodeName(missing) + " could not be opened\n";
        QTest::newRow("file missing") << QStringList{sFlag, s("RapidModal=0"), missing} << QFile::encodeName(missing) + " could not be opened\n";
        QTest::newRow("file short") << QStringList{sFlag, s("RapidModal=0"), shortFile}
                                    << QFile::encodeName(shortFile) + ": Read beyond end of file\n";
        QTest::newRow("tail without room in one file")
            << QStringList{sFlag, s("EndOfFile.Tail=4142"), fullFile}
            << QFile::encodeName(fullFile) + ": -s EndOfFile.Tail=4142: EndOfFile.Tail: 2 bytes, but only 0 follow the text the field holds\n";
        // Checked, then a write fails: what was written before is put back.
        if (QFile::exists(QStringLiteral("/dev/full")))
            QTest::newRow("write fails") << QStringList{sFlag, s("MinArcRadius=0.5"), QStringLiteral("/dev/full")}
                                         << QByteArray("/dev/full: Disk full\n");
    }
    void setRefusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, err);
        const QByteArray longer = sampleBytes() + QByteArray("after the record");
        const QString a = write(m_dir, QStringLiteral("a.kvd"), longer);
        const QString b = write(m_dir, QStringLiteral("b.kvd"), sampleBytes());
        const Run r = kvdtool(QStringList{QStringLiteral("set"), a, b} + args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(err), r.err.constData());
        if (QByteArray(QTest::currentDataTag()) != "write fails") // /dev/full cannot be put back
            QVERIFY2(r.err.endsWith("kvdtool set: refused; no file changed\n"), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QCOMPARE(contents(a), longer);
        QCOMPARE(contents(b), sampleBytes());
    }

    // Only the named fields change; a longer file keeps what follows the record; the
    // dry run shows the same change and writes nothing.
    void setWritesTheNamedFields()
    {
        const QByteArray longer = sampleBytes() + QByteArray("after the record");
        const QString a = write(m_dir, QStringLiteral("a.kvd"), longer);
        const QString b = write(m_dir, QStringLiteral("b.kvd"), sampleBytes());
        const QStringList args{QStringLiteral("set"), QStringLiteral("-s"), s("cut[1].OnSeq[1]=\"M07\\n\""),
                               QStringLiteral("--from"), QStringLiteral("-"), a, b};
        const QByteArray text = "# reviewed with kvdtool diff\nMinArcRadius = 0.02\n";

        const Run dry = kvdtool(QStringList{args.at(0), QStringLiteral("--dry-run")} + args.mid(1), text);
        QCOMPARE(dry.status, 0);
        QCOMPARE(dry.out, QFile::encodeName(a) + ": cut[1].OnSeq[1]: \"M07\" -> \"M07\\n\"\n"
                              + QFile::encodeName(a) + ": MinArcRadius: 0.01 -> 0.02\n"
                              + QFile::encodeName(b) + ": cut[1].OnSeq[1]: \"M07\" -> \"M07\\n\"\n"
                              + QFile::encodeName(b) + ": MinArcRadius: 0.01 -> 0.02\n");
        QCOMPARE(contents(a), longer);

        const Run done = kvdtool(args, text);
        QCOMPARE(done.status, 0);
        QVERIFY2(done.err.isEmpty() && done.out.isEmpty(), done.err.constData());
        kvd::DefinitionRecord expected = kvd::DefinitionRecord::fromBytes(sampleBytes());
        expected.setText(kvd::cutSeq(1, 1, 1), QStringLiteral("M07\n"));
        expected.setReal(kvd::Field::MinArcRadius, 0.02);
        QCOMPARE(contents(a), expected.toBytes() + "after the record");
        QCOMPARE(contents(b), expected.toBytes());
    }

    // dump --all gives create the whole record; an existing file needs --force; a refused
    // text names its line and writes nothing.
    void createFromADump()
    {
        QByteArray odd = sampleBytes() + QByteArray("after the record");
        odd[60] = 2;                                    // RapidModal holds 2
        odd.replace(20, 10, QByteArray("%\0tail\0\0\0\x01", 10)); // a tail after StartOfFile
        const QString source = write(m_dir, QStringLiteral("source.kvd"), odd);
        const Run dump = kvdtool({QStringLiteral("dump"), QStringLiteral("--all"), source});
        QCOMPARE(dump.status, 0);

        const QString made = m_dir.filePath(QStringLiteral("made.kvd"));
        QFile::remove(made);
        const Run created = kvdtool({QStringLiteral("create"), made}, dump.out);
        QCOMPARE(created.status, 0);
        QVERIFY2(created.err.isEmpty(), created.err.constData());
        QCOMPARE(contents(made), odd.left(kvd::RecordSize));

        const Run again = kvdtool({QStringLiteral("create"), made}, "RapidModal = 1\n");
        QCOMPARE(again.status, 2);
        QCOMPARE(again.err, "kvdtool create: " + QFile::encodeName(made) + " exists; --force replaces it\n");

        const Run refused = kvdtool({QStringLiteral("create"), QStringLiteral("--force"), made}, "RapidModal = 1\n\nMinArcRadius = x\n");
        QCOMPARE(refused.status, 2);
        QVERIFY2(refused.err.startsWith("standard input:3: MinArcRadius: \"x\" is not a number\n"), refused.err.constData());
        QCOMPARE(contents(made), odd.left(kvd::RecordSize));

        const QString text = write(m_dir, QStringLiteral("few.txt"), "# the rest stays zero\nRapidModal = 1\n");
        QCOMPARE(kvdtool({QStringLiteral("create"), QStringLiteral("--force"), QStringLiteral("--from"), text, made}).status, 0);
        QByteArray zeros(kvd::RecordSize, '\0');
        zeros[60] = 1;
        QCOMPARE(contents(made), zeros);
    }

    // The dry run writes nothing, -o the record alone; in place OURS keeps its bytes after the record.
    void mergeWritesOursOrOut()
    {
        QByteArray changed = sampleBytes();
        changed[60] = 0; // RapidModal
        const QString base = write(m_dir, s("base.kvd"), sampleBytes()), theirs = write(m_dir, s("theirs.kvd"), changed + "theirs");
        const QString ours = write(m_dir, s("ours.kvd"), sampleBytes() + "ours"), out = m_dir.filePath(s("out.kvd"));
        const Run dry = kvdtool({s("merge"), s("--dry-run"), base, ours, theirs});
        QVERIFY(dry.status == 0 && dry.out == shown(ours) + ": RapidModal: 1 -> 0\n");
        QCOMPARE(contents(ours), sampleBytes() + "ours");
        QCOMPARE(kvdtool({s("merge"), s("-o"), out, base, ours, theirs}).status, 0);
        QCOMPARE(contents(out), changed);
        const Run done = kvdtool({s("merge"), base, ours, theirs});
        QVERIFY(done.status == 0 && contents(ours) == changed + "ours");
        QVERIFY2(done.err.contains("OURS (4) and THEIRS (6); OURS's are kept"), done.err.constData());
    }

    // git shows a changed definition file as the one field line that changed.
    void gitDiffShowsTheChangedField()
    {
        const QString git = QStandardPaths::findExecutable(QStringLiteral("git"));
        if (git.isEmpty())
            QSKIP("git is not installed");
        QTemporaryDir repo;
        const auto git_ = [&](const QStringList &args) {
            const Run r = run(git, args, repo.path());
            if (r.status != 0)
                qWarning("git %s: %s", qPrintable(args.join(QLatin1Char(' '))), r.err.constData());
            return r;
        };
        QCOMPARE(git_({QStringLiteral("init"), QStringLiteral("-q")}).status, 0);
        git_({QStringLiteral("config"), QStringLiteral("user.name"), QStringLiteral("Test")});
        git_({QStringLiteral("config"), QStringLiteral("user.email"), QStringLiteral("test@example.invalid")});
        git_({QStringLiteral("config"), QStringLiteral("diff.kvd.textconv"),
              QStringLiteral("'" KVDTOOL_PATH "' dump")});
        write(repo, QStringLiteral(".gitattributes"), "*.kvd diff=kvd\n");
        const QString path = write(repo, QStringLiteral("machine.kvd"), sampleBytes());
        git_({QStringLiteral("add"), QStringLiteral(".")});
        QCOMPARE(git_({QStringLiteral("-c"), QStringLiteral("commit.gpgsign=false"), QStringLiteral("commit"), QStringLiteral("-q"), QStringLiteral("-m"), QStringLiteral("first")}).status, 0);

        kvd::DefinitionRecord record;
        QVERIFY(!kvd::readRecordFile(path, record));
        record.setText(kvd::activateSeq(2, 6), QStringLiteral("G04P3"));
        QVERIFY(!kvd::writeRecordInPlace(path, record));

        const Run diff = git_({QStringLiteral("-c"), QStringLiteral("core.pager=cat"), QStringLiteral("diff"),
                               QStringLiteral("--no-color"), QStringLiteral("-U0")});
        QCOMPARE(diff.status, 0);
        QByteArrayList changed;
        for (const QByteArray &line : diff.out.split('\n'))
            if ((line.startsWith('+') || line.startsWith('-')) && !line.startsWith("+++") && !line.startsWith("---"))
                changed << line;
        QCOMPARE(changed, (QByteArrayList{"-point[6].Activate[2] = \"G04P2\"", "+point[6].Activate[2] = \"G04P3\""}));
    }

    // git merges different fields through the driver; a collision stops it, the file holding the clean part.
    void gitMergesThroughTheDriver()
    {
        const QString git = QStandardPaths::findExecutable(s("git"));
        if (git.isEmpty())
            QSKIP("git is not installed");
        QTemporaryDir repo;
        const auto git_ = [&](const char *args) { return run(git, s(args).split(QLatin1Char(' ')), repo.path()); };
        const QString path = write(repo, s("machine.kvd"), sampleBytes());
        const auto commit = [&](const char *assignments) {
            kvdtool(QStringList{s("set")} + s(assignments).split(QLatin1Char(' ')) + QStringList{path});
            git_("commit -qam change");
        };
        write(repo, s(".gitattributes"), "*.kvd diff=kvd merge=kvd\n");
        for (const char *args : {"init -q", "config user.name T", "config user.email t@example.invalid",
                                 "config commit.gpgsign false", "add .", "commit -qm first", "checkout -qb side"})
            git_(args);
        run(git, {s("config"), s("merge.kvd.driver"), s("'" KVDTOOL_PATH "' merge %O %A %B")}, repo.path());
        commit("-sRapidModal=0 -sMinArcRadius=0.5");
        git_("checkout -q -");
        commit("-sEssiFormat=1");
        QCOMPARE(git_("merge -q --no-edit side").status, 0);
        QCOMPARE(kvdtool({s("diff"), Sample, path}).out, "RapidModal: 1 -> 0\nEssiFormat: 0 -> 1\nMinArcRadius: 0.01 -> 0.5\n");

        git_("checkout -qb other");
        commit("-sMinArcRadius=0.7 -sRapidModal=1");
        git_("checkout -q -");
        commit("-sMinArcRadius=0.6");
        const Run conflict = git_("merge -q --no-edit other");
        QVERIFY(conflict.status != 0 && conflict.out.contains("CONFLICT"));
        QVERIFY2(conflict.err.contains("MinArcRadius: base 0.5, ours 0.6, theirs 0.7\n"), conflict.err.constData());
        QCOMPARE(kvdtool({s("diff"), Sample, path}).out, "EssiFormat: 0 -> 1\nMinArcRadius: 0.01 -> 0.6\n");
    }
};

QTEST_GUILESS_MAIN(KvdToolCliTest)
#include "tst_kvdtool_cli.moc"
