#include "pages/numericformattab.h"
#include "support/harness.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

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
                                        "DelCutProcess", "DelMarkProcess", "DelPointProcess"};
const char *const kAlwaysEnabled[] = {"Open", "ExitMenuItem", "AboutPelorin1"};

// An edit the user made: what any box of any page reports.
void edit(Harness &h)
{
    emit h.form.NumericFormatTabPage->boxChanged();
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
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - ") + path);
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
            QCOMPARE(h.platform.texts(Kind::ErrorBox), QStringList{path + QStringLiteral(" could not be opened")});
        else
            QCOMPARE(h.platform.texts(Kind::DefaultErrorBox), QStringList{message});
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - ") + first);
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
        // Another program changed the file meanwhile: a save puts the editor's record back.
        o.files.write(QStringLiteral("a.kvd"), QByteArray(RecordSize, 'o'));
        h.platform.answers << answer;

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

        QCOMPARE(h.platform.texts(Kind::ErrorBox), QStringList{path + QStringLiteral(" could not be opened")});
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
        QCOMPARE(h.platform.texts(Kind::ErrorBox), QStringList{path + QStringLiteral(" could not be opened")});
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
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - ") + copy);
        QVERIFY(!h.form.Modified);

        // Save now aims at the new file.
        edit(h);
        files.write(QStringLiteral("copy.kvd"), QByteArray(RecordSize, 'o'));
        h.form.FileSaveClick();
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
        QCOMPARE(h.platform.texts(Kind::ErrorBox), QStringList{readOnly + QStringLiteral(" could not be opened")});
        QCOMPARE(TestFiles::read(readOnly), QByteArray(100, 'r'));
        QCOMPARE(h.form.CurrentFileName, path);
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - ") + path);
        QVERIFY(h.form.Modified);

        h.platform.answers << Answer::Cancel;
        h.form.ExitMenuItemClick(); // still asks
        QCOMPARE(h.platform.texts(Kind::Prompt), QStringList{path});
        QVERIFY(h.form.isVisible());
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
