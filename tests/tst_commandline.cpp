#include "app/commandline.h"
#include "support/harness.h"

#include <QDir>
#include <QTest>

using Kind = ScriptedPlatform::Shown::Kind;

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("toStandardError");
        QTest::newRow("none") << QStringList{} << true << 0 << QString() << false;
        QTest::newRow("one file") << QStringList{QStringLiteral("a.kvd")} << true << 0 << QStringLiteral("a.kvd") << false;
        QTest::newRow("two files") << QStringList{QStringLiteral("a.kvd"), QStringLiteral("b.kvd")} << false << 2 << QString() << true;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << false << 2 << QString() << true;
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << false << 0 << QString() << false;
        QTest::newRow("after --, a dash name is a file") << QStringList{QStringLiteral("--"), QStringLiteral("-x.kvd")} << true << 0
                                                         << QStringLiteral("-x.kvd") << false;
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, starts);
        QFETCH(int, exitCode);
        QFETCH(QString, file);
        QFETCH(bool, toStandardError);
        const CommandLine c = CommandLine::parse(QStringList{QStringLiteral("pelorin")} + arguments);
        QCOMPARE(c.action == CommandLine::StartEditor, starts);
        QCOMPARE(c.exitCode, exitCode);
        QCOMPARE(c.file, file);
        QCOMPARE(c.toStandardError, toStandardError);
        if (!starts)
            QVERIFY(!c.output.isEmpty());
    }

    void versionText()
    {
        QCOMPARE(CommandLine::parse({QStringLiteral("pelorin"), QStringLiteral("--version")}).output,
                 QStringLiteral("Pelorin 1.03\n"));
    }

    // The file named at start is opened as Open opens a file chosen in its dialog.
    void startFileFailuresLeaveAnEmptyEditor_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("errorBox");
        QTest::addColumn<QString>("defaultErrorBox");
        QTest::newRow("missing") << QByteArray() << QStringLiteral(" could not be opened") << QString();
        QTest::newRow("short") << QByteArray(12, 'x') << QString() << QStringLiteral("Read beyond end of file.");
    }
    void startFileFailuresLeaveAnEmptyEditor()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, errorBox);
        QFETCH(QString, defaultErrorBox);
        TestFiles files;
        const QString path = content.isNull() ? files.path(QStringLiteral("missing.kvd")) : files.write(QStringLiteral("s.kvd"), content);
        Harness h;
        h.form.openPath(path);
        QCOMPARE(h.platform.texts(Kind::ErrorBox), errorBox.isEmpty() ? QStringList() : QStringList{QDir::toNativeSeparators(path) + errorBox});
        QCOMPARE(h.platform.texts(Kind::DefaultErrorBox), defaultErrorBox.isEmpty() ? QStringList() : QStringList{defaultErrorBox});
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - <untitled>"));
        QVERIFY(!h.form.PagesLoaded);
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
