#include "app/recentfiles.h"
#include "pages/numericformattab.h"
#include "record/fieldlist.h"
#include "support/harness.h"

#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSet>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>

using namespace kvd;
using Kind = ScriptedPlatform::Shown::Kind;
using Answer = Platform::Answer;

Q_DECLARE_METATYPE(Platform::Answer)

namespace {

// A record every page loads and stores back unchanged.
DefinitionRecord plainRecord(const QString &name)
{
    DefinitionRecord r;
    r.setText(Field::ControllerName, name);
    r.setText(Field::StartOfFile, QStringLiteral("%"));
    return r;
}

const char *const kDisabledAtStart[] = {"FileSave", "SaveAs", "FilePrint", "AddCut", "AddMark", "AddPointProcess",
                                        "DelCutProcess", "DelMarkProcess", "DelPointProcess", "CompareWithFile"};
const char *const kAlwaysEnabled[] = {"Open", "ExitMenuItem", "AboutPelorin1"};

// An edit the user made, a step of the history that saves the same bytes: "0.00" typed as "0".
void edit(Harness &h)
{
    auto *box = h.widget<QLineEdit>("RTDEdit");
    box->selectAll();
    QTest::keyClick(box, Qt::Key_0);
}

// A document opened from a file of its own, with an unsaved edit unless told otherwise.
struct Opened {
    TestFiles files;
    QString path;
    Harness h;

    explicit Opened(bool edited = true, const QByteArray &content = plainRecord(QStringLiteral("A")).toBytes())
        : path(files.write(QStringLiteral("a.kvd"), content))
    {
        h.open(path);
        if (edited)
            edit(h);
        h.platform.shown.clear();
    }
};

// The document the comparison starts from: one named cut process with a code.
DefinitionRecord compared()
{
    DefinitionRecord r = plainRecord(QStringLiteral("C"));
    r.setText(processName(1), QStringLiteral("Oxy-fuel"));
    r.setText(cutSeq(1, 2, 1), QStringLiteral("M07"));
    return r;
}

} // namespace

class DocumentTest : public QObject
{
    Q_OBJECT

private slots:
    void startsWithNoDocument()
    {
        Harness h;
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - <untitled>"));
        QCOMPARE(h.form.PageControl->currentIndex(), 0);
        for (const char *name : kDisabledAtStart)
            QVERIFY2(!h.action(name)->isEnabled(), name);
        for (const char *name : kAlwaysEnabled)
            QVERIFY2(h.action(name)->isEnabled(), name);
        QVERIFY(!h.widget<QToolButton>("FileSaveBtn")->isEnabled());
        QVERIFY(!h.widget<QToolButton>("PrintBtn")->isEnabled());
        QVERIFY(h.widget<QToolButton>("OpenButton")->isEnabled());
        for (int i = 0; i < 4; ++i)
            QVERIFY(!h.form.PageControl->widget(i)->isEnabled());
        QCOMPARE(h.form.PageControl->tabText(2), QStringLiteral(" Point Process Codes"));

        edit(h); // the pages are disabled; even a change that got through would not count
        QVERIFY(!h.form.Modified);
        QVERIFY(!h.action("FileSave")->isEnabled());
    }

    void openLoadsAndUnlocks()
    {
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), plainRecord(QStringLiteral("A")));
        Harness h;
        h.form.PageControl->setCurrentIndex(3);
        h.open(path);
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - ") + QDir::toNativeSeparators(path));
        QCOMPARE(h.form.CurrentFileName, path);
        QCOMPARE(h.form.record(), plainRecord(QStringLiteral("A")));
        QCOMPARE(h.form.PageControl->currentIndex(), 0);
        QVERIFY(h.form.PagesLoaded);
        QVERIFY(!h.form.Modified);
        QVERIFY(!h.action("FileSave")->isEnabled());
        QVERIFY(!h.widget<QToolButton>("FileSaveBtn")->isEnabled());
        QVERIFY(h.action("SaveAs")->isEnabled());
        QVERIFY(h.action("FilePrint")->isEnabled());
        QVERIFY(h.widget<QToolButton>("PrintBtn")->isEnabled());
        QVERIFY(h.action("CompareWithFile")->isEnabled());
        for (int i = 0; i < 4; ++i)
            QVERIFY(h.form.PageControl->widget(i)->isEnabled());
        QCOMPARE(h.platform.shown.size(), 1); // the open dialog, nothing else

        edit(h);
        QVERIFY(h.form.Modified);
        QVERIFY(h.form.isWindowModified());
        QVERIFY(h.action("FileSave")->isEnabled());
        QVERIFY(h.widget<QToolButton>("FileSaveBtn")->isEnabled());
    }

    void failedOpenChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: no such file
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message"); // empty: the "could not be opened" box
        QTest::newRow("missing") << QStringLiteral("missing.kvd") << QByteArray() << false << QString();
        QTest::newRow("folder") << QStringLiteral("folder") << QByteArray() << false << QString();
        QTest::newRow("read-only") << QStringLiteral("ro.kvd") << QByteArray(RecordSize, 'r') << true << QString();
        QTest::newRow("empty") << QStringLiteral("empty.kvd") << QByteArray("") << false
                               << QStringLiteral("Read beyond end of file.");
        QTest::newRow("short") << QStringLiteral("short.kvd") << QByteArray(RecordSize - 1, 's') << false
                               << QStringLiteral("Read beyond end of file.");
    }
    void failedOpenChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        TestFiles files;
        const QString first = files.write(QStringLiteral("first.kvd"), plainRecord(QStringLiteral("First")));
        QString path = files.path(name);
        if (name == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(path));
        else if (!content.isNull())
            path = files.write(name, content);
        if (readOnly)
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));

        Harness h;
        h.open(first);
        edit(h);
        h.platform.answers << Answer::No;
        h.open(path);

        if (message.isEmpty())
            QCOMPARE(h.platform.texts(Kind::ErrorBox), QStringList{QDir::toNativeSeparators(path) + QStringLiteral(" could not be opened")});
        else
            QCOMPARE(h.platform.texts(Kind::DefaultErrorBox), QStringList{message});
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - ") + QDir::toNativeSeparators(first));
        QCOMPARE(h.form.CurrentFileName, first);
        QCOMPARE(h.form.record(), plainRecord(QStringLiteral("First")));
        QVERIFY(h.form.Modified); // the unsaved edits of the first file are still there
        QVERIFY(h.action("FileSave")->isEnabled());
    }

    // The save-changes prompt behaves alike on each command that asks it.
    void promptAnswers_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("goesOn");
        for (const char *command : {"open", "exit", "close"}) {
            QTest::addRow("%s yes", command) << QString::fromLatin1(command) << Answer::Yes << true << true;
            QTest::addRow("%s no", command) << QString::fromLatin1(command) << Answer::No << false << true;
            QTest::addRow("%s cancel", command) << QString::fromLatin1(command) << Answer::Cancel << false << false;
        }
    }
    void promptAnswers()
    {
        QFETCH(QString, command);
        QFETCH(Answer, answer);
        QFETCH(bool, saved);
        QFETCH(bool, goesOn);
        Opened o;
        auto &h = o.h;
        const QString &path = o.path;
        // Another program changed the file meanwhile: a save asks, then puts the editor's record back.
        o.files.write(QStringLiteral("a.kvd"), QByteArray(RecordSize, 'o'));
        h.platform.answers << answer << Answer::Yes;

        if (command == QLatin1String("open")) {
            h.form.OpenClick(); // the open dialog then finds no name: cancelled
            QCOMPARE(h.platform.texts(Kind::OpenDialog).size(), goesOn ? 1 : 0);
        } else if (command == QLatin1String("exit")) {
            h.form.ExitMenuItemClick();
            QCOMPARE(h.form.isVisible(), !goesOn);
        } else {
            QCOMPARE(h.form.close(), goesOn);
            QCOMPARE(h.form.isVisible(), !goesOn);
        }
        QCOMPARE(h.platform.texts(Kind::Prompt), QStringList{path}); // asked once, naming the file
        QCOMPARE(h.platform.texts(Kind::ChangedOnDisk).size(), saved ? 1 : 0);
        QCOMPARE(TestFiles::read(path) == plainRecord(QStringLiteral("A")).toBytes(), saved);
        if (command == QLatin1String("open"))
            QCOMPARE(h.form.Modified, !saved);
        else if (!goesOn)
            QVERIFY(h.form.Modified);
    }

    // When the save the user asked for fails, the command that asked must not go on.
    void failedSaveFromThePromptEndsTheCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("open") << QStringLiteral("open");
        QTest::newRow("exit") << QStringLiteral("exit");
        QTest::newRow("close") << QStringLiteral("close");
    }
    void failedSaveFromThePromptEndsTheCommand()
    {
        QFETCH(QString, command);
        Opened o;
        auto &h = o.h;
        const QString &path = o.path;
        QVERIFY(QFile::remove(path));
        h.platform.answers << Answer::Yes;
        h.platform.openNames << path;

        if (command == QLatin1String("open"))
            h.form.OpenClick();
        else if (command == QLatin1String("exit"))
            h.form.ExitMenuItemClick();
        else
            QVERIFY(!h.form.close());

        QCOMPARE(h.platform.texts(Kind::ErrorBox), QStringList{QDir::toNativeSeparators(path) + QStringLiteral(" could not be opened")});
        QVERIFY(h.platform.texts(Kind::OpenDialog).isEmpty());
        QVERIFY(h.form.isVisible());
        QVERIFY(h.form.Modified);
        QVERIFY(h.action("FileSave")->isEnabled());
        QVERIFY(!QFile::exists(path)); // Save never recreates a file
    }

    // Exit asks at most once: not at all without changes, and not again after Yes.
    void exitAsksAtMostOnce()
    {
        for (const bool edited : {false, true}) {
            Opened o(edited);
            o.h.platform.answers << Answer::Yes << Answer::Yes;
            o.h.form.ExitMenuItemClick();
            QVERIFY(!o.h.form.isVisible());
            QCOMPARE(o.h.platform.texts(Kind::Prompt).size(), edited ? 1 : 0);
        }
    }

    void noThenCancelledDialogKeepsTheChanges()
    {
        Opened o;
        o.h.platform.answers << Answer::No;
        o.h.form.OpenClick(); // no name queued: the dialog is cancelled
        QVERIFY(o.h.form.Modified);
        QVERIFY(o.h.action("FileSave")->isEnabled());
    }

    void saveRewritesInPlace()
    {
        TestFiles files;
        QByteArray content = plainRecord(QStringLiteral("Long")).toBytes() + QByteArray(5000 - RecordSize, 't');
        const QString path = files.write(QStringLiteral("long.kvd"), content);
        Harness h;
        h.open(path);
        edit(h);
        files.write(QStringLiteral("long.kvd"), QByteArray(5000, 'o'));
        h.platform.answers << Answer::Yes; // replace what the other program wrote
        h.form.FileSaveClick();
        QCOMPARE(TestFiles::read(path), plainRecord(QStringLiteral("Long")).toBytes() + QByteArray(5000 - RecordSize, 'o'));
        QVERIFY(!h.form.Modified);
        QVERIFY(!h.action("FileSave")->isEnabled());
        QVERIFY(!h.widget<QToolButton>("FileSaveBtn")->isEnabled());
        QVERIFY(!h.form.isWindowModified());
        QVERIFY(h.platform.texts(Kind::ErrorBox).isEmpty());
    }

    void saveOfAMissingFileKeepsTheChanges()
    {
        Opened o;
        auto &h = o.h;
        const QString &path = o.path;
        QVERIFY(QFile::remove(path));
        h.form.FileSaveClick();
        QCOMPARE(h.platform.texts(Kind::ErrorBox), QStringList{QDir::toNativeSeparators(path) + QStringLiteral(" could not be opened")});
        QVERIFY(!QFile::exists(path));
        QVERIFY(h.form.Modified);
        QVERIFY(h.action("FileSave")->isEnabled());
    }

    void saveToAFullDevice()
    {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        Harness h;
        h.open(QStringLiteral("/dev/full"));
        QVERIFY(h.form.PagesLoaded);
        edit(h);
        h.form.FileSaveClick();
        QCOMPARE(h.platform.texts(Kind::DefaultErrorBox), QStringList{QStringLiteral("Disk full.")});
        QVERIFY(h.form.Modified);
        QVERIFY(h.action("FileSave")->isEnabled());
    }

    void saveAsWritesANewFile()
    {
        TestFiles files;
        const QString path = files.write(QStringLiteral("long.kvd"), plainRecord(QStringLiteral("L")).toBytes() + QByteArray(1772, 'x'));
        const QString copy = files.path(QStringLiteral("copy.kvd"));
        Harness h;
        h.open(path);
        h.saveAs(copy); // available without an edit
        QCOMPARE(TestFiles::read(copy), plainRecord(QStringLiteral("L")).toBytes());
        QCOMPARE(h.form.CurrentFileName, copy);
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - ") + QDir::toNativeSeparators(copy));
        QVERIFY(!h.form.Modified);

        // Save now aims at the new file.
        edit(h);
        files.write(QStringLiteral("copy.kvd"), QByteArray(RecordSize, 'o'));
        h.platform.answers << Answer::Yes;
        h.form.FileSaveClick();
        QCOMPARE(h.platform.texts(Kind::ChangedOnDisk), QStringList{copy});
        QCOMPARE(TestFiles::read(copy), plainRecord(QStringLiteral("L")).toBytes());
        QCOMPARE(TestFiles::read(path).size(), 5000);
    }

    void saveAsCancelledOrRefused()
    {
        TestFiles files;
        const QString path = files.write(QStringLiteral("a.kvd"), plainRecord(QStringLiteral("A")));
        const QString readOnly = files.write(QStringLiteral("ro.kvd"), QByteArray(100, 'r'));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner));
        Harness h;
        h.open(path);
        edit(h);

        h.form.SaveAsClick(); // cancelled
        QVERIFY(h.form.Modified);

        h.saveAs(readOnly);
        QCOMPARE(h.platform.texts(Kind::ErrorBox), QStringList{QDir::toNativeSeparators(readOnly) + QStringLiteral(" could not be opened")});
        QCOMPARE(TestFiles::read(readOnly), QByteArray(100, 'r'));
        QCOMPARE(h.form.CurrentFileName, path);
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - ") + QDir::toNativeSeparators(path));
        QVERIFY(h.form.Modified);

        h.platform.answers << Answer::Cancel;
        h.form.ExitMenuItemClick(); // still asks
        QCOMPARE(h.platform.texts(Kind::Prompt), QStringList{path});
        QVERIFY(h.form.isVisible());
    }

    // Compare reads the pages as they are now against another file, and changes nothing.
    void compareWithFile_data()
    {
        QTest::addColumn<QByteArray>("other"); // null: no such file
        QTest::addColumn<QStringList>("rows"); // "place|ours|theirs"; empty: "No differences"
        QTest::addColumn<QString>("error");    // the box a failed read shows instead

        DefinitionRecord differing = compared();
        differing.setReal(Field::RapidThresholdDistance, 6.0); // what the user typed: no difference
        differing.setText(cutSeq(1, 2, 1), QStringLiteral("M08"));
        differing.setChoice(Field::RapidModal, 1);
        QTest::newRow("two differences")
            << differing.toBytes()
            << QStringList{QStringLiteral("Cutting/Scribing, Oxy-fuel, On Seq. box 2|M07|M08"),
                           QStringLiteral("Misc. Settings, Rapid Modal|No|Yes")}
            << QString();

        // What the pages would not show differently is no difference: a choice stored as 2,
        // codes in a column the file does not use.
        DefinitionRecord alike = compared();
        alike.setReal(Field::RapidThresholdDistance, 6.0);
        QByteArray bytes = alike.toBytes();
        bytes[fieldSpec(Field::RapidModal).offset] = 2;
        alike = DefinitionRecord::fromBytes(bytes);
        alike.setText(cutSeq(1, 1, 3), QStringLiteral("unused"));
        QTest::newRow("no differences") << alike.toBytes() << QStringList() << QString();

        QTest::newRow("missing") << QByteArray() << QStringList() << QStringLiteral("could not be opened");
        QTest::newRow("short") << QByteArray(RecordSize - 1, 's') << QStringList()
                               << QStringLiteral("Read beyond end of file.");
    }
    void compareWithFile()
    {
        QFETCH(QByteArray, other);
        QFETCH(QStringList, rows);
        QFETCH(QString, error);
        for (const Entry &e : entries(false))
            QVERIFY2(e.page && !e.caption.isEmpty(), e.name.constData()); // every field has its place

        Opened o(false, compared().toBytes());
        auto &h = o.h;
        auto *rtd = h.widget<QLineEdit>("RTDEdit");
        rtd->selectAll();
        QTest::keyClicks(rtd, QStringLiteral("6"));
        QVERIFY(h.form.Modified);
        const QString otherPath = other.isNull() ? o.files.path(QStringLiteral("missing.kvd"))
                                                 : o.files.write(QStringLiteral("other.KVD"), other);

        QStringList shownRows;
        QString title;
        bool noDifferences = false;
        h.platform.whileModal = [&](QDialog &dialog) {
            title = dialog.windowTitle();
            if (auto *table = dialog.findChild<QTableWidget *>()) {
                for (int r = 0; r < table->rowCount(); ++r)
                    shownRows << table->item(r, 0)->text() + QLatin1Char('|') + table->item(r, 1)->text()
                                     + QLatin1Char('|') + table->item(r, 2)->text();
            }
            for (QLabel *label : dialog.findChildren<QLabel *>())
                noDifferences = noDifferences || label->text() == QLatin1String("No differences");
        };
        h.platform.openNames << otherPath;
        h.action("CompareWithFile")->trigger();

        if (error.isEmpty()) {
            QCOMPARE(title, QStringLiteral("Compare"));
            QCOMPARE(shownRows, rows);
            QCOMPARE(noDifferences, rows.isEmpty());
        } else {
            QVERIFY(h.platform.texts(Kind::Modal).isEmpty());
            const QStringList boxes = h.platform.texts(Kind::ErrorBox) + h.platform.texts(Kind::DefaultErrorBox);
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes.first().endsWith(error), qPrintable(boxes.first()));
        }
        // The document, its state and both files are as they were.
        QVERIFY(h.form.Modified);
        QCOMPARE(rtd->text(), QStringLiteral("6"));
        QCOMPARE(h.form.record(), compared());
        QCOMPARE(TestFiles::read(o.path), compared().toBytes());
        if (!other.isNull())
            QCOMPARE(TestFiles::read(otherPath), other);
    }

    // Save does not silently replace what another program wrote since the file was read.
    void changedOnDisk_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("written"); // what another program makes of the file
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("saved");
        const QByteArray record = plainRecord(QStringLiteral("A")).toBytes();
        const QByteArray other = plainRecord(QStringLiteral("Other")).toBytes();
        QTest::newRow("yes") << QStringLiteral("save") << other << Answer::Yes << true << true;
        QTest::newRow("no") << QStringLiteral("save") << other << Answer::No << true << false;
        QTest::newRow("shortened") << QStringLiteral("save") << record.left(100) << Answer::No << true << false;
        QTest::newRow("grown only") << QStringLiteral("save") << record + QByteArray(50, 'g') << Answer::No << false << true;
        QTest::newRow("exit, no") << QStringLiteral("exit") << other << Answer::No << true << false;
    }
    void changedOnDisk()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, written);
        QFETCH(Answer, answer);
        QFETCH(bool, asked);
        QFETCH(bool, saved);
        Opened o;
        auto &h = o.h;
        o.files.write(QStringLiteral("a.kvd"), written);
        if (command == QLatin1String("exit")) {
            h.platform.answers << Answer::Yes << answer;
            h.form.ExitMenuItemClick();
            QCOMPARE(h.form.isVisible(), !saved); // a Save that did not happen ends Exit
        } else {
            h.platform.answers << answer;
            h.form.FileSaveClick();
        }
        QCOMPARE(h.platform.texts(Kind::ChangedOnDisk), asked ? QStringList{o.path} : QStringList());
        QCOMPARE(TestFiles::read(o.path).left(RecordSize) == plainRecord(QStringLiteral("A")).toBytes(), saved);
        if (!saved) {
            QCOMPARE(TestFiles::read(o.path), written);
            QVERIFY(h.form.Modified);
            QVERIFY(h.action("FileSave")->isEnabled());
            return;
        }
        // The bytes just written are the new reference: the next Save does not ask.
        edit(h);
        h.platform.shown.clear();
        h.form.FileSaveClick();
        QVERIFY(h.platform.texts(Kind::ChangedOnDisk).isEmpty());
        QVERIFY(!h.form.Modified);
    }

    // A file dropped onto the window, or onto a box of a page, opens as Open would open it.
    void dropOpensAsOpenDoes_data()
    {
        QTest::addColumn<QString>("target"); // object name; empty: the window
        QTest::addColumn<QStringList>("names"); // files dropped
        QTest::addColumn<QString>("text");      // or text
        QTest::addColumn<bool>("accepted");
        QTest::newRow("onto the window") << QString() << QStringList{QStringLiteral("b.KVD")} << QString() << true;
        QTest::newRow("onto a box") << QStringLiteral("EditR1C1B2") << QStringList{QStringLiteral("b.kvd")}
                                    << QString() << true;
        QTest::newRow("two files") << QString() << QStringList{QStringLiteral("b.kvd"), QStringLiteral("c.kvd")}
                                   << QString() << false;
        QTest::newRow("another kind") << QStringLiteral("SFEdit") << QStringList{QStringLiteral("b.txt")} << QString()
                                      << false;
        QTest::newRow("text onto a box") << QStringLiteral("EFEdit") << QStringList() << QStringLiteral("G91") << true;
        QTest::newRow("empty address list") << QString() << QStringList() << QString() << false;
    }
    void dropOpensAsOpenDoes()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, names);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        Opened o;
        auto &h = o.h;
        QList<QUrl> urls;
        for (const QString &name : names)
            urls << QUrl::fromLocalFile(o.files.write(name, plainRecord(QStringLiteral("B"))));
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!text.isEmpty())
            data.setText(text);
        if (names.isEmpty() && text.isEmpty()) {
            data.setData(QStringLiteral("text/uri-list"), QByteArray());
            QVERIFY(data.hasUrls() && data.urls().isEmpty());
        }
        QWidget *widget = target.isEmpty() ? static_cast<QWidget *>(&h.form) : h.form.findChild<QWidget *>(target);
        QVERIFY(widget);
        const QPoint at = widget->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        if (!accepted)
            return;
        h.platform.answers << Answer::No;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &drop);
        QCoreApplication::processEvents();

        if (!text.isEmpty()) {
            QCOMPARE(qobject_cast<QLineEdit *>(widget)->text(), text);
            QVERIFY(h.platform.shown.isEmpty());
            QCOMPARE(h.form.CurrentFileName, o.path);
            return;
        }
        // The save-changes prompt for the edited document first, then the dropped file.
        QCOMPARE(h.platform.texts(Kind::Prompt), QStringList{o.path});
        QCOMPARE(h.form.CurrentFileName, urls.first().toLocalFile());
        QCOMPARE(h.form.record(), plainRecord(QStringLiteral("B")));
        QVERIFY(!h.form.Modified);
    }

    // Screen readers and UI-automation tools find every box and group by a name of its own.
    void everyBoxHasItsOwnName()
    {
        Harness h;
        QAccessible::setActive(true); // the names come when a screen reader starts listening
        for (int i = 0; i < h.form.PageControl->count(); ++i) {
            QWidget *page = h.form.PageControl->widget(i);
            QSet<QString> names;
            const QList<QWidget *> boxes = page->findChildren<QWidget *>();
            for (QWidget *w : boxes) {
                if (!qobject_cast<QLineEdit *>(w) && !qobject_cast<QGroupBox *>(w))
                    continue;
                const QString name = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty() && !names.contains(name), qPrintable(w->objectName() + QLatin1Char(' ') + name));
                names.insert(name);
            }
            QVERIFY(names.size() >= 20);
        }
        const auto nameOf = [&h](const char *objectName) {
            return QAccessible::queryAccessibleInterface(h.widget<QWidget>(objectName))->text(QAccessible::Name);
        };
        QCOMPARE(nameOf("RTDEdit"), QStringLiteral("Rapid Threshold Distance (in.):"));
        QCOMPARE(nameOf("XPreInchEdit"), QStringLiteral("Decimal Shifts Values, Extra Precision / Inch:"));
        QCOMPARE(nameOf("EditR1C1B2"), QStringLiteral("On Seq. box 2, cut process 1"));
        QCOMPARE(nameOf("RadGroupXY"), QStringLiteral("X & Y Values Always Reqd. on Arcs."));
        QCOMPARE(nameOf("OpenButton") + nameOf("FileSaveBtn") + nameOf("PrintBtn"), QStringLiteral("OpenSavePrint"));
        QAccessible::setActive(false);
    }

    // One history: a Delete comes back whole, Ctrl+Z in a box undoes the document's last
    // step, and the state of the last save is unmodified again.
    void undoRedo()
    {
        DefinitionRecord r = compared();
        r.setInteger(Field::CutProcessIndex, 1);
        const QString codes[] = {QStringLiteral("Plasma"), QStringLiteral("M08"), QStringLiteral("G4")};
        const TextField fields[] = {processName(2), cutSeq(3, 3, 2), beforeProcess(2)};
        for (int i = 0; i < 3; ++i)
            r.setText(fields[i], codes[i]);
        Opened o(false, r.toBytes());
        auto &h = o.h;
        const QStringList boxes{QStringLiteral("Process2"), QStringLiteral("EditR3C2B3"), QStringLiteral("BPCol2")};
        QVERIFY(!h.action("EditUndo")->isEnabled());
        h.action("DelCutProcess")->trigger();
        QVERIFY(h.form.Modified);
        auto *kerf = h.widget<QLineEdit>("KValSetting");
        kerf->setFocus();
        QTest::keyClicks(kerf, QStringLiteral("K1"));
        QCOMPARE(h.action("EditUndo")->text(), QStringLiteral("&Undo Typing in Kerf Value"));
        QTest::keyClick(kerf, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(kerf->text(), QString());
        QCOMPARE(h.action("EditUndo")->text(), QStringLiteral("&Undo Delete Cut Process"));
        h.action("EditUndo")->trigger();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(h.form.findChild<QLineEdit *>(boxes[i])->text(), codes[i]);
        QCOMPARE(h.form.PageControl->currentIndex(), 1);
        QVERIFY(!h.widget<QLineEdit>("Process2")->isHidden());
        QVERIFY(h.action("DelCutProcess")->isEnabled() && h.action("AddCut")->isEnabled());
        QVERIFY(!h.form.Modified && !h.action("FileSave")->isEnabled());
        QCOMPARE(h.action("EditRedo")->text(), QStringLiteral("&Redo Delete Cut Process"));

        h.action("EditRedo")->trigger();
        h.form.FileSaveClick();
        h.action("EditUndo")->trigger();
        QVERIFY(h.form.Modified && h.form.isWindowModified());
        h.action("EditRedo")->trigger();
        QVERIFY(!h.form.Modified && !h.form.isWindowModified() && !h.widget<QToolButton>("FileSaveBtn")->isEnabled());
        h.action("ExitMenuItem")->trigger();
        QCOMPARE(h.platform.texts(Kind::Prompt), QStringList());
    }

    // Values taken from Compare are one step and behave as loaded ones.
    void takeFromCompare()
    {
        DefinitionRecord other = compared();
        other.setRealBits(Field::MinArcRadius, 0x3fc0000000000001ULL); // shown as 0.13
        other.setInteger(Field::PointProcessIndex, 1);
        other.setText(processName(7), QStringLiteral("Mark"));
        other.setInteger(Field::CutProcessIndex, 4); // more than the page shows: not taken
        Opened o(false, compared().toBytes());
        auto &h = o.h;
        QString refusal;
        h.platform.whileModal = [&refusal](QDialog &dialog) {
            auto *table = dialog.findChild<QTableWidget *>();
            for (int r = 0; r < table->rowCount(); ++r)
                if (!(table->item(r, 0)->flags() & Qt::ItemIsUserCheckable))
                    refusal += table->item(r, 0)->text() + QLatin1Char('|') + table->item(r, 0)->toolTip();
            dialog.findChild<QPushButton *>(QStringLiteral("SelectAll"))->click();
            dialog.findChild<QPushButton *>(QStringLiteral("TakeSelected"))->click();
        };
        h.platform.openNames << o.files.write(QStringLiteral("other.kvd"), other);
        h.action("CompareWithFile")->trigger();
        QCOMPARE(refusal, QStringLiteral("Cutting/Scribing, Cut processes|The page shows at most 3"));
        QVERIFY(h.form.Modified);
        QCOMPARE(h.action("EditUndo")->text(), QStringLiteral("&Undo Take from Compare"));
        const QString taken = o.files.path(QStringLiteral("taken.kvd"));
        h.saveAs(taken);
        DefinitionRecord expected = other;
        expected.setInteger(Field::CutProcessIndex, 0);
        QCOMPARE(TestFiles::read(taken), expected.toBytes());
        h.action("EditUndo")->trigger();
        h.saveAs(taken);
        QCOMPARE(TestFiles::read(taken), compared().toBytes());
    }

    // The File menu lists the files last opened, newest first; one that vanished leaves it.
    void recentFiles()
    {
        TestFiles files;
        Harness h;
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Pelorin"), QStringLiteral("Pelorin")).clear();
        const QString gone = files.write(QStringLiteral("gone.kvd"), plainRecord(QStringLiteral("G")));
        const QString kept = files.write(QStringLiteral("kept & sound.kvd"), plainRecord(QStringLiteral("K")));
        h.open(gone);
        h.open(kept);
        QCoreApplication::processEvents(); // written once the commands are over
        QFile::remove(gone);
        auto *menu = h.form.findChild<QMenu *>(QStringLiteral("FileMenuItem"));
        const auto names = [menu] {
            emit menu->aboutToShow();
            QStringList out;
            for (QAction *a : menu->actions())
                out << a->objectName();
            return out.mid(out.indexOf(QStringLiteral("FilePrint")));
        };
        QCOMPARE(names(), (QStringList{QStringLiteral("FilePrint"), QStringLiteral("N3"), QStringLiteral("RecentFile1"),
                                       QStringLiteral("RecentFile2"), QStringLiteral("N6"), QStringLiteral("ExitMenuItem")}));
        // The temporary folder may be deep enough for the middle of the path to be shortened.
        const QString first = h.action("RecentFile1")->text();
        QVERIFY2(first.startsWith(QStringLiteral("&1 ")) && first.endsWith(QDir::separator() + QStringLiteral("kept && sound.kvd")),
                 qPrintable(first));
        h.action("RecentFile2")->trigger();
        QCOMPARE(h.platform.texts(Kind::ErrorBox), QStringList{QDir::toNativeSeparators(gone) + QStringLiteral(" could not be opened")});
        QCOMPARE(names().size(), 5);
        QCOMPARE(h.form.CurrentFileName, kept);

        // A store filled with garbage gives what it can and takes new files again.
        const QString store = QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Pelorin"),
                                        QStringLiteral("Pelorin")).fileName();
        QFile::remove(store);
        static const char garbage[] = "[General\nRecentFiles=\x01\xff\\\n=\n\0[\x80";
        files.write(QStringLiteral("garbage"), QByteArray(garbage, sizeof garbage));
        QVERIFY(QFile::copy(files.path(QStringLiteral("garbage")), store));
        QVERIFY(recentfiles::load().size() <= 1);
        h.open(kept);
        QCoreApplication::processEvents();
        QCOMPARE(recentfiles::load().value(0), kept);

        const QString longPath = QStringLiteral("/") + QString(300, QLatin1Char('d')) + QStringLiteral("/end.kvd");
        QCOMPARE(recentfiles::menuText(2, longPath).size(), 67);
        QVERIFY(recentfiles::menuText(2, longPath).endsWith(QStringLiteral("d") + QDir::separator() + QStringLiteral("end.kvd")));
    }

    void shortFileBeforeAnyOpenLeavesNoDocument()
    {
        TestFiles files;
        const QString shortFile = files.write(QStringLiteral("s.kvd"), QByteArray(10, 's'));
        Harness h;
        h.open(shortFile);
        QCOMPARE(h.platform.texts(Kind::DefaultErrorBox), QStringList{QStringLiteral("Read beyond end of file.")});
        QVERIFY(!h.form.PagesLoaded);
        QVERIFY(!h.action("SaveAs")->isEnabled());
    }
};

QTEST_MAIN(DocumentTest)
#include "tst_document.moc"
