#include "definitionrecord.h"

#include <QtEndian>

#include <cstring>

namespace kvd {

DefinitionRecord DefinitionRecord::fromBytes(const QByteArray &bytes)
{
    DefinitionRecord r;
    std::memcpy(r.m_bytes.data(), bytes.constData(), size_t(qMin<qsizetype>(bytes.size(), RecordSize)));
    return r;
}

QByteArray DefinitionRecord::toBytes() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), RecordSize);
}

QString DefinitionRecord::text(TextField f) const
{
    Q_ASSERT(f.offset >= 0 && f.size > 0 && f.offset + f.size <= RecordSize);
    const char *begin = reinterpret_cast<const char *>(m_bytes.data() + f.offset);
    const void *zero = std::memchr(begin, 0, size_t(f.size));
    const int length = zero ? int(static_cast<const char *>(zero) - begin) : f.size;
    return QString::fromLatin1(begin, length);
}

void DefinitionRecord::setText(TextField f, const QString &text)
{
    Q_ASSERT(f.offset >= 0 && f.size > 0 && f.offset + f.size <= RecordSize);
    // The edit boxes admit only Latin-1 characters, so this conversion is exact.
    const QByteArray bytes = text.toLatin1();
    const int length = qMin(int(bytes.size()), f.size);
    std::memcpy(m_bytes.data() + f.offset, bytes.constData(), size_t(length));
    if (length < f.size)
        m_bytes[size_t(f.offset + length)] = 0;
}

qint16 DefinitionRecord::integer(Field f) const
{
    Q_ASSERT(fieldSpec(f).size == 2);
    return qFromLittleEndian<qint16>(m_bytes.data() + fieldSpec(f).offset);
}

void DefinitionRecord::setInteger(Field f, qint16 value)
{
    Q_ASSERT(fieldSpec(f).size == 2);
    qToLittleEndian<qint16>(value, m_bytes.data() + fieldSpec(f).offset);
}

int DefinitionRecord::choice(Field f) const
{
    const FieldSpec &s = fieldSpec(f);
    if (s.encoding == Encoding::ByteChoice)
        return m_bytes[size_t(s.offset)] == 1 ? 1 : 0;
    Q_ASSERT(s.encoding == Encoding::Choice);
    return integer(f) == 1 ? 1 : 0;
}

void DefinitionRecord::setChoice(Field f, int index)
{
    const FieldSpec &s = fieldSpec(f);
    const int value = index == 1 ? 1 : 0;
    if (s.encoding == Encoding::ByteChoice) {
        m_bytes[size_t(s.offset)] = quint8(value);
        return;
    }
    Q_ASSERT(s.encoding == Encoding::Choice);
    setInteger(f, qint16(value));
}

quint64 DefinitionRecord::realBits(Field f) const
{
    Q_ASSERT(fieldSpec(f).encoding == Encoding::Real);
    return qFromLittleEndian<quint64>(m_bytes.data() + fieldSpec(f).offset);
}

void DefinitionRecord::setRealBits(Field f, quint64 bits)
{
    Q_ASSERT(fieldSpec(f).encoding == Encoding::Real);
    qToLittleEndian<quint64>(bits, m_bytes.data() + fieldSpec(f).offset);
}

double DefinitionRecord::real(Field f) const
{
    const quint64 bits = realBits(f);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void DefinitionRecord::setReal(Field f, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    setRealBits(f, bits);
}

} // namespace kvd
