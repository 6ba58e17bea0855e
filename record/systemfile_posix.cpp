#include "systemfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvd::sys {

namespace {

QByteArray nameOf(const QString &path) { return QFile::encodeName(path); }

bool hasWriteBit(const struct stat &st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

mode_t modeForNewFile()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

template<typename Call>
std::int64_t retried(Call call)
{
    for (;;) {
        const ssize_t n = call();
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

} // namespace

int lastError() { return errno; }

int tableCode(int error)
{
    switch (error) {
    case ENOENT: return 2;
    case ENAMETOOLONG: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS: return 5;
    case ENOSPC:
    case EDQUOT: return 101;
    default: return 0;
    }
}

Handle openExisting(const QString &path)
{
    const int fd = ::open(nameOf(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return NoHandle;
    // Root may open any file for writing; a file with no write permission bit is still
    // read-only to the user.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !hasWriteBit(st)) {
        ::close(fd);
        errno = EACCES;
        return NoHandle;
    }
    return fd;
}

Handle openEmptied(const QString &path)
{
    const int fd = ::open(nameOf(path).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    return fd < 0 ? NoHandle : fd;
}

std::int64_t read(Handle h, char *data, std::int64_t size)
{
    return retried([&] { return ::read(int(h), data, size_t(size)); });
}

std::int64_t writeAt(Handle h, const char *data, std::int64_t size, std::int64_t offset)
{
    return retried([&] { return ::pwrite(int(h), data, size_t(size), off_t(offset)); });
}

bool flush(Handle h) { return ::fsync(int(h)) == 0 || errno == EINVAL || errno == EROFS; }

bool close(Handle h) { return ::close(int(h)) == 0; }

Kind kindOf(const QString &path)
{
    const QByteArray name = nameOf(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return Kind::Missing;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    if (!hasWriteBit(st) || ::access(name.constData(), W_OK) != 0)
        return Kind::ReadOnly;
    return S_ISREG(st.st_mode) ? Kind::Regular : Kind::Special;
}

Handle createBeside(const QString &target, QString &tempPath)
{
    const QFileInfo info(target);
    QByteArray temp = nameOf(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return NoHandle;
    tempPath = QFile::decodeName(temp);
    struct stat existing;
    if (::stat(nameOf(target).constData(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // Not permitted for ordinary users; the file then belongs to whoever saved it.
        }
    } else {
        ::fchmod(fd, modeForNewFile());
    }
    return fd;
}

bool replace(const QString &temp, const QString &target)
{
    return ::rename(nameOf(temp).constData(), nameOf(target).constData()) == 0;
}

void remove(const QString &path) { ::unlink(nameOf(path).constData()); }

void syncFolderOf(const QString &path)
{
    const int dir = ::open(nameOf(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void binaryStandardStreams() {}

} // namespace kvd::sys
