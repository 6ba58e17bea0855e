#include "editscript.h"

#include "harness.h"
#include "pages/codeedit.h"
#include "pages/numbertext.h"
#include "pages/numericformattab.h"
#include "pages/radiogroup.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QUndoStack>
#include <QtEndian>

#include <algorithm>
#include <map>

using savemask::Kind;

int ByteChoices::pick(int n)
{
    if (n <= 1 || exhausted())
        return 0;
    return int(quint8(m_bytes.at(m_pos++))) % n;
}

namespace {

// What a user types: code letters, digits, punctuation and some Latin-1 letters above 127.
const QString kKeys = QStringLiteral("G01XYZM%;#-+. 23456789abcz") + QChar(0xE9) + QChar(0xFF) + QChar(0xB5) + QChar(0xD7);

const char kControls[] = {'\t', '\n', '\r', '\x01', '\x1b', '\x7f'};

QString randomText(Choices &c, int maxLength)
{
    QString s;
    const int n = c.pick(maxLength + 1);
    for (int i = 0; i < n; ++i)
        s += kKeys.at(c.pick(int(kKeys.size())));
    return s;
}

// Key by key, as typed; QTest's own text typing knows only ASCII.
void typeText(QWidget *box, const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(box, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key(ch.toUpper().unicode()), QString(ch), Qt::NoModifier);
    }
}

QString numberText(Choices &c, Kind kind, QChar sep, bool &bad)
{
    const QString s(sep);
    const QStringList reals = {QStringLiteral("1") + s + QStringLiteral("5"), QStringLiteral("0"),
                               QStringLiteral("-2") + s + QStringLiteral("25"), s + QStringLiteral("5"),
                               QStringLiteral("1E1"), QStringLiteral("12"), QStringLiteral("6") + s + QStringLiteral("00")};
    const QStringList integers = {QStringLiteral("7"), QStringLiteral("-12"), QStringLiteral("$1F"),
                                  QStringLiteral(" 42"), QStringLiteral("0x7F"), QStringLiteral("32767")};
    const QStringList badReals = {QStringLiteral("abc"), QStringLiteral("1") + s + s, QString(), QStringLiteral("1E400")};
    const QStringList badIntegers = {QStringLiteral("1") + s + QStringLiteral("5"), QStringLiteral("7 "), QString(),
                                     QStringLiteral("40000")};
    // Mostly good numbers: a bad one ends the save, which the caller then checks instead.
    bad = c.pick(8) == 0;
    const QStringList &from = kind == Kind::Real ? (bad ? badReals : reals) : (bad ? badIntegers : integers);
    return from.at(c.pick(int(from.size())));
}

template<typename T> QList<T *> usable(QWidget *page)
{
    QList<T *> result;
    for (T *w : page->findChildren<T *>())
        if (w->isVisible() && w->isEnabled())
            result << w;
    return result;
}

qint16 int16At(const QByteArray &bytes, kvd::Field f)
{
    return qFromLittleEndian<qint16>(bytes.constData() + kvd::fieldSpec(f).offset);
}

// The counters as the commands move them, to know which column each Add or Delete touches.
struct Counters {
    int cut, scribe, point;
};

struct ProcessCommand {
    const char *action;
    int first, last; // slots of the kind
    int Counters::*counter;
    int delta;
    bool savemask::Trace::*moved;
};

const ProcessCommand kCommands[] = {
    {"AddCut", 1, 3, &Counters::cut, +1, &savemask::Trace::cutCount},
    {"DelCutProcess", 1, 3, &Counters::cut, -1, &savemask::Trace::cutCount},
    {"AddMark", 4, 5, &Counters::scribe, +1, &savemask::Trace::scribeCount},
    {"DelMarkProcess", 4, 5, &Counters::scribe, -1, &savemask::Trace::scribeCount},
    {"AddPointProcess", 6, 10, &Counters::point, +1, &savemask::Trace::pointCount},
    {"DelPointProcess", 6, 10, &Counters::point, -1, &savemask::Trace::pointCount},
};

} // namespace

ScriptResult runEditScript(Harness &h, const QByteArray &opened, Choices &c, int maxActions)
{
    ScriptResult result;
    savemask::Trace &trace = result.trace;
    Counters counters{std::max<int>(int16At(opened, kvd::Field::CutProcessIndex), 0),
                      int16At(opened, kvd::Field::ScribeProcessIndex), int16At(opened, kvd::Field::PointProcessIndex)};
    QHash<QString, bool> badBoxes;
    const QChar sep = numbertext::decimalSeparatorOf(h.form.NumericFormatTabPage->locale());
    // The counters at each place of the history, for Undo and Redo to move them back and on.
    std::map<int, Counters> countersAt{{h.form.history().index(), counters}};
    bool undone = false;

    for (int step = 0; step < maxActions && !c.exhausted(); countersAt[h.form.history().index()] = counters, ++step) {
        const int what = c.pick(10);
        if (what >= 8) {
            QAction *action = h.action(what == 8 ? "EditUndo" : "EditRedo");
            if (!action->isEnabled())
                continue;
            action->trigger();
            counters = countersAt.at(h.form.history().index());
            undone = true;
            result.log << action->objectName();
            continue;
        }
        if (what <= 4) {
            // Widgets: bring a page to the front, then act on something shown there.
            h.form.PageControl->setCurrentIndex(c.pick(h.form.PageControl->count()));
            QWidget *page = h.form.PageControl->currentWidget();
            if (what <= 2) {
                const QList<CodeEdit *> boxes = usable<CodeEdit>(page);
                if (boxes.isEmpty())
                    continue;
                CodeEdit *box = boxes.at(c.pick(int(boxes.size())));
                const QString name = box->objectName();
                const Kind kind = savemask::widgetField(name).kind;
                box->setFocus();
                if (kind == Kind::Real || kind == Kind::Integer) {
                    bool bad = false;
                    const QString text = numberText(c, kind, sep, bad);
                    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClick(box, Qt::Key_Delete);
                    typeText(box, text);
                    badBoxes[name] = bad;
                    result.log << QStringLiteral("number '%1' into %2").arg(text, name);
                } else {
                    switch (c.pick(5)) {
                    case 0: {
                        const QString text = randomText(c, 12);
                        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                        typeText(box, text);
                        result.log << QStringLiteral("replace %1 with '%2'").arg(name, text);
                        break;
                    }
                    case 1: {
                        const QString text = randomText(c, 4);
                        QTest::keyClick(box, Qt::Key_End);
                        typeText(box, text);
                        result.log << QStringLiteral("append '%1' to %2").arg(text, name);
                        break;
                    }
                    case 2: {
                        const int n = 1 + c.pick(3);
                        QTest::keyClick(box, Qt::Key_End);
                        for (int i = 0; i < n; ++i)
                            QTest::keyClick(box, Qt::Key_Backspace);
                        result.log << QStringLiteral("%1 backspaces in %2").arg(n).arg(name);
                        break;
                    }
                    case 3: {
                        // Pasted text may hold anything a clipboard can: control characters, and more than fits.
                        QString text = randomText(c, 14);
                        if (!text.isEmpty() && c.pick(2))
                            text.insert(c.pick(int(text.size())), QLatin1Char(kControls[c.pick(int(sizeof kControls))]));
                        QGuiApplication::clipboard()->setText(text);
                        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
                        result.log << QStringLiteral("paste '%1' into %2, now '%3'").arg(text, name, box->text());
                        break;
                    }
                    default:
                        QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
                        result.log << QStringLiteral("Ctrl+Enter in %1").arg(name);
                        break;
                    }
                }
                trace.edited << name;
            } else {
                const QList<RadioGroup *> groups = usable<RadioGroup>(page);
                if (groups.isEmpty())
                    continue;
                RadioGroup *group = groups.at(c.pick(int(groups.size())));
                const QList<QRadioButton *> buttons = group->findChildren<QRadioButton *>();
                const int item = c.pick(int(buttons.size()));
                QTest::mouseClick(buttons.at(item), Qt::LeftButton);
                trace.edited << group->objectName();
                result.log << QStringLiteral("item %1 of %2").arg(item).arg(group->objectName());
            }
            continue;
        }

        // Add and Delete, through whichever of their menu items are enabled.
        QList<const ProcessCommand *> enabled;
        for (const ProcessCommand &cmd : kCommands)
            if (h.action(cmd.action)->isEnabled())
                enabled << &cmd;
        if (enabled.isEmpty())
            continue;
        const ProcessCommand &cmd = *enabled.at(c.pick(int(enabled.size())));
        const int columns = cmd.last - cmd.first + 1;
        const int count = counters.*cmd.counter + 1;
        // The column added is the one after the last shown; the one deleted is the last shown.
        const int column = cmd.delta > 0 ? count + 1 : count;
        if (column >= 1 && column <= columns && count >= 0 && count <= columns) {
            trace.disturbed << cmd.first + column - 1;
        } else {
            for (int slot = cmd.first; slot <= cmd.last; ++slot)
                trace.disturbed << slot; // a count out of range: any column of the kind may move
        }
        h.action(cmd.action)->trigger();
        counters.*cmd.counter += cmd.delta;
        trace.*cmd.moved = true;
        result.log << QLatin1String(cmd.action);
    }
    // The event loop runs before the user reaches for Save As: repaints, layouts, deferred
    // deletes. Without it the posted events of every script would pile up.
    QCoreApplication::processEvents();
    // After Undo or Redo any number typed before may be back.
    for (auto it = badBoxes.cbegin(); it != badBoxes.cend(); ++it)
        result.badNumber = result.badNumber || it.value() || undone;
    return result;
}

QStringList boxesSince(const Harness &h, qsizetype mark)
{
    QStringList boxes;
    for (qsizetype i = mark; i < h.platform.shown.size(); ++i) {
        const ScriptedPlatform::Shown &s = h.platform.shown.at(i);
        if (s.kind == ScriptedPlatform::Shown::ErrorBox)
            boxes << QStringLiteral("Error: ") + s.text;
        else if (s.kind == ScriptedPlatform::Shown::DefaultErrorBox)
            boxes << QStringLiteral("Pelorin: ") + s.text;
    }
    return boxes;
}

QStringList openThroughMenu(Harness &h, const QString &path)
{
    const qsizetype mark = h.platform.shown.size();
    if (h.form.Modified)
        h.platform.answers << Platform::Answer::No;
    h.open(path);
    return boxesSince(h, mark);
}

QStringList saveThroughMenu(Harness &h)
{
    const qsizetype mark = h.platform.shown.size();
    h.action("FileSave")->trigger();
    return boxesSince(h, mark);
}

QStringList saveAsThroughMenu(Harness &h, const QString &target)
{
    const qsizetype mark = h.platform.shown.size();
    h.saveAs(target);
    return boxesSince(h, mark);
}

// The edited widgets' own values must be what the file now holds.
QString checkEditedValues(const Harness &h, const savemask::Trace &trace, const QByteArray &saved)
{
    for (const QString &name : trace.edited) {
        const savemask::WidgetField w = savemask::widgetField(name);
        const QByteArray field = saved.mid(w.range.offset, w.range.size);
        if (w.kind == savemask::Kind::Text) {
            const QByteArray text = h.form.findChild<CodeEdit *>(name)->text().toLatin1();
            if (text.size() > w.range.size)
                return QStringLiteral("%1 shows %2 characters; its field holds %3").arg(name).arg(text.size()).arg(w.range.size);
            const QByteArray expected = text.size() < w.range.size ? text + '\0' : text;
            if (!field.startsWith(expected))
                return QStringLiteral("%1 shows '%2' but the file holds %3").arg(name, QString::fromLatin1(text),
                                                                                  QString::fromLatin1(field.toHex(' ')));
        } else if (w.kind == savemask::Kind::Choice) {
            const int item = h.form.findChild<RadioGroup *>(name)->itemIndex();
            const QByteArray expected = w.range.size == 1 ? QByteArray(1, char(item)) : QByteArray::fromHex(item ? "0100" : "0000");
            if (field != expected)
                return QStringLiteral("%1 shows item %2 but the file holds %3").arg(name).arg(item).arg(QString::fromLatin1(field.toHex(' ')));
        }
    }
    return QString();
}


QString checkHistory(Harness &h, const QByteArray &base, const QByteArray &written, const TestFiles &files)
{
    QUndoStack &history = h.form.history();
    const int steps = history.index();
    while (h.action("EditUndo")->isEnabled())
        h.action("EditUndo")->trigger();
    const QString undone = files.path(QStringLiteral("undone.kvd")), redone = files.path(QStringLiteral("redone.kvd"));
    QFile::remove(undone);
    QFile::remove(redone);
    if (history.index() != 0 || !saveAsThroughMenu(h, undone).isEmpty() || h.form.Modified)
        return QStringLiteral("undoing every step left %1 steps or a document that does not save").arg(history.index());
    while (history.index() < steps && h.action("EditRedo")->isEnabled())
        h.action("EditRedo")->trigger();
    const QStringList boxes = saveAsThroughMenu(h, redone);
    if (history.index() != steps || (written.isNull() ? boxes.size() != 1 : TestFiles::read(redone) != written.left(kvd::RecordSize)))
        return QStringLiteral("redoing every step does not give what the script saved");
    const QStringList opened = openThroughMenu(h, files.write(QStringLiteral("base.kvd"), base));
    const QString plain = files.path(QStringLiteral("plain.kvd"));
    if (!opened.isEmpty() || !saveAsThroughMenu(h, plain).isEmpty())
        return QStringLiteral("the file does not open and save again");
    const QByteArray a = TestFiles::read(undone), b = TestFiles::read(plain);
    for (int i = 0; i < kvd::RecordSize; ++i)
        if (a.size() != b.size() || a.at(i) != b.at(i))
            return QStringLiteral("undoing every step, %1 differs from the unedited save").arg(savemask::describe(i));
    return QString();
}
