#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

QString run(const QString &program, const QStringList &arguments, int *exitCode)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    p.waitForFinished(120000);
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll());
}

} // namespace

// What `cmake --install` puts on a desktop: the program, its menu entry, its file type
// and its icons.
class PackagingTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix;

private slots:
    void initTestCase()
    {
        int status = 0;
        const QString output = run(QStringLiteral("cmake"),
                                   {QStringLiteral("--install"), QStringLiteral(PELORIN_BINARY_DIR),
                                    QStringLiteral("--prefix"), m_prefix.path()},
                                   &status);
        QVERIFY2(status == 0, qPrintable(output));
    }

    void installedTree_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("program") << QStringLiteral("bin/pelorin");
        QTest::newRow("companion") << QStringLiteral("bin/kvdtool");
        QTest::newRow("entry") << QStringLiteral("share/applications/org.pelorin.Pelorin.desktop");
        QTest::newRow("type") << QStringLiteral("share/mime/packages/org.pelorin.Pelorin.xml");
        QTest::newRow("svg") << QStringLiteral("share/icons/hicolor/scalable/apps/org.pelorin.Pelorin.svg");
        for (int size : {16, 32, 48, 256})
            QTest::addRow("png %d", size) << QStringLiteral("share/icons/hicolor/%1x%1/apps/org.pelorin.Pelorin.png").arg(size);
    }
    void installedTree()
    {
        QFETCH(QString, file);
        QVERIFY2(QFile::exists(m_prefix.filePath(file)), qPrintable(file));
    }

    void desktopEntryNamesTheTypeAndTheProgram()
    {
        QFile f(m_prefix.filePath(QStringLiteral("share/applications/org.pelorin.Pelorin.desktop")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY(text.contains(QLatin1String("\nExec=pelorin %f\n")));
        QVERIFY(text.contains(QLatin1String("\nMimeType=application/x-pelorin-kvd;\n")));
        QVERIFY(text.contains(QLatin1String("\nIcon=org.pelorin.Pelorin\n")));
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed");
        int status = 0;
        const QString output = run(validator, {f.fileName()}, &status);
        QVERIFY2(status == 0 && output.trimmed().isEmpty(), qPrintable(output));
    }

    void typeMapsKvdInAnyCase()
    {
        QFile f(m_prefix.filePath(QStringLiteral("share/mime/packages/org.pelorin.Pelorin.xml")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&f);
        QString type, comment, glob, caseSensitive;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("mime-type")) {
                type = xml.attributes().value(QLatin1String("type")).toString();
            } else if (xml.name() == QLatin1String("comment")) {
                comment = xml.readElementText();
            } else if (xml.name() == QLatin1String("glob")) {
                glob = xml.attributes().value(QLatin1String("pattern")).toString();
                caseSensitive = xml.attributes().value(QLatin1String("case-sensitive")).toString();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(type, QStringLiteral("application/x-pelorin-kvd"));
        QVERIFY(!comment.isEmpty());
        QCOMPARE(glob, QStringLiteral("*.kvd"));
        QVERIFY(caseSensitive != QLatin1String("true"));
    }
};

QTEST_GUILESS_MAIN(PackagingTest)
#include "tst_packaging.moc"
