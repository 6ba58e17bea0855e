#include "kvdfile.h"

#include "systemfile.h"

#include <QFileInfo>

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

int FileError::codeForSystemError(int error) { return sys::tableCode(error); }

FileError FileError::fromSystemError(int error)
{
    const int code = codeForSystemError(error);
    if (code)
        return io(code);
    return {Io, error, QStringLiteral("I/O error %1").arg(error)};
}

namespace {

using sys::Handle;
using sys::NoHandle;

FileError lastSystemError() { return FileError::fromSystemError(sys::lastError()); }

// Closes `h` and reports the first failure: the earlier one if there was one.
std::optional<FileError> closeAfter(Handle h, std::optional<FileError> earlier)
{
    if (!sys::close(h) && !earlier)
        return lastSystemError();
    return earlier;
}

std::optional<FileError> writeWhole(Handle h, const DefinitionRecord &record)
{
    const char *data = reinterpret_cast<const char *>(record.data());
    std::int64_t done = 0;
    while (done < RecordSize) {
        const std::int64_t n = sys::writeAt(h, data + done, RecordSize - done, done);
        if (n < 0)
            return lastSystemError();
        if (n == 0)
            return FileError::io(FileError::DiskFull);
        done += n;
    }
    return std::nullopt;
}

std::optional<FileError> writeAndFlush(Handle h, const DefinitionRecord &record)
{
    std::optional<FileError> error = writeWhole(h, record);
    if (!error && !sys::flush(h))
        error = lastSystemError();
    return closeAfter(h, error);
}

// Empties the file and writes the record, as a plain create-or-empty does: for devices,
// and where the folder lets nobody make or replace a file but the file itself is writable.
std::optional<FileError> writeEmptied(const QString &path, const DefinitionRecord &record)
{
    const Handle h = sys::openEmptied(path);
    if (h == NoHandle)
        return FileError::notOpened();
    return writeAndFlush(h, record);
}

} // namespace

std::optional<FileError> readRecordFile(const QString &path, DefinitionRecord &out)
{
    const Handle h = sys::openExisting(path);
    if (h == NoHandle)
        return FileError::notOpened();
    QByteArray bytes(RecordSize, '\0');
    std::int64_t done = 0;
    std::optional<FileError> error;
    while (done < RecordSize) {
        const std::int64_t n = sys::read(h, bytes.data() + done, RecordSize - done);
        if (n < 0) {
            error = lastSystemError();
            break;
        }
        if (n == 0) {
            error = FileError::io(FileError::ReadBeyondEnd);
            break;
        }
        done += n;
    }
    error = closeAfter(h, error);
    if (!error)
        out = DefinitionRecord::fromBytes(bytes);
    return error;
}

std::optional<FileError> writeRecordInPlace(const QString &path, const DefinitionRecord &record)
{
    const Handle h = sys::openExisting(path);
    if (h == NoHandle)
        return FileError::notOpened();
    return writeAndFlush(h, record);
}

std::optional<FileError> writeRecordNew(const QString &path, const DefinitionRecord &record)
{
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath(); // replace what the link points to, keep the link

    const sys::Kind kind = sys::kindOf(target);
    switch (kind) {
    case sys::Kind::Folder:
    case sys::Kind::ReadOnly: return FileError::notOpened();
    case sys::Kind::Special: return writeEmptied(target, record); // a rename would replace the device node
    case sys::Kind::Missing:
    case sys::Kind::Regular: break;
    }
    const bool exists = kind == sys::Kind::Regular;

    // Where the folder does not let this user make a file (a shared folder where files may
    // be changed but not created) or replace the target (another user's writable file in a
    // sticky folder), the save still goes through by writing the target in place.
    QString temp;
    const Handle h = sys::createBeside(target, temp);
    if (h == NoHandle) {
        const bool refused = FileError::codeForSystemError(sys::lastError()) == FileError::AccessDenied;
        return exists && refused ? writeEmptied(target, record) : FileError::notOpened();
    }
    std::optional<FileError> error = writeAndFlush(h, record);
    if (!error && !sys::replace(temp, target)) {
        error = lastSystemError();
        if (exists && error->code == FileError::AccessDenied) {
            sys::remove(temp);
            return writeEmptied(target, record);
        }
    }
    if (error) {
        sys::remove(temp);
        return error;
    }
    sys::syncFolderOf(target);
    return std::nullopt;
}

void useBinaryStandardStreams() { sys::binaryStandardStreams(); }

} // namespace kvd
