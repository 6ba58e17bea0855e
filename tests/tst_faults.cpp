// Saving when the disk or the file system says no. Each case runs the real window in a
// helper process: as the unprivileged user "nobody" when the tests run as root, so that
// the kernel, not the program, refuses what the case needs refused. Every case must show
// its message, keep the document modified, and lose no byte of any file that existed.

#include "support/savemask.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kHelper = QStringLiteral(PELORIN_BINARY_DIR "/tests/savehelper");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray sourceRecord()
{
    return readAll(QStringLiteral(PELORIN_SOURCE_DIR "/tests/corpus/counts_c2_s1_p4.kvd"));
}

// Bytes of `before` that `after` no longer holds at the same place.
qint64 bytesLost(const QByteArray &before, const QByteArray &after)
{
    qint64 lost = qMax<qint64>(0, before.size() - after.size());
    for (qsizetype i = 0; i < qMin(before.size(), after.size()); ++i)
        lost += before.at(i) != after.at(i);
    return lost;
}

} // namespace

class FaultsTest : public QObject
{
    Q_OBJECT

    QStringList m_runAs;     // the command prefix that drops root, empty when not root
    bool m_canDrop = false;  // whether cases that need the kernel's permission checks can run
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    int m_faults = 0;
    qint64 m_lost = 0;

    // A folder for one case, which the helper's user is given.
    struct Scene {
        QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/pelorin-faults-XXXXXX")};
    };

    void own(const QString &path, mode_t mode) const
    {
        const QByteArray name = QFile::encodeName(path);
        if (geteuid() == 0 && ::chown(name.constData(), m_uid, m_gid) != 0)
            qFatal("chown %s failed", name.constData());
        ::chmod(name.constData(), mode);
    }

    struct Run {
        int exitCode = -1;
        QStringList lines;
        QString errors;
    };

    Run runHelper(const QStringList &args) const
    {
        QProcess p;
        QStringList command = m_runAs;
        command << kHelper << args;
        p.start(command.first(), command.mid(1));
        Run r;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            r.errors = QStringLiteral("timed out");
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.lines = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        r.errors = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(kHelper), "savehelper is not built");
        QVERIFY(sourceRecord().size() == kvd::RecordSize);
        if (geteuid() != 0) {
            m_canDrop = true; // the kernel already checks every permission for us
            m_uid = geteuid();
            m_gid = getegid();
            return;
        }
        const struct passwd *nobody = ::getpwnam("nobody");
        const struct group *nogroup = ::getgrnam("nogroup");
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (!nobody || setpriv.isEmpty())
            return;
        m_uid = nobody->pw_uid;
        m_gid = nogroup ? nogroup->gr_gid : nobody->pw_gid;
        m_runAs = {setpriv, QStringLiteral("--reuid=%1").arg(m_uid), QStringLiteral("--regid=%1").arg(m_gid),
                   QStringLiteral("--clear-groups")};
        // The helper must be able to run, and to work in the folders the cases make.
        Scene scene;
        own(scene.dir.path(), 0755);
        const Run probe = runHelper({QStringLiteral("probe"), scene.dir.path()});
        m_canDrop = probe.exitCode == 0 && probe.lines == QStringList{QStringLiteral("ok")};
        if (!m_canDrop) {
            qWarning("cannot run the helper as nobody (%s); permission cases are skipped", qPrintable(probe.errors));
            m_runAs.clear();
        }
    }

    void cleanupTestCase() { qInfo("%d faults tried, %lld bytes lost", m_faults, m_lost); }

    void savesTheSystemMayRefuse_data()
    {
        QTest::addColumn<QString>("before");     // the helper's step between the edit and the save
        QTest::addColumn<QString>("command");    // save or saveas
        QTest::addColumn<QString>("target");     // for saveas: new, existing, readonly, self, foreign, unreachable, folder
        QTest::addColumn<QString>("folder");     // own, locked (refuses new files), sticky (root's, like /tmp)
        QTest::addColumn<QString>("message");    // %s stands for the source, %t for the target; empty: saved

        QTest::newRow("Save to a full device") << "none" << "save" << "" << "own" << "Pelorin: Disk full.";
        QTest::newRow("Save after the file was made read-only") << "readonly" << "save" << "" << "own" << "Error: %s could not be opened";
        QTest::newRow("Save after the file was deleted") << "delete" << "save" << "" << "own" << "Error: %s could not be opened";
        QTest::newRow("Save As, new file in a locked folder") << "none" << "saveas" << "new" << "locked" << "Error: %t could not be opened";
        // The file itself is writable: it is written in place when it cannot be replaced.
        QTest::newRow("Save As over a file in a locked folder") << "none" << "saveas" << "existing" << "locked" << "";
        QTest::newRow("Save As over a read-only file") << "none" << "saveas" << "readonly" << "own" << "Error: %t could not be opened";
        QTest::newRow("Save As into a missing folder") << "none" << "saveas" << "unreachable" << "own" << "Error: %t could not be opened";
        QTest::newRow("Save As onto a folder") << "none" << "saveas" << "folder" << "own" << "Error: %t could not be opened";
        // Writable, but in a sticky folder only its owner may replace it.
        QTest::newRow("Save As over another user's file") << "none" << "saveas" << "foreign" << "sticky" << "";
        QTest::newRow("Save As over a file, disk fills") << "fsize" << "saveas" << "existing" << "own" << "Pelorin: I/O error 27.";
        QTest::newRow("Save As over itself, disk fills") << "fsize" << "saveas" << "self" << "own" << "Pelorin: I/O error 27.";
    }

    void savesTheSystemMayRefuse()
    {
        QFETCH(QString, before);
        QFETCH(QString, command);
        QFETCH(QString, target);
        QFETCH(QString, folder);
        QFETCH(QString, message);

        const bool fullDevice = QByteArray(QTest::currentDataTag()).contains("full device");
        const bool needsKernel = before == QLatin1String("readonly") || folder != QLatin1String("own") || target == QLatin1String("readonly");
        if (needsKernel && !m_canDrop)
            QSKIP("needs an unprivileged user for the kernel to refuse");
        if (target == QLatin1String("foreign") && geteuid() != 0)
            QSKIP("needs root to make another user's file");
        if (fullDevice && !QFileInfo(QStringLiteral("/dev/full")).isWritable())
            QSKIP("no writable /dev/full");

        Scene scene;
        QVERIFY(scene.dir.isValid());
        const QString dir = scene.dir.path();
        own(dir, 0755);
        QString source = dir + QStringLiteral("/source.kvd");
        if (fullDevice) {
            source = QStringLiteral("/dev/full"); // opens as a file of zeros, refuses every write
        } else {
            writeAll(source, sourceRecord());
            own(source, 0644);
        }
        QString targetPath;
        const QByteArray old(kvd::RecordSize, 'o');
        if (target == QLatin1String("self")) {
            targetPath = source;
        } else if (target == QLatin1String("unreachable")) {
            targetPath = dir + QStringLiteral("/missing/target.kvd");
        } else if (target == QLatin1String("folder")) {
            targetPath = dir + QStringLiteral("/target.kvd");
            QVERIFY(QDir(dir).mkdir(QStringLiteral("target.kvd")));
            own(targetPath, 0755);
        } else if (!target.isEmpty()) {
            targetPath = dir + QStringLiteral("/target.kvd");
            if (target != QLatin1String("new")) {
                writeAll(targetPath, old);
                if (target == QLatin1String("foreign"))
                    ::chmod(QFile::encodeName(targetPath).constData(), 0666); // stays root's
                else
                    own(targetPath, target == QLatin1String("readonly") ? 0444 : 0644);
            }
        }
        // Everything that exists now must still exist, byte for byte, afterwards.
        QHash<QString, QByteArray> files;
        for (const QFileInfo &f : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden))
            files.insert(f.absoluteFilePath(), readAll(f.absoluteFilePath()));
        if (folder == QLatin1String("locked"))
            own(dir, 0555);
        else if (folder == QLatin1String("sticky") && (::chown(QFile::encodeName(dir).constData(), 0, 0) != 0
                                                        || ::chmod(QFile::encodeName(dir).constData(), 01777) != 0))
            QFAIL("cannot make the sticky folder"); // root's own, as /tmp is

        QStringList args{QStringLiteral("once"), source, before, command};
        if (!targetPath.isEmpty())
            args << targetPath;
        const Run run = runHelper(args);
        ::chmod(QFile::encodeName(dir).constData(), 0755);
        ++m_faults;

        QCOMPARE(run.exitCode, 0);
        const bool saves = message.isEmpty();
        QString expected = message;
        expected.replace(QLatin1String("%s"), source).replace(QLatin1String("%t"), targetPath);
        const QStringList lines = saves ? QStringList{QStringLiteral("modified 0")} : QStringList{expected, QStringLiteral("modified 1")};
        QCOMPARE(run.lines, lines);
        if (saves) {
            const QByteArray saved = readAll(targetPath);
            QCOMPARE(saved.size(), kvd::RecordSize);
            QVERIFY(saved.startsWith("edited"));
        }

        qint64 lost = 0;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            if (before == QLatin1String("delete") && it.key() == source)
                continue; // gone by the other program's hand: Save must not bring it back
            if (saves && it.key() == targetPath)
                continue; // replaced by the save, as asked
            lost += bytesLost(it.value(), readAll(it.key()));
        }
        m_lost += lost;
        QCOMPARE(lost, 0);
        if (before == QLatin1String("delete"))
            QVERIFY2(!QFile::exists(source), "Save recreated a deleted file");
        if (target == QLatin1String("folder"))
            QVERIFY(QFileInfo(targetPath).isDir());
        // No new file either: no half-written copy, no temporary left behind.
        QStringList now;
        for (const QFileInfo &f : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden))
            now << f.absoluteFilePath();
        for (const QString &path : now)
            QVERIFY2(files.contains(path), qPrintable(QStringLiteral("left behind: ") + path));
    }

    // Save As in a loop, killed at random moments: the file is always one whole version.
    void killedWhileSaving()
    {
        const int kills = qEnvironmentVariableIsSet("PELORIN_KILLS") ? qEnvironmentVariableIntValue("PELORIN_KILLS") : 25;
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("source.kvd"));
        const QString target = dir.filePath(QStringLiteral("target.kvd"));
        writeAll(source, sourceRecord());
        QRandomGenerator random(30);
        int sawOld = 0, sawNew = 0, leftovers = 0;
        QByteArray versionA, versionB;

        for (int i = 0; i < kills; ++i) {
            QProcess p;
            p.start(kHelper, {QStringLiteral("loop"), source, target});
            QByteArray out;
            while (!out.contains("ready\n") && p.waitForReadyRead(30000))
                out += p.readAllStandardOutput();
            QVERIFY2(out.contains("ready\n"), qPrintable(QString::fromLocal8Bit(p.readAllStandardError())));
            if (i == 0) {
                versionA = readAll(target + QStringLiteral(".a"));
                versionB = readAll(target + QStringLiteral(".b"));
                QVERIFY(savemask::check(savemask::expectSave(sourceRecord()), versionA).isEmpty());
                QVERIFY(bytesLost(versionA, versionB) >= 5); // edits at both ends of the record
            }
            QThread::usleep(random.bounded(150000));
            ::kill(pid_t(p.processId()), SIGKILL);
            p.waitForFinished();
            ++m_faults;

            const QByteArray now = readAll(target);
            QVERIFY2(now == versionA || now == versionB,
                     qPrintable(QStringLiteral("kill %1 left %2 bytes matching neither version").arg(i).arg(now.size())));
            (now == versionA ? sawOld : sawNew)++;
            // A kill between creating the temporary copy and renaming it leaves the copy.
            for (const QFileInfo &f : QDir(dir.path()).entryInfoList({QStringLiteral(".target.kvd.*")}, QDir::Files | QDir::Hidden)) {
                ++leftovers;
                QFile::remove(f.absoluteFilePath());
            }
        }
        qInfo("%d kills while saving: %d left the old version, %d the new, %d left a temporary copy", kills, sawOld,
              sawNew, leftovers);
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
