// Random edit scripts through the widgets, then Save As: no byte outside the fields of
// the edited widgets, the counters and the normalised bytes may change, and every edited
// text or choice must be in the file as the widget shows it.

#include "support/editscript.h"
#include "support/harness.h"
#include "support/savemask.h"

#include "pages/codeedit.h"

#include <QAction>
#include <QDir>
#include <QTest>
#include <QtEndian>

#include <memory>

namespace {

// A record of random bytes, sometimes with more behind it that only Save in place keeps.
QByteArray noise(QRandomGenerator &r)
{
    QByteArray b(kvd::RecordSize + (r.bounded(2) ? int(r.bounded(200)) : 0), '\0');
    for (char &c : b)
        c = char(r.bounded(256));
    return b;
}

} // namespace

class EditLocalityTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Harness> h;
    TestFiles files;
    QList<QByteArray> bases;

private slots:
    void initTestCase()
    {
        h = std::make_unique<Harness>();
        const QFileInfoList corpus = QDir(QStringLiteral(PELORIN_SOURCE_DIR "/tests/corpus"))
                                         .entryInfoList({QStringLiteral("*.kvd")}, QDir::Files, QDir::Name);
        for (const QFileInfo &f : corpus) {
            const QByteArray bytes = TestFiles::read(f.absoluteFilePath());
            if (bytes.size() >= kvd::RecordSize)
                bases << bytes;
        }
        QVERIFY(bases.size() >= 50);
    }

private:
    void runScripts(Harness &window, quint64 seed, int count)
    {
        QRandomGenerator r(seed);
        int saved = 0, inPlaceSaves = 0, refused = 0;
        for (int i = 0; i < count; ++i) {
            // Corpus files and plain noise in turn.
            const QByteArray base = i % 3 == 2 ? noise(r) : bases.at(int(r.bounded(quint32(bases.size()))));
            const QString source = files.write(QStringLiteral("in%1-%2.kvd").arg(seed).arg(i), base);
            QCOMPARE(openThroughMenu(window, source), QStringList());

            RandomChoices choices(r.generate64());
            const ScriptResult script = runEditScript(window, base, choices, 1 + int(r.bounded(10)));
            // Save in place when there is something to save, every other time; Save As otherwise.
            const bool inPlace = i % 2 == 1 && window.action("FileSave")->isEnabled();
            const QString target = inPlace ? source : files.path(QStringLiteral("out%1-%2.kvd").arg(seed).arg(i));
            const QString context = QStringLiteral("script %1 (seed %2, %3): %4")
                                        .arg(i)
                                        .arg(seed)
                                        .arg(inPlace ? QStringLiteral("Save") : QStringLiteral("Save As"))
                                        .arg(script.log.join(QStringLiteral(", ")));
            const QStringList boxes = inPlace ? saveThroughMenu(window) : saveAsThroughMenu(window, target);
            if (qEnvironmentVariableIsSet("PELORIN_VERBOSE"))
                qInfo("%s", qPrintable(context));

            if (!boxes.isEmpty()) {
                // Only a number that does not convert may stop the save, and then nothing is written.
                QVERIFY2(script.badNumber && boxes.size() == 1 && boxes.first().startsWith(QLatin1String("Pelorin: ")),
                         qPrintable(context + QStringLiteral(" -> ") + boxes.join(QLatin1Char('|'))));
                QVERIFY2(inPlace ? TestFiles::read(target) == base : !QFile::exists(target), qPrintable(context));
                QVERIFY2(window.form.Modified, qPrintable(context));
                ++refused;
                const QString history = checkHistory(window, base, QByteArray(), files);
                QVERIFY2(history.isEmpty(), qPrintable(context + QStringLiteral(" -> ") + history));
                continue;
            }
            QVERIFY2(!window.form.Modified, qPrintable(context));
            QByteArray written = TestFiles::read(target);
            if (inPlace) {
                // In place the file keeps its length and whatever follows the record.
                QVERIFY2(written.size() == base.size() && written.mid(kvd::RecordSize) == base.mid(kvd::RecordSize),
                         qPrintable(context));
                written.truncate(kvd::RecordSize);
            }
            const QString wrong = savemask::check(savemask::expectSave(base, script.trace), written);
            QVERIFY2(wrong.isEmpty(), qPrintable(context + QStringLiteral(" -> ") + wrong));
            const QString values = checkEditedValues(window, script.trace, written);
            QVERIFY2(values.isEmpty(), qPrintable(context + QStringLiteral(" -> ") + values));
            ++saved;
            inPlaceSaves += inPlace;
            const QString history = checkHistory(window, base, written, files);
            QVERIFY2(history.isEmpty(), qPrintable(context + QStringLiteral(" -> ") + history));
        }
        qInfo("%d edit scripts: %d saved and checked (%d in place), %d refused for a bad number", count, saved,
              inPlaceSaves, refused);
    }

private slots:
    void randomScripts()
    {
        const quint64 seed = qEnvironmentVariableIsSet("PELORIN_SEED") ? qEnvironmentVariable("PELORIN_SEED").toULongLong() : 20;
        const int count = qEnvironmentVariableIsSet("PELORIN_SCRIPTS") ? qEnvironmentVariableIntValue("PELORIN_SCRIPTS") : 300;
        runScripts(*h, seed, count);
    }

    // Numbers typed with a decimal comma, where the user's settings ask for one.
    void randomScriptsDecimalComma()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        {
            Harness window;
            runScripts(window, 21, 100);
        }
        QLocale::setDefault(previous);
    }

    // What the user types into the column that Add showed must be shown again after Save As
    // and Open; a column whose codes the saved counts disown loses them at the next save.
    void addedColumnSurvivesReopen_data()
    {
        QTest::addColumn<int>("countAt"); // offset of the stored count
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("add");
        QTest::addColumn<QStringList>("names"); // the kind's name boxes
        const QStringList scribes{QStringLiteral("Process4"), QStringLiteral("Process5")};
        QStringList points;
        for (int c = 1; c <= 5; ++c)
            points << QStringLiteral("PCProcess%1").arg(c);
        const int scribeAt = kvd::fieldSpec(kvd::Field::ScribeProcessIndex).offset;
        const int pointAt = kvd::fieldSpec(kvd::Field::PointProcessIndex).offset;
        QTest::newRow("no scribe process") << scribeAt << -1 << "AddMark" << scribes;
        QTest::newRow("scribe count -2") << scribeAt << -2 << "AddMark" << scribes;
        QTest::newRow("no point process") << pointAt << -1 << "AddPointProcess" << points;
        QTest::newRow("point count -2") << pointAt << -2 << "AddPointProcess" << points;
    }
    void addedColumnSurvivesReopen()
    {
        QFETCH(int, countAt);
        QFETCH(int, count);
        QFETCH(QString, add);
        QFETCH(QStringList, names);
        Harness window;
        QByteArray none(kvd::RecordSize, '\0');
        qToLittleEndian<qint16>(-1, none.data() + countAt);
        QByteArray odd = none;
        qToLittleEndian<qint16>(qint16(count), odd.data() + countAt);
        // A file with none of the kind first, as a user would have open before.
        QCOMPARE(openThroughMenu(window, files.write(QStringLiteral("none.kvd"), none)), QStringList());
        QCOMPARE(openThroughMenu(window, files.write(QStringLiteral("odd.kvd"), odd)), QStringList());
        QAction *action = window.action(add.toLatin1().constData());
        if (!action->isEnabled())
            return; // refusing the Add is as sound as doing it right
        action->trigger();
        CodeEdit *shown = nullptr;
        for (const QString &name : names) {
            CodeEdit *box = window.form.findChild<CodeEdit *>(name);
            if (!box->isHidden() && box->isEnabled())
                shown = box;
        }
        QVERIFY(shown);
        shown->setText(QStringLiteral("TYPED"));
        const QString saved = files.path(QStringLiteral("added.kvd"));
        QFile::remove(saved);
        QCOMPARE(saveAsThroughMenu(window, saved), QStringList());
        QCOMPARE(openThroughMenu(window, saved), QStringList());
        QStringList texts;
        for (const QString &name : names)
            texts << window.form.findChild<CodeEdit *>(name)->text();
        QVERIFY2(texts.contains(QStringLiteral("TYPED")), qPrintable(texts.join(QLatin1Char('|'))));
    }
};

QTEST_MAIN(EditLocalityTest)
#include "tst_editlocality.moc"
