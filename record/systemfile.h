#pragma once

// The few file operations that differ between operating systems, for kvdfile.cpp only.
// Each system has one implementation file (systemfile_posix.cpp, systemfile_win.cpp);
// nothing else in the program includes a system header.

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace kvd::sys {

// An open file: a descriptor or a handle, closed by whoever opened it.
using Handle = std::intptr_t;
inline constexpr Handle NoHandle = -1;

// The calling thread's last system error (errno, GetLastError).
int lastError();
// The message table's code for a system error, or 0 when the table has none.
int tableCode(int systemError);

// For reading and writing, shared with other programs; never creates, never shortens.
// A file that may only be read does not open.
Handle openExisting(const QString &path);
// Empties an existing file and opens it for writing, as a plain create-or-empty does.
Handle openEmptied(const QString &path);

// Reads up to `size` bytes where the last read ended (a new handle starts at the file's
// start): the count read, 0 at the end, -1 on error. Devices read as they stream.
std::int64_t read(Handle h, char *data, std::int64_t size);
// Writes up to `size` bytes at `offset`: the count written, -1 on error.
std::int64_t writeAt(Handle h, const char *data, std::int64_t size, std::int64_t offset);
// Puts what was written on the disk; devices and pipes that cannot be flushed succeed.
bool flush(Handle h);
bool close(Handle h);

enum class Kind { Missing, Folder, ReadOnly, Regular, Special };
// What stands at `path` now, as Save As sees it: a file without write permission,
// or with the read-only attribute, is ReadOnly.
Kind kindOf(const QString &path);

// A new, empty file in the same folder as `target`, given the target's permissions
// and owner when it exists. `tempPath` receives its name.
Handle createBeside(const QString &target, QString &tempPath);
// Puts `temp` in the place of `target`, atomically, keeping an existing target's
// attributes where the system can.
bool replace(const QString &temp, const QString &target);
void remove(const QString &path);
// Makes the folder's entries durable after a replace; nothing is lost if it cannot.
void syncFolderOf(const QString &path);

// Standard input and output carry bytes as they are (Windows' C library would turn
// every line feed into a carriage return and a line feed).
void binaryStandardStreams();

} // namespace kvd::sys
