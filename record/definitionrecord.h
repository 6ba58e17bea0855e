#pragma once

#include "layout.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

namespace kvd {

// The whole document: 3228 bytes kept as read. Loads read fields out of the buffer,
// stores write one field's bytes and leave every other byte as it was.
class DefinitionRecord
{
public:
    DefinitionRecord() { m_bytes.fill(0); }

    static DefinitionRecord fromBytes(const QByteArray &bytes); // the first RecordSize bytes, rest zero
    QByteArray toBytes() const;
    const quint8 *data() const { return m_bytes.data(); }
    quint8 *data() { return m_bytes.data(); }

    // Texts: the bytes up to the first zero, or the whole field when it has none, one
    // character per byte (Latin-1). Writing puts the text and one zero from the field's
    // first byte; a text that fills the whole field is written without the zero, so a
    // loaded unterminated text round-trips. Nothing past the field is ever written.
    QString text(TextField f) const;
    void setText(TextField f, const QString &text);
    QString text(Field f) const { return text(textField(f)); }
    void setText(Field f, const QString &t) { setText(textField(f), t); }

    qint16 integer(Field f) const;
    void setInteger(Field f, qint16 value);

    // Item index of a two-item group: only a stored 1 selects item 1; a store writes 0 or 1.
    // Handles both the 16-bit choices and the one-byte KerfCompIncludesValue.
    int choice(Field f) const;
    void setChoice(Field f, int index);

    double real(Field f) const;
    void setReal(Field f, double value);
    quint64 realBits(Field f) const;
    void setRealBits(Field f, quint64 bits);

    bool operator==(const DefinitionRecord &o) const { return m_bytes == o.m_bytes; }
    bool operator!=(const DefinitionRecord &o) const { return !(*this == o); }

private:
    std::array<quint8, RecordSize> m_bytes;
};

} // namespace kvd
