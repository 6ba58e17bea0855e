// Random edit scripts through the widgets, then Save As: no byte outside the fields of
// the edited widgets, the counters and the normalised bytes may change, and every edited
// text or choice must be in the file as the widget shows it.

#include "support/editscript.h"
#include "support/harness.h"
#include "support/savemask.h"

#include <QDir>
#include <QTest>

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
};

QTEST_MAIN(EditLocalityTest)
#include "tst_editlocality.moc"
