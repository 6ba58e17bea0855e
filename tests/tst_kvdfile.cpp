#include "record/kvdfile.h"
#include "support/harness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#ifdef Q_OS_WIN
#include <windows.h> // to hold a file locked as another program would
#endif

using namespace kvd;

namespace {

QByteArray pattern(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char(i * 7 + 3);
    return b;
}

DefinitionRecord recordOf(char byte)
{
    return DefinitionRecord::fromBytes(QByteArray(RecordSize, byte));
}


} // namespace

class KvdFileTest : public QObject
{
    Q_OBJECT

private slots:
    void messages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("2") << 2 << QStringLiteral("File not found");
        QTest::newRow("3") << 3 << QStringLiteral("Invalid filename");
        QTest::newRow("4") << 4 << QStringLiteral("Too many open files");
        QTest::newRow("5") << 5 << QStringLiteral("File access denied");
        QTest::newRow("100") << 100 << QStringLiteral("Read beyond end of file");
        QTest::newRow("101") << 101 << QStringLiteral("Disk full");
        QTest::newRow("106") << 106 << QStringLiteral("Invalid numeric input");
        QTest::newRow("other") << 23 << QStringLiteral("I/O error 23");
    }
    void messages()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        QCOMPARE(FileError::ioMessage(code), message);
    }

    void systemErrors_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("code");
#ifdef Q_OS_WIN
        // Windows' own numbers: 2 to 5 are the table's codes as they are.
        QTest::newRow("ERROR_FILE_NOT_FOUND") << 2 << 2;
        QTest::newRow("ERROR_PATH_NOT_FOUND") << 3 << 3;
        QTest::newRow("ERROR_TOO_MANY_OPEN_FILES") << 4 << 4;
        QTest::newRow("ERROR_ACCESS_DENIED") << 5 << 5;
        QTest::newRow("ERROR_DISK_FULL") << 112 << 101;
        QTest::newRow("ERROR_HANDLE_DISK_FULL") << 39 << 101;
        QTest::newRow("ERROR_SHARING_VIOLATION") << 32 << 0;
        QTest::newRow("ERROR_LOCK_VIOLATION") << 33 << 0;
#else
        QTest::newRow("ENOENT") << int(ENOENT) << 2;
        QTest::newRow("EACCES") << int(EACCES) << 5;
        QTest::newRow("EPERM") << int(EPERM) << 5;
        QTest::newRow("EROFS") << int(EROFS) << 5;
        QTest::newRow("EMFILE") << int(EMFILE) << 4;
        QTest::newRow("ENOSPC") << int(ENOSPC) << 101;
        QTest::newRow("EDQUOT") << int(EDQUOT) << 101;
        QTest::newRow("EIO") << int(EIO) << 0;
        QTest::newRow("ENETUNREACH") << int(ENETUNREACH) << 0;
#endif
    }
    void systemErrors()
    {
        QFETCH(int, error);
        QFETCH(int, code);
        QCOMPARE(FileError::codeForSystemError(error), code);
        const FileError e = FileError::fromSystemError(error);
        QCOMPARE(e.message(), code ? FileError::ioMessage(code) : QStringLiteral("I/O error %1").arg(error));
    }

    void readsOnlyWholeRecords_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("reads");
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("one short") << RecordSize - 1 << false;
        QTest::newRow("exact") << RecordSize << true;
        QTest::newRow("longer") << 5000 << true;
    }
    void readsOnlyWholeRecords()
    {
        QFETCH(int, size);
        QFETCH(bool, reads);
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), pattern(size));
        DefinitionRecord out = recordOf('Q');
        const auto error = readRecordFile(path, out);
        if (reads) {
            QVERIFY(!error);
            QCOMPARE(out.toBytes(), pattern(size).left(RecordSize));
        } else {
            QVERIFY(error);
            QCOMPARE(int(error->kind), int(FileError::Io));
            QCOMPARE(error->code, 100);
            QCOMPARE(out, recordOf('Q')); // a short read changes nothing
        }
    }

    void unopenableFiles()
    {
        TestFiles files;
        const QString readOnly = files.write(QStringLiteral("ro.kvd"), pattern(RecordSize));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QStringList paths = {files.path(QStringLiteral("missing.kvd")), files.path(QStringLiteral("no/such/dir.kvd")),
                             files.path(QString()), readOnly,
                             files.path(QStringLiteral("x").repeated(200) + QStringLiteral("/") + QStringLiteral("y").repeated(200) + QStringLiteral(".kvd"))};
#ifdef Q_OS_WIN
        // Held by another program that shares nothing; and a name Windows refuses.
        const QString locked = files.write(QStringLiteral("locked.kvd"), pattern(RecordSize));
        const HANDLE holder = ::CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(locked).utf16()),
                                            GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(holder != INVALID_HANDLE_VALUE);
        paths << locked << files.path(QStringLiteral("a?.kvd"));
#endif
        for (const QString &path : paths) {
            DefinitionRecord out;
            const auto read = readRecordFile(path, out);
            QVERIFY2(read && read->kind == FileError::NotOpened, qPrintable(path));
            const auto write = writeRecordInPlace(path, recordOf('w'));
            QVERIFY2(write && write->kind == FileError::NotOpened, qPrintable(path));
        }
        QVERIFY(!QFile::exists(files.path(QStringLiteral("missing.kvd")))); // Save never creates a file
        QCOMPARE(TestFiles::read(readOnly), pattern(RecordSize));
#ifdef Q_OS_WIN
        const auto saveAs = writeRecordNew(locked, recordOf('w'));
        QVERIFY(saveAs && saveAs->kind == FileError::NotOpened);
        ::CloseHandle(holder);
        QCOMPARE(TestFiles::read(locked), pattern(RecordSize));
#endif
    }

    void saveInPlaceKeepsTheTailAndGrowsShortFiles()
    {
        TestFiles files;
        const QString longer = files.write(QStringLiteral("long.kvd"), pattern(5000));
        QVERIFY(!writeRecordInPlace(longer, recordOf('r')));
        QCOMPARE(TestFiles::read(longer), QByteArray(RecordSize, 'r') + pattern(5000).mid(RecordSize));

        const QString shorter = files.write(QStringLiteral("short.kvd"), pattern(100));
        QVERIFY(!writeRecordInPlace(shorter, recordOf('s')));
        QCOMPARE(TestFiles::read(shorter), QByteArray(RecordSize, 's'));
    }

    void saveInPlaceOnAFullDevice()
    {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        DefinitionRecord out = recordOf('x');
        QVERIFY(!readRecordFile(QStringLiteral("/dev/full"), out)); // it reads as zeros
        QCOMPARE(out, DefinitionRecord());
        const auto error = writeRecordInPlace(QStringLiteral("/dev/full"), out);
        QVERIFY(error);
        QCOMPARE(int(error->kind), int(FileError::Io));
        QCOMPARE(error->message(), QStringLiteral("Disk full"));
    }

    void saveAsReplacesWholeFiles()
    {
        TestFiles files;
        const QString existing = files.write(QStringLiteral("old.kvd"), pattern(5000));
        QVERIFY(QFile::setPermissions(existing, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QFile::Permissions before = QFile::permissions(existing);
        QVERIFY(!writeRecordNew(existing, recordOf('n')));
        QCOMPARE(TestFiles::read(existing), QByteArray(RecordSize, 'n'));
        QCOMPARE(QFile::permissions(existing), before);

        const QString fresh = files.path(QStringLiteral("new.kvd"));
        QVERIFY(!writeRecordNew(fresh, recordOf('f')));
        QCOMPARE(TestFiles::read(fresh), QByteArray(RecordSize, 'f'));

        // Nothing but the target is left in the folder.
        QCOMPARE(QDir(QFileInfo(fresh).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void saveAsThroughALinkKeepsTheLink()
    {
#ifdef Q_OS_WIN
        QSKIP("QFile::link makes a shortcut on Windows, not a link");
#endif
        TestFiles files;
        const QString target = files.write(QStringLiteral("target.kvd"), pattern(RecordSize));
        const QString link = files.path(QStringLiteral("link.kvd"));
        QVERIFY(QFile::link(target, link));
        QVERIFY(!writeRecordNew(link, recordOf('l')));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(TestFiles::read(target), QByteArray(RecordSize, 'l'));
    }

#ifdef Q_OS_WIN
    // Past the 260 characters of a plain Windows path, on a drive and through a share;
    // past the system's own limit of 32,767 nothing opens and nothing is made.
    void longPaths_data()
    {
        QTest::addColumn<bool>("share");
        QTest::addColumn<int>("length");
        QTest::newRow("drive, 300") << false << 300;
        QTest::newRow("share, 300") << true << 300;
        QTest::newRow("drive, 33000") << false << 33000;
    }
    void longPaths()
    {
        QFETCH(bool, share);
        QFETCH(int, length);
        TestFiles files;
        const QString top = QFileInfo(files.path(QString())).absoluteFilePath();
        // The share is the drive's administrative one, \\localhost\C$.
        QString folder = share ? QStringLiteral("//localhost/%1$%2").arg(top.at(0)).arg(top.mid(2)) : top;
        if (!QFileInfo(folder).isDir())
            QSKIP("no such share here");
        while (folder.size() < length - 15)
            folder += QLatin1Char('/') + QString(qBound(1, length - 16 - int(folder.size()), 80), QLatin1Char('d'));
        const QString path = folder + QStringLiteral("/machine.kvd");
        DefinitionRecord out;
        if (length > 32767) {
            const auto created = writeRecordNew(path, recordOf('n'));
            const auto read = readRecordFile(path, out);
            QVERIFY(created && created->kind == FileError::NotOpened && read && read->kind == FileError::NotOpened);
            QVERIFY(QDir(top).isEmpty());
            return;
        }
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!writeRecordNew(path, recordOf('n')));
        QVERIFY(!writeRecordNew(path, recordOf('r'))); // replaces
        QVERIFY(!writeRecordInPlace(path, recordOf('p')));
        QVERIFY(!readRecordFile(path, out));
        QCOMPARE(out, recordOf('p'));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
#endif

    void saveAsRefusalsLeaveFilesAlone()
    {
        TestFiles files;
        const QString readOnly = files.write(QStringLiteral("ro.kvd"), pattern(RecordSize));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner));
        const QString folder = files.path(QStringLiteral("folder.kvd"));
        QVERIFY(QDir().mkdir(folder));
        QStringList paths{readOnly, folder, files.path(QStringLiteral("missing/x.kvd"))};
#ifdef Q_OS_WIN
        paths << files.path(QStringLiteral("a?.kvd"));
#endif
        for (const QString &path : paths) {
            const auto error = writeRecordNew(path, recordOf('z'));
            QVERIFY2(error && error->kind == FileError::NotOpened, qPrintable(path));
        }
        QCOMPARE(TestFiles::read(readOnly), pattern(RecordSize));
    }
};

QTEST_MAIN(KvdFileTest)
#include "tst_kvdfile.moc"
