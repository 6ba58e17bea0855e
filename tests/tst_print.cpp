#include "platform/qtprinttarget.h"
#include "support/harness.h"
#include "support/recordingprinter.h"

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

namespace {

// A main window with a file open, so that Print is available.
struct OpenWindow {
    TestFiles files;
    Harness h;
    explicit OpenWindow(int page = 0)
    {
        h.open(files.write(QStringLiteral("a.kvd"), kvd::DefinitionRecord()));
        h.form.PageControl->setCurrentIndex(page);
    }
    int page() const { return h.form.PageControl->currentIndex(); }
    Qt::CursorShape cursor() const { return h.form.cursor().shape(); }
    QStringList errors() const { return h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox); }
};

int pdfPages(const QString &path)
{
    if (path.isEmpty())
        return 0;
    // Page objects, not the page tree ("/Type /Pages").
    static const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(TestFiles::read(path)).count(pageObject));
}

} // namespace

class PrintTest : public QObject
{
    Q_OBJECT

private slots:
    void printsThePagesInOrder_data()
    {
        QTest::addColumn<int>("startPage");
        QTest::addColumn<bool>("toFile");
        QTest::addColumn<QString>("calls");
        for (int page = 0; page < 4; ++page)
            QTest::addRow("printer, from page %d", page) << page << false << QStringLiteral("BDEBDEBDEBDE");
        // Separate jobs would overwrite one another in a file: one job of four pages.
        QTest::newRow("file, from page 3") << 3 << true << QStringLiteral("BDPDPDPDE");
    }

    void printsThePagesInOrder()
    {
        QFETCH(int, startPage);
        QFETCH(bool, toFile);
        QFETCH(QString, calls);
        OpenWindow w(startPage);
        PrintLog log;
        QList<int> pagesDrawn;
        QList<bool> waiting;
        log.whileDrawing = [&](int) {
            pagesDrawn << w.page();
            waiting << (w.cursor() == Qt::WaitCursor);
        };
        w.h.platform.printer = log.printer(96, 96, toFile);

        w.h.form.FilePrintClick();

        QCOMPARE(log.calls, calls);
        QCOMPARE(pagesDrawn, QList<int>({0, 1, 2, 3}));
        QCOMPARE(waiting, QList<bool>({false, true, true, true})); // from the end of the first job
        QCOMPARE(w.page(), startPage);
        QCOMPARE(w.cursor(), Qt::ArrowCursor);
        QVERIFY(w.errors().isEmpty());

        // Each image is the client area as it looks with its page in front.
        for (int page = 0; page < 4; ++page) {
            w.h.form.PageControl->setCurrentIndex(page);
            const QImage shown = w.h.form.clientArea()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(log.images[page].size(), QSize(654, 499));
            QCOMPARE(log.images[page].convertToFormat(QImage::Format_RGB32), shown);
        }
    }

    void scalesToPrinterResolution_data()
    {
        QTest::addColumn<int>("dpiX");
        QTest::addColumn<int>("dpiY");
        QTest::addColumn<QSize>("printed");
        QTest::newRow("96 dpi, as on screen") << 96 << 96 << QSize(654, 499);
        QTest::newRow("72 dpi, half rounded up") << 72 << 72 << QSize(491, 374);
        QTest::newRow("300 dpi") << 300 << 300 << QSize(2044, 1559);
        QTest::newRow("600 dpi") << 600 << 600 << QSize(4088, 3119);
        QTest::newRow("1200 dpi, half rounded up") << 1200 << 1200 << QSize(8175, 6238);
        QTest::newRow("600 x 300 dpi") << 600 << 300 << QSize(4088, 1559);
    }

    void scalesToPrinterResolution()
    {
        QFETCH(int, dpiX);
        QFETCH(int, dpiY);
        QFETCH(QSize, printed);
        OpenWindow w;
        PrintLog log;
        w.h.platform.printer = log.printer(dpiX, dpiY);

        w.h.form.FilePrintClick();

        // At the device origin, on every page.
        QCOMPARE(log.targets, QList<QRect>(4, QRect(QPoint(0, 0), printed)));
    }

    void failureEndsThePrint_data()
    {
        QTest::addColumn<bool>("toFile");
        QTest::addColumn<QString>("failing"); // the call's letter and its count
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("shown");
        const QString none = QStringLiteral("There is no default printer currently selected");
        const QString invalid = QStringLiteral("Printer selected is not valid");
        const QString refused = QStringLiteral("The printer refused the job.");
        const QString full = QStringLiteral("Disk full");
        QTest::newRow("no printer") << false << QStringLiteral("B1") << none << QStringLiteral("B") << none + u'.';
        QTest::newRow("invalid at the second job")
            << false << QStringLiteral("B2") << invalid << QStringLiteral("BDEB") << invalid + u'.';
        QTest::newRow("refused at the end of the third job")
            << false << QStringLiteral("E3") << refused << QStringLiteral("BDEBDEBDE") << refused;
        QTest::newRow("file cannot be made") << true << QStringLiteral("B1") << full << QStringLiteral("B") << full + u'.';
        QTest::newRow("file refuses its third page")
            << true << QStringLiteral("P2") << full << QStringLiteral("BDPDP") << full + u'.';
        QTest::newRow("file cannot be closed")
            << true << QStringLiteral("E1") << full << QStringLiteral("BDPDPDPDE") << full + u'.';
    }

    void failureEndsThePrint()
    {
        QFETCH(bool, toFile);
        QFETCH(QString, failing);
        QFETCH(QString, message);
        QFETCH(QString, calls);
        QFETCH(QString, shown);
        OpenWindow w(3);
        PrintLog log;
        log.failures[failing] = message;
        w.h.platform.printer = log.printer(600, 600, toFile);

        w.h.form.FilePrintClick();

        QCOMPARE(log.calls, calls);
        QCOMPARE(w.errors(), QStringList{shown});
        QCOMPARE(w.page(), 3);
        QCOMPARE(w.cursor(), Qt::ArrowCursor);
    }

    void cancelPrintsNothing()
    {
        OpenWindow w(2);
        w.h.platform.shown.clear();

        w.h.form.FilePrintClick(); // no printer scripted: the dialog is cancelled

        QCOMPARE(w.h.platform.shown.size(), 1);
        QCOMPARE(w.h.platform.shown[0].kind, ScriptedPlatform::Shown::PrintDialog);
        QCOMPARE(w.page(), 2);
        QCOMPARE(w.cursor(), Qt::ArrowCursor);
    }

    void secondPrintWhileSpoolingFails()
    {
        OpenWindow w;
        PrintLog log;
        log.whileDrawing = [&](int drawing) {
            if (drawing == 1)
                w.h.form.FilePrintClick();
        };
        w.h.platform.printer = log.printer(300, 300);

        w.h.form.FilePrintClick();

        QCOMPARE(w.errors(), QStringList{QStringLiteral("Printing in progress.")});
        QCOMPARE(w.h.platform.texts(ScriptedPlatform::Shown::PrintDialog).size(), 1);
        QCOMPARE(log.calls, QStringLiteral("BDEBDEBDEBDE"));

        // Once the first print is done, the next one runs.
        log.whileDrawing = nullptr;
        w.h.form.FilePrintClick();
        QCOMPARE(log.images.size(), 8);
        QCOMPARE(w.errors().size(), 1);
    }

    void realPrinterToPdf_data()
    {
        QTest::addColumn<QString>("fileName"); // within the test's folder
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("shown"); // %1: the output path
        QTest::newRow("one file of four pages") << QStringLiteral("pages.pdf") << 4 << QString();
        QTest::newRow("no printer and no file")
            << QString() << 0 << QStringLiteral("There is no default printer currently selected.");
        QTest::newRow("file in a missing folder")
            << QStringLiteral("missing/pages.pdf") << 0 << QStringLiteral("Cannot print to the file %1.");
    }

    void realPrinterToPdf()
    {
        QFETCH(QString, fileName);
        QFETCH(int, pages);
        QFETCH(QString, shown);
        OpenWindow w(2);
        const QString path = fileName.isEmpty() ? QString() : w.files.path(fileName);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setResolution(600);
        QCOMPARE(QtPrintTarget(printer).resolutionY(), 600);
        w.h.platform.printer = [&] { return std::make_unique<QtPrintTarget>(printer); };
        if (!path.isEmpty() && pages == 0)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPainter::begin")));

        w.h.form.FilePrintClick();

        QCOMPARE(w.errors(), shown.isEmpty() ? QStringList() : QStringList{QString(shown).replace(QLatin1String("%1"), path)});
        QCOMPARE(pdfPages(path), pages);
        QCOMPARE(w.page(), 2);

        // A failed print leaves the printer usable for the next one.
        const QString next = w.files.path(QStringLiteral("next.pdf"));
        printer.setOutputFileName(next);
        w.h.form.FilePrintClick();
        QCOMPARE(pdfPages(next), 4);
        // The page images keep their colours: no lossy JPEG streams.
        QVERIFY(!TestFiles::read(next).contains("/DCTDecode"));
    }
};

QTEST_MAIN(PrintTest)
#include "tst_print.moc"
