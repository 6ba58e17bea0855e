#include "source.h"

#include <QFile>

#include <cerrno>

namespace kvdtool {

std::optional<kvd::FileError> readForInspection(const QString &path, kvd::DefinitionRecord &out, qint64 &length)
{
    length = -1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return kvd::FileError::notOpened();

    QByteArray bytes(kvd::RecordSize, '\0');
    qint64 done = 0;
    while (done < kvd::RecordSize) {
        errno = 0;
        const qint64 n = file.read(bytes.data() + done, kvd::RecordSize - done);
        if (n < 0) {
            length = file.isSequential() ? done : file.size();
            return errno ? kvd::FileError::fromSystemError(errno) : kvd::FileError::io(kvd::FileError::ReadBeyondEnd);
        }
        if (n == 0)
            break;
        done += n;
    }

    if (!file.isSequential()) {
        length = file.size();
    } else {
        // A pipe tells its length only by being read to the end.
        length = done;
        char sink[4096];
        qint64 n;
        while ((n = file.read(sink, sizeof sink)) > 0)
            length += n;
    }
    if (done < kvd::RecordSize)
        return kvd::FileError::io(kvd::FileError::ReadBeyondEnd);
    out = kvd::DefinitionRecord::fromBytes(bytes);
    return std::nullopt;
}

QString describe(const QString &path, const kvd::FileError &error)
{
    if (error.kind == kvd::FileError::NotOpened)
        return path + QStringLiteral(" could not be opened");
    return path + QStringLiteral(": ") + error.message();
}

} // namespace kvdtool
