#include "kvdfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvd {

QString FileError::ioMessage(int code)
{
    switch (code) {
    case FileNotFound: return QStringLiteral("File not found");
    case InvalidFilename: return QStringLiteral("Invalid filename");
    case TooManyOpenFiles: return QStringLiteral("Too many open files");
    case AccessDenied: return QStringLiteral("File access denied");
    case ReadBeyondEnd: return QStringLiteral("Read beyond end of file");
    case DiskFull: return QStringLiteral("Disk full");
    case InvalidNumericInput: return QStringLiteral("Invalid numeric input");
    default: return QStringLiteral("I/O error %1").arg(code);
    }
}

int FileError::codeForErrno(int error)
{
    switch (error) {
    case ENOENT: return FileNotFound;
    case ENAMETOOLONG: return InvalidFilename;
    case EMFILE:
    case ENFILE: return TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS: return AccessDenied;
    case ENOSPC:
    case EDQUOT: return DiskFull;
    default: return 0;
    }
}

FileError FileError::fromErrno(int error)
{
    const int code = codeForErrno(error);
    if (code)
        return io(code);
    return {Io, error, QStringLiteral("I/O error %1").arg(error)};
}

namespace {

FileError notOpened() { return FileError::notOpened(); }
FileError ioFromErrno() { return FileError::fromErrno(errno); }

bool hasWriteBit(const struct stat &st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

// Opens an existing file for reading and writing, as Open and Save need it.
int openExisting(const QByteArray &name)
{
    const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !hasWriteBit(st)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Closes `fd` and reports the first failure: the earlier one if there was one.
std::optional<FileError> closeAfter(int fd, std::optional<FileError> earlier)
{
    if (::close(fd) != 0 && !earlier)
        return ioFromErrno();
    return earlier;
}

std::optional<FileError> writeWhole(int fd, const DefinitionRecord &record)
{
    const quint8 *data = record.data();
    qint64 done = 0;
    while (done < RecordSize) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(RecordSize - done), off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return ioFromErrno();
        }
        if (n == 0)
            return FileError::io(FileError::DiskFull);
        done += n;
    }
    return std::nullopt;
}

// Special files (devices, pipes) cannot be flushed; that is no failure of the save.
std::optional<FileError> flush(int fd)
{
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        return ioFromErrno();
    return std::nullopt;
}

} // namespace

std::optional<FileError> readRecordFile(const QString &path, DefinitionRecord &out)
{
    const int fd = openExisting(QFile::encodeName(path));
    if (fd < 0)
        return notOpened();
    QByteArray bytes(RecordSize, '\0');
    qint64 done = 0;
    std::optional<FileError> error;
    while (done < RecordSize) {
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(RecordSize - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = ioFromErrno();
            break;
        }
        if (n == 0) {
            error = FileError::io(FileError::ReadBeyondEnd);
            break;
        }
        done += n;
    }
    error = closeAfter(fd, error);
    if (!error)
        out = DefinitionRecord::fromBytes(bytes);
    return error;
}

std::optional<FileError> writeRecordInPlace(const QString &path, const DefinitionRecord &record)
{
    const int fd = openExisting(QFile::encodeName(path));
    if (fd < 0)
        return notOpened();
    std::optional<FileError> error = writeWhole(fd, record);
    if (!error)
        error = flush(fd);
    return closeAfter(fd, error);
}

namespace {

// Devices and pipes are written in place, as a plain create-or-empty would: renaming a
// temporary file over them would replace the device node itself.
std::optional<FileError> writeTruncating(const QByteArray &name, const DefinitionRecord &record)
{
    const int fd = ::open(name.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return notOpened();
    return closeAfter(fd, writeWhole(fd, record));
}

mode_t modeForNewFile()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::optional<FileError> writeRecordNew(const QString &path, const DefinitionRecord &record)
{
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath(); // replace what the link points to, keep the link
    const QByteArray name = QFile::encodeName(target);

    struct stat existing;
    const bool exists = ::stat(name.constData(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode) || !hasWriteBit(existing) || ::access(name.constData(), W_OK) != 0)
            return notOpened();
        if (!S_ISREG(existing.st_mode))
            return writeTruncating(name, record);
    }

    const QFileInfo targetInfo(target);
    QByteArray temp = QFile::encodeName(targetInfo.absolutePath() + QStringLiteral("/.")
                                        + targetInfo.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return notOpened();

    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // Not permitted for ordinary users; the file then belongs to whoever saved it.
        }
    } else {
        ::fchmod(fd, modeForNewFile());
    }

    std::optional<FileError> error = writeWhole(fd, record);
    if (!error)
        error = flush(fd);
    error = closeAfter(fd, error);
    if (!error && ::rename(temp.constData(), name.constData()) != 0)
        error = ioFromErrno();
    if (error) {
        ::unlink(temp.constData());
        return error;
    }
    // Make the rename itself durable; a folder that cannot be flushed loses nothing already written.
    const int dir = ::open(QFile::encodeName(targetInfo.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return std::nullopt;
}

} // namespace kvd
