#pragma once

// What a save may write, worked out from the record layout and the stored counters
// alone: no page code is asked. An unedited save must reproduce the opened bytes but
// for three normalisations (empty codes in slots without a column, choices other than
// 0 and 1, a negative cut count); an edited one may also change the fields of the
// widgets that were edited and the slots whose columns were added or removed.

#include "record/layout.h"

#include <QBitArray>
#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace savemask {

enum class Kind { None, Text, Real, Integer, Choice };

// The record field a widget edits, by its object name; Kind::None for a name no page should have.
struct WidgetField {
    Kind kind = Kind::None;
    kvd::TextField range{0, 0};
};
WidgetField widgetField(const QString &objectName);

// Every ShortCode of a process slot (1-10): 18 for a cut slot, 15 for a scribe slot, 13 for a point slot.
QList<kvd::TextField> slotCodes(int slot);
// Whether a load shows a column for `slot`, given the counters in `record`.
bool slotShown(const QByteArray &record, int slot);

// What an edit script did, as far as the record is concerned.
struct Trace {
    QSet<QString> edited; // object names of boxes typed into and groups changed
    QSet<int> disturbed;  // slots whose column was added or removed
    bool cutCount = false, scribeCount = false, pointCount = false; // counters moved

    bool isEmpty() const { return edited.isEmpty() && disturbed.isEmpty() && !cutCount && !scribeCount && !pointCount; }
};

struct Expectation {
    QByteArray bytes; // RecordSize bytes: what the save writes where `free` is clear
    QBitArray free;   // bytes the edits may have changed
};

// `opened` is the file as read (at least RecordSize bytes; a longer file's tail is ignored).
Expectation expectSave(const QByteArray &opened, const Trace &trace = Trace());

// Empty when `saved` meets the expectation; otherwise the differing bytes, each named by
// its field, at most a few of them.
QString check(const Expectation &expectation, const QByteArray &saved);

// "CutSeqCodes+23" style name of a record byte, for messages.
QString describe(int offset);

} // namespace savemask
