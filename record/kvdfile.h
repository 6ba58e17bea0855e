#pragma once

// Whole-record file access. A definition file is read and written as one 3228-byte
// block at its start; no file stays open between calls.

#include "definitionrecord.h"

#include <QString>

#include <optional>

namespace kvd {

struct FileError {
    enum Kind {
        NotOpened, // the file could not be opened or created: shown as "<path> could not be opened"
        Io,        // a read, write or close failed after opening: shown by the default error box
    };
    Kind kind;
    int code; // one of the codes below, or the system's own error number
    QString text;

    static constexpr int FileNotFound = 2;
    static constexpr int InvalidFilename = 3;
    static constexpr int TooManyOpenFiles = 4;
    static constexpr int AccessDenied = 5;
    static constexpr int ReadBeyondEnd = 100;
    static constexpr int DiskFull = 101;
    static constexpr int InvalidNumericInput = 106;

    QString message() const { return text; }
    static QString ioMessage(int code);
    // The table code for an error number of this system (errno, or GetLastError() on
    // Windows, whose codes 2 to 5 are the table's own), or 0 when it has none.
    static int codeForSystemError(int error);

    static FileError notOpened() { return {NotOpened, 0, QString()}; }
    static FileError io(int code) { return {Io, code, ioMessage(code)}; }
    // A system error without a table code keeps its own number, which may coincide with a
    // table code (EIO is 5): its message is then "I/O error 5", not "File access denied".
    static FileError fromSystemError(int error);
};

// Open reads into `out` only when the whole record was read; on failure `out` is untouched.
// A file must be writable to be opened at all (Save writes back to it), including for root:
// a file with no write permission bits counts as read-only.
std::optional<FileError> readRecordFile(const QString &path, DefinitionRecord &out);

// Save: rewrites the first 3228 bytes of an existing file; never creates or shortens it.
std::optional<FileError> writeRecordInPlace(const QString &path, const DefinitionRecord &record);

// Save As: the file at `path` afterwards is exactly the record, 3228 bytes. A regular file
// is replaced atomically (written beside it, flushed, renamed over it), so a failure at any
// point leaves an existing file as it was. Where the folder allows no new file, or does not
// let this user replace the target, a writable target is emptied and written in place.
std::optional<FileError> writeRecordNew(const QString &path, const DefinitionRecord &record);

// For command-line tools: standard input and output carry the same bytes on every system.
void useBinaryStandardStreams();

} // namespace kvd
