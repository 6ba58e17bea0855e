#include "platform/qtprinttarget.h"
#include "support/harness.h"
#include "support/recordingprinter.h"

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

namespace {

// The calls a print made, one letter each: B begin job, P new page, D draw, E end job.
QString letters(const QList<PrintLog::Call> &calls)
{
    static const char kLetters[] = {'B', 'P', 'D', 'E'};
    QString result;
    for (PrintLog::Call c : calls)
        result += QLatin1Char(kLetters[c]);
    return result;
}

PrintLog::Call callOf(QChar letter)
{
    switch (letter.toLatin1()) {
    case 'B': return PrintLog::Begin;
    case 'P': return PrintLog::NewPage;
    case 'D': return PrintLog::Draw;
    default: return PrintLog::End;
    }
}

// A main window with a file open, so that Print is available.
struct OpenWindow {
    TestFiles files;
    Harness h;
    OpenWindow() { h.open(files.write(QStringLiteral("a.kvd"), kvd::DefinitionRecord())); }
    int page() const { return h.form.PageControl->currentIndex(); }
    Qt::CursorShape cursor() const { return h.form.cursor().shape(); }
};

int pdfPages(const QByteArray &pdf)
{
    // Page objects only, not the page tree ("/Type /Pages").
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(pdf).count(page));
}

} // namespace

class PrintTest : public QObject
{
    Q_OBJECT

private slots:
    void printsFourJobsInPageOrder_data()
    {
        QTest::addColumn<int>("startPage");
        for (int page = 0; page < 4; ++page)
            QTest::addRow("from page %d", page) << page;
    }

    void printsFourJobsInPageOrder()
    {
        QFETCH(int, startPage);
        OpenWindow w;
        w.h.form.PageControl->setCurrentIndex(startPage);
        PrintLog log;
        QList<int> pagesDrawn;
        QList<bool> waitCursor;
        log.whileDrawing = [&](int) {
            pagesDrawn << w.page();
            waitCursor << (w.cursor() == Qt::WaitCursor);
        };
        w.h.platform.printer = log.printer(96, 96);

        w.h.form.FilePrintClick();

        QCOMPARE(letters(log.calls), QStringLiteral("BDEBDEBDEBDE"));
        QCOMPARE(pagesDrawn, QList<int>({0, 1, 2, 3}));
        // The hourglass comes with the end of the first job.
        QCOMPARE(waitCursor, QList<bool>({false, true, true, true}));
        for (const PrintLog::Job &job : log.jobs) {
            QCOMPARE(job.pages, 1);
            QVERIFY(job.ended);
            QCOMPARE(job.drawings.size(), 1);
            QCOMPARE(job.drawings[0].image.size(), QSize(654, 499));
        }
        QCOMPARE(w.page(), startPage);
        QCOMPARE(w.cursor(), Qt::ArrowCursor);
        QVERIFY(w.h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox).isEmpty());
    }

    // Each image is the client area as it looks with its page in front.
    void imagesShowTheWindowWithEachPage()
    {
        OpenWindow w;
        PrintLog log;
        w.h.platform.printer = log.printer(96, 96);
        w.h.form.FilePrintClick();
        QCOMPARE(log.jobs.size(), 4);

        for (int page = 0; page < 4; ++page) {
            w.h.form.PageControl->setCurrentIndex(page);
            const QImage shown = w.h.form.clientArea()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QImage printed = log.jobs[page].drawings[0].image.convertToFormat(QImage::Format_RGB32);
            QCOMPARE(printed, shown);
        }
        QVERIFY(log.jobs[0].drawings[0].image != log.jobs[3].drawings[0].image);
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
        QCOMPARE(log.targets(), QList<QRect>(4, QRect(QPoint(0, 0), printed)));
    }

    void failureEndsThePrint_data()
    {
        QTest::addColumn<bool>("toFile");
        QTest::addColumn<QString>("failingCall"); // the call's letter and its count
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("shown");

        const QString noPrinter = QStringLiteral("There is no default printer currently selected");
        const QString invalid = QStringLiteral("Printer selected is not valid");
        QTest::newRow("no printer, first job") << false << QStringLiteral("B1") << noPrinter << QStringLiteral("B")
                                               << noPrinter + QLatin1Char('.');
        QTest::newRow("invalid printer, second job") << false << QStringLiteral("B2") << invalid
                                                     << QStringLiteral("BDEB") << invalid + QLatin1Char('.');
        QTest::newRow("job refused at its end, third job")
            << false << QStringLiteral("E3") << QStringLiteral("The printer refused the job.")
            << QStringLiteral("BDEBDEBDE") << QStringLiteral("The printer refused the job.");
        QTest::newRow("file cannot be made") << true << QStringLiteral("B1") << QStringLiteral("Cannot write out.pdf")
                                             << QStringLiteral("B") << QStringLiteral("Cannot write out.pdf.");
        QTest::newRow("file refuses its third page") << true << QStringLiteral("P2") << QStringLiteral("Disk full")
                                                     << QStringLiteral("BDPDP") << QStringLiteral("Disk full.");
        QTest::newRow("file cannot be closed") << true << QStringLiteral("E1") << QStringLiteral("Disk full")
                                               << QStringLiteral("BDPDPDPDE") << QStringLiteral("Disk full.");
    }

    void failureEndsThePrint()
    {
        QFETCH(bool, toFile);
        QFETCH(QString, failingCall);
        QFETCH(QString, message);
        QFETCH(QString, calls);
        QFETCH(QString, shown);
        OpenWindow w;
        w.h.form.PageControl->setCurrentIndex(3);
        PrintLog log;
        log.failures << PrintLog::Failure{callOf(failingCall[0]), failingCall.mid(1).toInt(), message};
        w.h.platform.printer = log.printer(600, 600, toFile);

        w.h.form.FilePrintClick();

        QCOMPARE(letters(log.calls), calls);
        QCOMPARE(w.h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList{shown});
        QCOMPARE(w.page(), 3);
        QCOMPARE(w.cursor(), Qt::ArrowCursor);
    }

    void cancelPrintsNothing()
    {
        OpenWindow w;
        w.h.form.PageControl->setCurrentIndex(2);
        w.h.platform.shown.clear();

        w.h.form.FilePrintClick(); // no printer scripted: the dialog is cancelled

        QCOMPARE(w.h.platform.shown.size(), 1);
        QCOMPARE(w.h.platform.shown[0].kind, ScriptedPlatform::Shown::PrintDialog);
        QCOMPARE(w.page(), 2);
        QCOMPARE(w.cursor(), Qt::ArrowCursor);
    }

    // Separate jobs would overwrite one another in a file: the four pages go into one.
    void printsToFileAsOneJob()
    {
        OpenWindow w;
        w.h.form.PageControl->setCurrentIndex(1);
        PrintLog log;
        QList<int> pagesDrawn;
        log.whileDrawing = [&](int) { pagesDrawn << w.page(); };
        w.h.platform.printer = log.printer(600, 300, true);

        w.h.form.FilePrintClick();

        QCOMPARE(letters(log.calls), QStringLiteral("BDPDPDPDE"));
        QCOMPARE(log.jobs.size(), 1);
        QCOMPARE(log.jobs[0].pages, 4);
        QVERIFY(log.jobs[0].ended);
        QCOMPARE(pagesDrawn, QList<int>({0, 1, 2, 3}));
        QCOMPARE(log.targets(), QList<QRect>(4, QRect(0, 0, 4088, 1559)));
        QCOMPARE(w.page(), 1);
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

        QCOMPARE(w.h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox),
                 QStringList{QStringLiteral("Printing in progress.")});
        QCOMPARE(w.h.platform.texts(ScriptedPlatform::Shown::PrintDialog).size(), 1);
        QCOMPARE(letters(log.calls), QStringLiteral("BDEBDEBDEBDE"));

        // Once the first print is done, the next one runs.
        log.whileDrawing = nullptr;
        w.h.form.FilePrintClick();
        QCOMPARE(log.jobs.size(), 8);
        QCOMPARE(w.h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox).size(), 1);
    }

    void realPrinterWritesOnePdfOfFourPages()
    {
        OpenWindow w;
        const QString path = w.files.path(QStringLiteral("pages.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setResolution(600);
        {
            const QtPrintTarget target(printer);
            QVERIFY(target.writesToFile());
            QCOMPARE(target.resolutionX(), 600);
            QCOMPARE(target.resolutionY(), 600);
        }
        w.h.platform.printer = [&] { return std::make_unique<QtPrintTarget>(printer); };

        w.h.form.FilePrintClick();

        QVERIFY(w.h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox).isEmpty());
        const QByteArray pdf = TestFiles::read(path);
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdfPages(pdf), 4);
        QCOMPARE(printer.printerState(), QPrinter::Idle);
    }

    void realPrinterReportsFailures_data()
    {
        QTest::addColumn<QString>("fileName"); // within the test's folder
        QTest::addColumn<QString>("shown");    // %1: the full output path
        QTest::newRow("no printer and no file") << QString()
                                                << QStringLiteral("There is no default printer currently selected.");
        QTest::newRow("file in a missing folder") << QStringLiteral("missing/pages.pdf")
                                                  << QStringLiteral("Cannot print to the file %1.");
    }

    void realPrinterReportsFailures()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, shown);
        OpenWindow w;
        w.h.form.PageControl->setCurrentIndex(2);
        const QString path = fileName.isEmpty() ? QString() : w.files.path(fileName);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        w.h.platform.printer = [&] { return std::make_unique<QtPrintTarget>(printer); };
        if (!path.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPainter::begin")));

        w.h.form.FilePrintClick();

        const QString expected = shown.contains(QLatin1String("%1")) ? shown.arg(path) : shown;
        QCOMPARE(w.h.platform.texts(ScriptedPlatform::Shown::DefaultErrorBox), QStringList{expected});
        QCOMPARE(w.page(), 2);
        QCOMPARE(w.cursor(), Qt::ArrowCursor);
        if (!path.isEmpty())
            QVERIFY(!QFile::exists(path));
    }
};

QTEST_MAIN(PrintTest)
#include "tst_print.moc"
