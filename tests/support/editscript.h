#pragma once

// Random edits through the widgets, the way a user makes them: typing into a box that
// is shown and enabled, Ctrl+Enter, choosing a radio item, Add and Delete through their
// menu items while those are enabled. Every decision is drawn from a Choices source, so
// the same bytes replay the same script; a fuzzer feeds its input straight in.

#include "savemask.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringList>

struct Harness;
class TestFiles;

class Choices
{
public:
    virtual ~Choices() = default;
    virtual int pick(int n) = 0; // 0..n-1
    virtual bool exhausted() const = 0;
};

// Decisions read from bytes; once they run out the script ends.
class ByteChoices : public Choices
{
public:
    explicit ByteChoices(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    int pick(int n) override;
    bool exhausted() const override { return m_pos >= m_bytes.size(); }

private:
    QByteArray m_bytes;
    int m_pos = 0;
};

class RandomChoices : public Choices
{
public:
    explicit RandomChoices(quint64 seed) : m_random(seed) {}
    int pick(int n) override { return n <= 1 ? 0 : int(m_random.bounded(quint32(n))); }
    bool exhausted() const override { return false; }

private:
    QRandomGenerator m_random;
};

struct ScriptResult {
    savemask::Trace trace;
    QStringList log;        // one line per action, for failure messages
    bool badNumber = false; // a number box was left with text that does not convert
};

// Runs up to `maxActions` actions on the window, which holds `opened` (the file as read).
ScriptResult runEditScript(Harness &h, const QByteArray &opened, Choices &choices, int maxActions);

// The error boxes shown since `mark` (a count of h.platform.shown), as "Error: ..." or "Pelorin: ...".
QStringList boxesSince(const Harness &h, qsizetype mark);
// Open through the menu command, answering No to a save-changes prompt that an earlier
// document left; returns the error boxes the command showed ("Error: ..." or "Pelorin: ...").
QStringList openThroughMenu(Harness &h, const QString &path);
// Save through its menu item (which must be enabled); returns the error boxes it showed.
QStringList saveThroughMenu(Harness &h);
// Save As through the menu command to `target`; returns the error boxes it showed.
QStringList saveAsThroughMenu(Harness &h, const QString &target);

// Empty when every edited text box and radio group of `trace` is in `saved` as the widget
// now shows it; otherwise what differs.
QString checkEditedValues(const Harness &h, const savemask::Trace &trace, const QByteArray &saved);

// Every step undone, Save As must write what an unedited Save As of `base` writes; redone
// up to where the script ended, what the script saved (`written`; null when the save was
// refused, and must be again). Empty when so; otherwise what differs. Opens `base` anew.
QString checkHistory(Harness &h, const QByteArray &base, const QByteArray &written, const TestFiles &files);
