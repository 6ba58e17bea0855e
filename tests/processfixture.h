#pragma once

// Records and checks shared by the process page tests.

#include "pages/codeedit.h"
#include "pages/processgrid.h"
#include "support/harness.h"

#include <QAction>
#include <QSet>

// Every field of a slot, as the record lays them out (the order does not matter).
inline QList<kvd::TextField> slotFields(int slot)
{
    using namespace kvd;
    QList<TextField> f{processName(slot), beforeProcess(slot), afterProcess(slot)};
    for (int box = 1; box <= 4; ++box) {
        if (slot >= FirstPointSlot) {
            f << activateSeq(box, slot);
        } else if (box <= 3) {
            for (int row = 1; row <= (slot <= LastCutSlot ? 3 : 2); ++row)
                f << (slot <= LastCutSlot ? cutSeq(row, box, slot) : scribeSeq(row, box, slot));
        }
        if (box <= 3)
            f << offsetOn(box, slot) << offsetOff(box, slot);
    }
    return f;
}

inline QString tag(const QString &prefix, int slot, int index)
{
    return prefix + QStringLiteral("s%1f%2").arg(slot).arg(index);
}

inline QSet<QString> slotTexts(int slot, const QString &prefix = QString())
{
    QSet<QString> texts;
    for (int i = 0; i < slotFields(slot).size(); ++i)
        texts << tag(prefix, slot, i);
    return texts;
}

// The counters as given and every field of every slot holding a text naming it.
inline kvd::DefinitionRecord tagged(int cut, int scribe, int point, const QString &prefix = QString())
{
    kvd::DefinitionRecord r;
    r.setInteger(kvd::Field::CutProcessIndex, qint16(cut));
    r.setInteger(kvd::Field::ScribeProcessIndex, qint16(scribe));
    r.setInteger(kvd::Field::PointProcessIndex, qint16(point));
    for (int slot = 1; slot <= kvd::LastPointSlot; ++slot)
        for (int i = 0; i < slotFields(slot).size(); ++i)
            r.setText(slotFields(slot)[i], tag(prefix, slot, i));
    return r;
}

inline QByteArray bytesAt(const QByteArray &file, kvd::TextField f)
{
    return file.mid(f.offset, f.size);
}

// A field as a save must leave it when its slot is out of use: first byte zero, rest as read.
inline QByteArray emptied(const QByteArray &read, kvd::TextField f)
{
    return QByteArray(1, '\0') + bytesAt(read, f).mid(1);
}

inline QSet<QString> columnTexts(const ProcessGridPage &page, int c)
{
    QSet<QString> texts;
    for (int i = 0; i < page.column(c).size(); ++i)
        texts << page.column(c).box(i)->text();
    return texts;
}

inline bool columnEmpty(const ProcessGridPage &page, int c)
{
    return columnTexts(page, c) == QSet<QString>{QString()};
}

inline bool columnShown(const ProcessGridPage &page, int c)
{
    return !page.column(c).box(0)->isHidden();
}

// "+" or "-" per action, in the order given.
inline QString enabled(const Harness &h, std::initializer_list<const char *> actions)
{
    QString s;
    for (const char *name : actions)
        s += h.action(name)->isEnabled() ? QLatin1Char('+') : QLatin1Char('-');
    return s;
}
