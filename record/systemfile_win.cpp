#include "systemfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace kvd::sys {

namespace {

// Windows takes UTF-16 paths with backslashes. A long path (deep in a network share, say)
// goes by its \\?\ form, which passes MAX_PATH but takes no "." or ".." and no forward
// slash, so it is made absolute and clean first. A short one goes as it is, so that a
// device name such as NUL keeps its meaning.
std::wstring nameOf(const QString &path)
{
    QString name = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (name.size() >= MAX_PATH - 12 && !name.startsWith(QLatin1String("\\\\?\\"))
        && !name.startsWith(QLatin1String("\\\\.\\"))) {
        if (name.startsWith(QLatin1String("\\\\")))
            name.replace(0, 2, QStringLiteral("\\\\?\\UNC\\")); // \\server\share
        else
            name.prepend(QStringLiteral("\\\\?\\"));
    }
    return name.toStdWString();
}

HANDLE handleOf(Handle h) { return reinterpret_cast<HANDLE>(h); }

Handle fromHandle(HANDLE h) { return h == INVALID_HANDLE_VALUE ? NoHandle : reinterpret_cast<Handle>(h); }

HANDLE create(const QString &path, DWORD disposition)
{
    return ::CreateFileW(nameOf(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A single call moves at most what a DWORD can count; a record is far smaller.
DWORD chunk(std::int64_t size) { return DWORD(size < 0x40000000 ? size : 0x40000000); }

} // namespace

int lastError() { return int(::GetLastError()); }

// Windows' codes 2 to 5 are the table's own.
int tableCode(int error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_ACCESS_DENIED: return error;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return 101;
    default: return 0;
    }
}

Handle openExisting(const QString &path)
{
    // A file with the read-only attribute, or locked by another program, does not open.
    // The attribute is checked as well for an administrator under Wine, whom the
    // system below would let write it.
    const HANDLE h = create(path, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE)
        return NoHandle;
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
        ::CloseHandle(h);
        ::SetLastError(ERROR_ACCESS_DENIED);
        return NoHandle;
    }
    return fromHandle(h);
}

Handle openEmptied(const QString &path) { return fromHandle(create(path, TRUNCATE_EXISTING)); }

std::int64_t read(Handle h, char *data, std::int64_t size)
{
    DWORD n = 0;
    if (!::ReadFile(handleOf(h), data, chunk(size), &n, nullptr))
        return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return n;
}

std::int64_t writeAt(Handle h, const char *data, std::int64_t size, std::int64_t offset)
{
    OVERLAPPED at = {};
    at.Offset = DWORD(offset & 0xffffffff);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD n = 0;
    if (!::WriteFile(handleOf(h), data, chunk(size), &n, &at))
        return -1;
    return n;
}

bool flush(Handle h)
{
    if (::FlushFileBuffers(handleOf(h)))
        return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_INVALID_HANDLE || error == ERROR_INVALID_FUNCTION; // devices
}

bool close(Handle h) { return ::CloseHandle(handleOf(h)) != 0; }

Kind kindOf(const QString &path)
{
    const DWORD attributes = ::GetFileAttributesW(nameOf(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Kind::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Kind::Folder;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return Kind::ReadOnly;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return Kind::Special;
    // A file that another program holds locked, or that this user may not write, cannot
    // be replaced or emptied either.
    const HANDLE h = create(path, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE)
        return Kind::ReadOnly;
    ::CloseHandle(h);
    return Kind::Regular;
}

Handle createBeside(const QString &target, QString &tempPath)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.')
                   + QString::number(QRandomGenerator::global()->generate(), 36);
        const HANDLE h = ::CreateFileW(nameOf(tempPath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            return fromHandle(h);
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return NoHandle;
    }
    return NoHandle;
}

bool replace(const QString &temp, const QString &target)
{
    const std::wstring from = nameOf(temp);
    const std::wstring to = nameOf(target);
    // ReplaceFileW keeps the target's attributes and security; a new name is a plain move.
    if (::GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES)
        return ::ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void remove(const QString &path) { ::DeleteFileW(nameOf(path).c_str()); }

// MOVEFILE_WRITE_THROUGH and ReplaceFileW already wait for the disk.
void syncFolderOf(const QString &) {}

void binaryStandardStreams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

} // namespace kvd::sys
