// Start-up, Open, Save As, Print, keystrokes with and without the history, Undo and Redo,
// and peak memory of Pelorin's main window, offscreen, against a bare QMainWindow with the
// same widgets. Prints one table; see ../bench.sh.
//
//   pelorin_bench SAMPLE [--callgrind] [--memory-runs N] [--benchmark_... options]
//   pelorin_bench SAMPLE --child pelorin|baseline PLAN   (one fresh process: prints peak memory)
//   pelorin_bench SAMPLE --count SCENARIO PLAN           (run under callgrind, see below)
//   pelorin_bench SAMPLE --plan-out PLAN                 (writes the plan for the two above)
// SCENARIO: startup-pelorin, startup-baseline, startup-open-pelorin, startup-open-baseline,
// open, saveas, save, print, keys-history, keys-bare.

#include "baseline.h"
#include "benchplatform.h"

#include "app/pelorinform.h"
#include "pages/cutmarktab.h"
#include "pages/miscsettab.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QUndoStack>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Sees the first paint of one window. A window paints all its widgets and flushes within
// one pass of the event loop, so once processEvents() returns after the flag is set the
// first frame is complete.
class PaintWatch : public QObject
{
public:
    QWidget *window = nullptr;
    bool painted = false;

    PaintWatch() { qApp->installEventFilter(this); }
    ~PaintWatch() override { qApp->removeEventFilter(this); }

    void watch(QWidget *w)
    {
        window = w;
        painted = false;
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && window && object->isWidgetType()
            && static_cast<QWidget *>(object)->window() == window)
            painted = true;
        return false;
    }
};

void untilPainted(PaintWatch &watch)
{
    QElapsedTimer limit;
    limit.start();
    while (!watch.painted) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (limit.elapsed() > 10000) {
            std::fputs("pelorin_bench: the window never painted\n", stderr);
            std::exit(1);
        }
    }
}

// Bytes the heap holds, where the C library tells; -1 elsewhere.
double heapBytes()
{
#ifdef __GLIBC__
    return double(mallinfo2().uordblks);
#else
    return -1;
#endif
}

// One keystroke as the box receives it from the window system.
void keystroke(QWidget *box, Qt::Key key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(box, &release);
}

// Eight letters typed into the Kerf Value box and rubbed out again: sixteen keystrokes, each
// a step of the history or (the page's signals blocked) not reported at all.
void typeAndRubOut(TPelorinForm &f, bool history)
{
    QLineEdit *box = f.MiscSetTabPage->findChild<QLineEdit *>(QStringLiteral("KValSetting"));
    if (!box->hasFocus()) {
        f.PageControl->setCurrentWidget(f.MiscSetTabPage);
        box->setFocus();
        box->end(false);
    }
    f.MiscSetTabPage->blockSignals(!history);
    for (int i = 0; i < 8; ++i)
        keystroke(box, Qt::Key_A, QStringLiteral("a"));
    for (int i = 0; i < 8; ++i)
        keystroke(box, Qt::Key_Backspace, QString());
    f.MiscSetTabPage->blockSignals(false);
}

void destroy(QWidget *window)
{
    delete window;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

struct Context {
    QString sample;
    QString dir;      // tmpfs when there is one: Save As and the PDF without waiting for a disk
    QString diskDir;  // the build folder: Save As with its flush reaching the disk
    WindowPlan plan;
    std::unique_ptr<BenchPlatform> platform;
    std::unique_ptr<BenchPlatform> diskPlatform;
    PaintWatch *watch = nullptr;
};

namespace {

QMainWindow *makeWindow(Context &c, bool pelorin)
{
    if (pelorin)
        return new TPelorinForm(*c.platform);
    return new BaselineWindow(c.plan);
}

// Construct, show, first paint.
QMainWindow *startUp(Context &c, bool pelorin)
{
    QMainWindow *w = makeWindow(c, pelorin);
    c.watch->watch(w);
    w->show();
    untilPainted(*c.watch);
    return w;
}

WindowPlan readPlan(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "pelorin_bench: cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    QDataStream in(&file);
    WindowPlan plan;
    in >> plan;
    return plan;
}

void writePlan(const QString &path, const WindowPlan &plan)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "pelorin_bench: cannot write %s\n", qPrintable(path));
        std::exit(2);
    }
    QDataStream out(&file);
    out << plan;
}

long statusKb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// A copy of the sample in the working folder, for Save to rewrite in place.
QString inPlaceCopy(const Context &c)
{
    const QString copy = c.dir + QStringLiteral("/inplace.kvd");
    QFile::remove(copy);
    if (!QFile::copy(c.sample, copy) || !QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner)) {
        std::fprintf(stderr, "pelorin_bench: cannot copy %s\n", qPrintable(c.sample));
        std::exit(2);
    }
    return copy;
}

void runScenario(Context &c, const QByteArray &s, QMainWindow **window)
{
    if (s == "startup-pelorin" || s == "startup-baseline") {
        *window = startUp(c, s == "startup-pelorin");
    } else if (s == "startup-open-pelorin") {
        *window = startUp(c, true);
        static_cast<TPelorinForm *>(*window)->openPath(c.sample);
    } else if (s == "startup-open-baseline") {
        *window = startUp(c, false);
        static_cast<BaselineWindow *>(*window)->open(c.sample);
    }
    else if (s == "open")
        static_cast<TPelorinForm *>(*window)->openPath(c.sample);
    else if (s == "saveas")
        static_cast<TPelorinForm *>(*window)->SaveAsClick();
    else if (s == "save")
        static_cast<TPelorinForm *>(*window)->FileSaveClick();
    else if (s == "print")
        static_cast<TPelorinForm *>(*window)->FilePrintClick();
    else if (s == "keys-history" || s == "keys-bare")
        typeAndRubOut(*static_cast<TPelorinForm *>(*window), s == "keys-history");
}

} // namespace

// The one function callgrind counts (--toggle-collect=measured_scenario): everything
// before it (library start, fonts, the first window, warm-up rounds) is left out.
extern "C" Q_NEVER_INLINE void measured_scenario(Context *c, const char *scenario, QMainWindow **window)
{
    runScenario(*c, QByteArray(scenario), window);
}

// The first window of a fresh process, counted apart (--toggle-collect=measured_first_window):
// what a user waits for at start, fonts and first-time set-up included.
extern "C" Q_NEVER_INLINE QMainWindow *measured_first_window(Context *c, bool pelorin)
{
    return startUp(*c, pelorin);
}

namespace {

int runCount(Context &c, const char *scenario)
{
    const QByteArray s(scenario);
    // Two rounds of warm-up, as the timed runs are warm too.
    if (s.startsWith("startup-")) {
        for (int i = 0; i < 2; ++i) {
            QMainWindow *warm = nullptr;
            runScenario(c, s, &warm);
            destroy(warm);
        }
        QMainWindow *w = nullptr;
        measured_scenario(&c, scenario, &w);
        destroy(w);
        return 0;
    }
    if (s == "open") {
        // Into a window just started, as the timed runs do.
        for (int i = 0; i < 2; ++i) {
            QMainWindow *warm = startUp(c, true);
            runScenario(c, s, &warm);
            destroy(warm);
        }
        QMainWindow *w = startUp(c, true);
        measured_scenario(&c, scenario, &w);
        destroy(w);
        return 0;
    }
    QMainWindow *w = startUp(c, true);
    static_cast<TPelorinForm *>(w)->openPath(s == "save" ? inPlaceCopy(c) : c.sample);
    for (int i = 0; i < 2; ++i)
        runScenario(c, s, &w);
    measured_scenario(&c, scenario, &w);
    destroy(w);
    return 0;
}

// One fresh process: start-up, Open, the repaint after it, then the peak resident size.
int runChild(Context &c, bool pelorin)
{
    const auto t0 = Clock::now();
    QMainWindow *w = measured_first_window(&c, pelorin);
    const auto t1 = Clock::now();
    if (pelorin)
        static_cast<TPelorinForm *>(w)->openPath(c.sample);
    else
        static_cast<BaselineWindow *>(w)->open(c.sample);
    const auto t2 = Clock::now();
    c.watch->watch(w);
    w->update();
    untilPainted(*c.watch);
    std::printf("%ld %lld %lld\n", statusKb("VmHWM"),
                (long long)std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count(),
                (long long)std::chrono::duration_cast<std::chrono::microseconds>(t2 - t1).count());
    std::fflush(stdout);
    std::_Exit(0); // the figure is taken; tearing the window down adds nothing
}

// Medians and spreads of the repetitions, in milliseconds.
struct Figure {
    double median = -1, min = -1, max = -1;
    std::vector<double> runs;
};

class Collector : public benchmark::BenchmarkReporter
{
public:
    std::map<std::string, Figure> figures;

    bool ReportContext(const Context &) override { return true; }
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs) {
            const double ms = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e3;
            Figure &f = figures[r.run_name.function_name];
            if (r.run_type == Run::RT_Iteration) {
                f.runs.push_back(ms);
                std::fprintf(stderr, "  %-22s %10.3f ms  (%lld iterations)\n", r.run_name.function_name.c_str(), ms,
                             (long long)r.iterations);
            } else if (r.aggregate_name == "median") {
                f.median = ms;
            }
        }
        for (auto &[name, f] : figures) {
            if (f.runs.empty())
                continue;
            f.min = *std::min_element(f.runs.begin(), f.runs.end());
            f.max = *std::max_element(f.runs.begin(), f.runs.end());
            if (f.median < 0) {
                std::vector<double> v = f.runs;
                std::sort(v.begin(), v.end());
                f.median = v[v.size() / 2];
            }
        }
    }
    void Finalize() override {}
};

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QString readFirstLine(const QString &path, const QString &prefix = QString())
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : file.readAll().split('\n'))
        if (prefix.isEmpty() || line.startsWith(prefix.toLatin1()))
            return QString::fromUtf8(line).section(QLatin1Char(':'), prefix.isEmpty() ? 0 : 1).trimmed();
    return QString();
}

QString loadAverage()
{
    return readFirstLine(QStringLiteral("/proc/loadavg")).section(QLatin1Char(' '), 0, 2);
}

struct ChildResult {
    double memoryMb = -1, startupMs = -1, openMs = -1;
};

ChildResult runChildProcess(const QStringList &arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(60000) || child.exitCode() != 0) {
        std::fprintf(stderr, "pelorin_bench: child %s failed\n", qPrintable(arguments.join(QLatin1Char(' '))));
        return {};
    }
    const QStringList words = QString::fromLatin1(child.readAllStandardOutput()).simplified().split(QLatin1Char(' '));
    if (words.size() != 3)
        return {};
    return {words[0].toDouble() / 1024.0, words[1].toDouble() / 1e3, words[2].toDouble() / 1e3};
}

// Instructions of one scenario, counted by callgrind in a process of its own.
double countInstructions(const QStringList &arguments, const char *counted = "measured_scenario")
{
    QProcess valgrind;
    valgrind.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args = {QStringLiteral("--tool=callgrind"), QStringLiteral("--callgrind-out-file=/dev/null"),
                        QStringLiteral("--collect-atstart=no"), QStringLiteral("--toggle-collect=") + QLatin1String(counted)};
    args << QCoreApplication::applicationFilePath() << arguments;
    valgrind.start(QStringLiteral("valgrind"), args);
    if (!valgrind.waitForFinished(600000)) {
        valgrind.kill();
        return -1;
    }
    const QString out = QString::fromLocal8Bit(valgrind.readAll());
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Collected : (\\d+)")).match(out);
    if (!m.hasMatch()) {
        std::fprintf(stderr, "pelorin_bench: callgrind gave no count for %s:\n%s\n",
                     qPrintable(arguments.join(QLatin1Char(' '))), qPrintable(out.right(2000)));
        return -1;
    }
    return m.captured(1).toDouble();
}

QString fmt(double v, int decimals)
{
    return v < 0 ? QStringLiteral("n/a") : QString::number(v, 'f', decimals);
}

} // namespace

int main(int argc, char **argv)
{
    // The goals are set for the offscreen platform: no display, no compositor in the figures.
    qputenv("QT_QPA_PLATFORM", "offscreen");

    QStringList ours;
    std::vector<char *> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]).startsWith("--benchmark_"))
            rest.push_back(argv[i]);
        else
            ours << QString::fromLocal8Bit(argv[i]);
    }
    int restCount = int(rest.size());
    benchmark::Initialize(&restCount, rest.data());

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelorin"));
    // The files the runs open do not go into the user's recent files.
    QStandardPaths::setTestModeEnabled(true);

    if (ours.isEmpty()) {
        std::fputs("usage: pelorin_bench SAMPLE [--callgrind] [--memory-runs N] [--benchmark_...]\n", stderr);
        return 2;
    }
    Context c;
    c.sample = QFileInfo(ours.takeFirst()).absoluteFilePath();
    PaintWatch watch;
    c.watch = &watch;

    // A child works in its parent's folder, which holds the plan; it leaves nothing behind.
    const auto useFolders = [&c](const QString &dir, const QString &diskDir) {
        c.dir = dir;
        c.diskDir = diskDir;
        c.platform = std::make_unique<BenchPlatform>(dir + QStringLiteral("/saved.kvd"), dir + QStringLiteral("/pages.pdf"));
        c.diskPlatform = std::make_unique<BenchPlatform>(diskDir + QStringLiteral("/saved.kvd"),
                                                         diskDir + QStringLiteral("/pages.pdf"));
    };
    const int childAt = int(ours.indexOf(QStringLiteral("--child")));
    if (childAt >= 0) {
        const bool pelorin = ours.value(childAt + 1) == QStringLiteral("pelorin");
        const QString planPath = ours.value(childAt + 2);
        useFolders(QFileInfo(planPath).absolutePath(), QFileInfo(planPath).absolutePath());
        if (!pelorin)
            c.plan = readPlan(planPath);
        return runChild(c, pelorin);
    }
    const int countAt = int(ours.indexOf(QStringLiteral("--count")));
    if (countAt >= 0) {
        const QString planPath = ours.value(countAt + 2);
        useFolders(QFileInfo(planPath).absolutePath(), QFileInfo(planPath).absolutePath());
        c.plan = readPlan(planPath);
        return runCount(c, ours.value(countAt + 1).toLatin1().constData());
    }

    // tmpfs when there is one: Save As and the PDF without waiting for a disk. The disk
    // folder is the working one (the build folder under bench.sh).
    QTemporaryDir tmp(QFileInfo::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm/pelorin-bench-XXXXXX")
                                                                     : QDir::tempPath() + QStringLiteral("/pelorin-bench-XXXXXX"));
    QTemporaryDir disk(QDir::currentPath() + QStringLiteral("/pelorin-bench-XXXXXX"));
    if (!tmp.isValid() || !disk.isValid()) {
        std::fputs("pelorin_bench: cannot make a temporary folder\n", stderr);
        return 2;
    }
    useFolders(tmp.path(), disk.path());

    const bool callgrind = ours.contains(QStringLiteral("--callgrind"));
    const int memoryAt = int(ours.indexOf(QStringLiteral("--memory-runs")));
    const int memoryRuns = memoryAt >= 0 ? ours.value(memoryAt + 1).toInt() : 5;

    const QString loadBefore = loadAverage();

    // The plan of the baseline, taken from a real window; it warms the caches too.
    {
        auto *form = static_cast<TPelorinForm *>(startUp(c, true));
        c.plan = planFrom(*form, c.sample);
        destroy(form);
    }
    const QString planPath = c.dir + QStringLiteral("/plan.bin");
    writePlan(planPath, c.plan);
    // For profiling by hand: the plan that --count and --child read.
    const int planOutAt = int(ours.indexOf(QStringLiteral("--plan-out")));
    if (planOutAt >= 0) {
        writePlan(ours.value(planOutAt + 1), c.plan);
        return 0;
    }

    // Same widgets on both sides, or the ratio means nothing.
    QString censusNote;
    int widgetCount = 0;
    {
        QMainWindow *p = makeWindow(c, true);
        QMainWindow *b = makeWindow(c, false);
        const QMap<QString, int> cp = census(p), cb = census(b);
        for (auto it = cp.begin(); it != cp.end(); ++it)
            if (!it.key().startsWith(QLatin1Char('(')))
                widgetCount += it.value();
        QStringList diffs;
        QStringList keys = cp.keys() + cb.keys();
        keys.removeDuplicates();
        for (const QString &k : keys)
            if (cp.value(k) != cb.value(k))
                diffs << QStringLiteral("%1 %2/%3").arg(k).arg(cp.value(k)).arg(cb.value(k));
        censusNote = diffs.isEmpty() ? QStringLiteral("same kinds and counts")
                                     : QStringLiteral("DIFFER (Pelorin/baseline): ") + diffs.join(QStringLiteral(", "));
        if (ours.contains(QStringLiteral("--census"))) {
            for (auto it = cp.begin(); it != cp.end(); ++it)
                std::fprintf(stderr, "  %-24s %4d %4d\n", qPrintable(it.key()), it.value(), cb.value(it.key()));
        }
        destroy(p);
        destroy(b);
    }

    for (const bool pelorin : {true, false}) {
        benchmark::RegisterBenchmark(pelorin ? "startup_pelorin" : "startup_baseline", [&c, pelorin](benchmark::State &state) {
            for (auto _ : state) {
                const auto t0 = Clock::now();
                QMainWindow *w = startUp(c, pelorin);
                state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
                destroy(w);
            }
        })->UseManualTime()->Unit(benchmark::kMillisecond);
    }

    // What the user waits for: the window up and the file in it. The baseline's Open puts
    // the same texts into its boxes.
    for (const bool pelorin : {true, false}) {
        benchmark::RegisterBenchmark(pelorin ? "startup_open_pelorin" : "startup_open_baseline",
                                     [&c, pelorin](benchmark::State &state) {
            for (auto _ : state) {
                const auto t0 = Clock::now();
                QMainWindow *w = nullptr;
                runScenario(c, pelorin ? "startup-open-pelorin" : "startup-open-baseline", &w);
                state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
                destroy(w);
            }
        })->UseManualTime()->Unit(benchmark::kMillisecond);
    }

    // The document commands run on one window, opened once beforehand.
    TPelorinForm *form = nullptr;
    TPelorinForm *diskForm = nullptr;
    const auto loaded = [&]() -> TPelorinForm & {
        if (!form) {
            form = static_cast<TPelorinForm *>(startUp(c, true));
            form->openPath(c.sample);
            QCoreApplication::processEvents();
        }
        return *form;
    };
    // Into a window just started, as the first Open of a run: reopening a loaded window
    // would only set every box to the text it already shows.
    benchmark::RegisterBenchmark("open", [&](benchmark::State &state) {
        for (auto _ : state) {
            auto *f = static_cast<TPelorinForm *>(startUp(c, true));
            const auto t0 = Clock::now();
            f->openPath(c.sample);
            state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
            destroy(f);
        }
    })->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("reopen", [&](benchmark::State &state) {
        TPelorinForm &f = loaded();
        for (auto _ : state)
            f.openPath(c.sample);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("save_as", [&](benchmark::State &state) {
        TPelorinForm &f = loaded();
        for (auto _ : state)
            f.SaveAsClick();
    })->Unit(benchmark::kMillisecond);
    // Save rewrites the file in place after checking that no other program changed it.
    TPelorinForm *saveForm = nullptr;
    benchmark::RegisterBenchmark("save", [&](benchmark::State &state) {
        if (!saveForm) {
            saveForm = static_cast<TPelorinForm *>(startUp(c, true));
            saveForm->openPath(inPlaceCopy(c));
        }
        for (auto _ : state)
            saveForm->FileSaveClick();
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("save_as_disk", [&](benchmark::State &state) {
        if (!diskForm) {
            std::swap(c.platform, c.diskPlatform);
            diskForm = static_cast<TPelorinForm *>(startUp(c, true));
            std::swap(c.platform, c.diskPlatform);
            diskForm->openPath(c.sample);
        }
        for (auto _ : state)
            diskForm->SaveAsClick();
    })->Unit(benchmark::kMillisecond)->Iterations(100);
    benchmark::RegisterBenchmark("print", [&](benchmark::State &state) {
        TPelorinForm &f = loaded();
        for (auto _ : state)
            f.FilePrintClick();
    })->Unit(benchmark::kMillisecond);

    // A keystroke in a box, each a step of the history or (signals of the page blocked) not
    // reported at all: eight letters typed into a box, then rubbed out again.
    for (const bool history : {true, false}) {
        benchmark::RegisterBenchmark(history ? "keystroke_history" : "keystroke_bare", [&, history](benchmark::State &state) {
            TPelorinForm &f = loaded();
            for (auto _ : state)
                typeAndRubOut(f, history);
        })->Unit(benchmark::kMillisecond);
    }
    // Undo, then Redo, of Delete > Cut Process of a column whose every box holds a code.
    TPelorinForm *undoForm = nullptr;
    benchmark::RegisterBenchmark("undo_redo_delete", [&](benchmark::State &state) {
        if (!undoForm) {
            undoForm = static_cast<TPelorinForm *>(startUp(c, true));
            undoForm->openPath(c.sample);
            undoForm->AddCutClick();
            for (QLineEdit *box : undoForm->CutMarkTabPage->findChildren<QLineEdit *>())
                if (box->isVisibleTo(undoForm->CutMarkTabPage) && box->text().isEmpty())
                    box->setText(QStringLiteral("G01X9"));
            undoForm->DelCutProcessClick();
        }
        for (auto _ : state) {
            undoForm->EditUndoClick();
            undoForm->EditRedoClick();
        }
    })->Unit(benchmark::kMillisecond);

    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    const qint64 pdfBytes = QFileInfo(c.dir + QStringLiteral("/pages.pdf")).size();
    if (form)
        destroy(form);
    if (diskForm)
        destroy(diskForm);
    if (saveForm)
        destroy(saveForm);
    if (undoForm)
        destroy(undoForm);

    // What 10,000 steps of typing hold: keystrokes in two boxes by turns, each a step.
    double historyMb = -1;
    {
        auto *f = static_cast<TPelorinForm *>(startUp(c, true));
        f->openPath(c.sample);
        QLineEdit *boxes[] = {f->MiscSetTabPage->findChild<QLineEdit *>(QStringLiteral("KValSetting")),
                              f->MiscSetTabPage->findChild<QLineEdit *>(QStringLiteral("KOffSetting"))};
        const double before = heapBytes();
        for (int i = 0; i < 10000; ++i)
            keystroke(boxes[i % 2], i % 4 < 2 ? Qt::Key_A : Qt::Key_Backspace, i % 4 < 2 ? QStringLiteral("a") : QString());
        if (before >= 0 && f->history().count() == 10000)
            historyMb = (heapBytes() - before) / (1024.0 * 1024.0);
        destroy(f);
    }

    // Fresh processes, taken in turns so that a change of load falls on both alike.
    std::vector<double> memP, memB, coldP, coldB, coldOpen;
    for (int i = 0; i < memoryRuns; ++i) {
        const ChildResult p = runChildProcess({c.sample, QStringLiteral("--child"), QStringLiteral("pelorin"), planPath});
        const ChildResult b = runChildProcess({c.sample, QStringLiteral("--child"), QStringLiteral("baseline"), planPath});
        if (p.memoryMb > 0) {
            memP.push_back(p.memoryMb);
            coldP.push_back(p.startupMs);
            coldOpen.push_back(p.openMs);
        }
        if (b.memoryMb > 0) {
            memB.push_back(b.memoryMb);
            coldB.push_back(b.startupMs);
        }
    }

    double irColdP = -1, irColdB = -1;
    double irP = -1, irB = -1, irPO = -1, irBO = -1, irOpen = -1, irSave = -1, irSaveInPlace = -1, irPrint = -1;
    double irKeysOn = -1, irKeysOff = -1;
    if (callgrind) {
        const auto count = [&](const char *scenario) {
            return countInstructions({c.sample, QStringLiteral("--count"), QLatin1String(scenario), planPath});
        };
        const auto countFirst = [&](const char *window) {
            return countInstructions({c.sample, QStringLiteral("--child"), QLatin1String(window), planPath},
                                     "measured_first_window");
        };
        irColdP = countFirst("pelorin");
        irColdB = countFirst("baseline");
        irP = count("startup-pelorin");
        irB = count("startup-baseline");
        irPO = count("startup-open-pelorin");
        irBO = count("startup-open-baseline");
        irOpen = count("open");
        irSave = count("saveas");
        irSaveInPlace = count("save");
        irPrint = count("print");
        irKeysOn = count("keys-history");
        irKeysOff = count("keys-bare");
    }
    const QString loadAfter = loadAverage();

    const auto fig = [&](const char *name) { return collector.figures[name]; };
    const Figure suP = fig("startup_pelorin"), suB = fig("startup_baseline");
    const Figure soP = fig("startup_open_pelorin"), soB = fig("startup_open_baseline");
    const Figure keyOn = fig("keystroke_history"), keyOff = fig("keystroke_bare"), undoRedo = fig("undo_redo_delete");
    const Figure open = fig("open"), reopen = fig("reopen"), save = fig("save_as"), saveInPlace = fig("save"), saveDisk = fig("save_as_disk"), print = fig("print");

    QString table;
    QTextStream out(&table);
    const auto ratio = [](double a, double b) { return a > 0 && b > 0 ? a / b : -1.0; };
    const auto met = [](double value, double goal) {
        return value < 0 ? QStringLiteral("?") : value <= goal ? QStringLiteral("yes") : QStringLiteral("NO");
    };
    const auto spread = [](const Figure &f, int d) {
        return f.median < 0 ? QStringLiteral("n/a")
                            : QStringLiteral("%1 (%2-%3)").arg(fmt(f.median, d), fmt(f.min, d), fmt(f.max, d));
    };
    const auto row = [&out](const QString &what, const QString &pel, const QString &base, const QString &r,
                            const QString &goal, const QString &ok) {
        out << "| " << what << " | " << pel << " | " << base << " | " << r << " | " << goal << " | " << ok << " |\n";
    };

    out << "\nPelorin benchmarks, " << QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm")) << " UTC\n";
    out << "Machine: " << readFirstLine(QStringLiteral("/proc/cpuinfo"), QStringLiteral("model name")) << ", "
        << QThread::idealThreadCount() << " cores, " << QSysInfo::kernelType() << ' ' << QSysInfo::kernelVersion()
        << ", Qt " << qVersion() << ", " << QGuiApplication::platformName() << " platform\n";
    out << "Load average (1, 5, 15 min): " << loadBefore << " before, " << loadAfter << " after\n";
    out << "Window: " << widgetCount << " widgets; baseline: " << censusNote << "\n";
    out << "Times: median of the repetitions (fastest-slowest) in ms; memory: median of " << memoryRuns
        << " fresh processes each\n\n";
    out << "| Measure | Pelorin | Baseline | Ratio | Goal | Met |\n|---|---|---|---|---|---|\n";
    const double suRatio = ratio(suP.median, suB.median);
    row(QStringLiteral("Start-up to first paint, ms"), spread(suP, 2), spread(suB, 2), fmt(suRatio, 2),
        QStringLiteral("<= 1.15 x"), met(suRatio, 1.15));
    const double irRatio = ratio(irP, irB);
    if (callgrind)
        row(QStringLiteral("Start-up, instructions (callgrind), M"), fmt(irP / 1e6, 1), fmt(irB / 1e6, 1), fmt(irRatio, 2),
            QStringLiteral("<= 1.15 x"), met(irRatio, 1.15));
    const double coldRatio = ratio(median(coldP), median(coldB));
    row(QStringLiteral("Start-up, first window of a process, ms"), fmt(median(coldP), 1), fmt(median(coldB), 1),
        fmt(coldRatio, 2), QStringLiteral("(same)"), met(coldRatio, 1.15));
    const double irColdRatio = ratio(irColdP, irColdB);
    if (callgrind)
        row(QStringLiteral("Start-up, first window of a process, instructions, M"), fmt(irColdP / 1e6, 1),
            fmt(irColdB / 1e6, 1), fmt(irColdRatio, 2), QStringLiteral("(same)"), met(irColdRatio, 1.15));
    const double soRatio = ratio(soP.median, soB.median);
    row(QStringLiteral("Start-up and Open together, ms"), spread(soP, 2), spread(soB, 2), fmt(soRatio, 2),
        QStringLiteral("(for reference)"), QString());
    if (callgrind)
        row(QStringLiteral("Start-up and Open, instructions, M"), fmt(irPO / 1e6, 1), fmt(irBO / 1e6, 1),
            fmt(ratio(irPO, irBO), 2), QStringLiteral("(for reference)"), QString());
    row(QStringLiteral("Open sample.kvd in a new window, ms"), spread(open, 3), QString(), QString(), QStringLiteral("< 1 ms"),
        met(open.median, 1.0));
    row(QStringLiteral("Open again in the same window, ms"), spread(reopen, 3), QString(), QString(),
        QStringLiteral("(for reference)"), QString());
    row(QStringLiteral("Open, first in a fresh process, ms"), fmt(median(coldOpen), 3), QString(), QString(),
        QStringLiteral("(same)"), met(median(coldOpen), 1.0));
    row(QStringLiteral("Save As, tmpfs (no disk flush), ms"), spread(save, 3), QString(), QString(),
        QStringLiteral("< 2 ms"), met(save.median, 2.0));
    row(QStringLiteral("Save in place, tmpfs, with the changed-file check, ms"), spread(saveInPlace, 3), QString(),
        QString(), QStringLiteral("< 2 ms"), met(saveInPlace.median, 2.0));
    row(QStringLiteral("Save As, to disk with its flush, ms"), spread(saveDisk, 3), QString(), QString(),
        QStringLiteral("(for reference)"), QString());
    // Per keystroke: each repetition types 16.
    const auto perKey = [](Figure f) {
        for (double *v : {&f.median, &f.min, &f.max})
            *v = *v < 0 ? *v : *v * 1000.0 / 16;
        return f;
    };
    const double keyRatio = ratio(keyOn.median, keyOff.median);
    row(QStringLiteral("Keystroke in a box, with the history / without, us"), spread(perKey(keyOn), 1),
        spread(perKey(keyOff), 1), fmt(keyRatio, 2), QStringLiteral("<= 1.10 x"), met(keyRatio, 1.10));
    const double irKeyRatio = ratio(irKeysOn, irKeysOff);
    if (callgrind)
        row(QStringLiteral("Keystroke, instructions (callgrind), K"), fmt(irKeysOn / 16e3, 1), fmt(irKeysOff / 16e3, 1),
            fmt(irKeyRatio, 2), QStringLiteral("<= 1.10 x"), met(irKeyRatio, 1.10));
    row(QStringLiteral("Undo then Redo of Delete of a full cut column, ms"), spread(undoRedo, 3), QString(), QString(),
        QStringLiteral("<= 5 ms"), met(undoRedo.median, 5.0));
    row(QStringLiteral("History of 10,000 typing steps, MB"), fmt(historyMb, 2), QString(), QString(),
        QStringLiteral("< 10 MB"), met(historyMb, 10.0));
    row(QStringLiteral("Print four pages to PDF, ms"), spread(print, 1), QString(), QString(), QStringLiteral("< 400 ms"),
        met(print.median, 400.0));
    const double memRatio = ratio(median(memP), median(memB));
    row(QStringLiteral("Peak resident memory after Open, MB"), fmt(median(memP), 1), fmt(median(memB), 1),
        fmt(memRatio, 2), QStringLiteral("<= 1.2 x"), met(memRatio, 1.2));
    if (callgrind)
        out << "\nInstructions (callgrind, warm): Open " << fmt(irOpen / 1e6, 2) << " M, Save As " << fmt(irSave / 1e6, 2)
            << " M, Save " << fmt(irSaveInPlace / 1e6, 2) << " M, Print " << fmt(irPrint / 1e6, 1) << " M\n";
    out << "PDF of the four pages: " << pdfBytes / 1024 << " KiB\n";
    out.flush();
    std::fputs(table.toUtf8().constData(), stdout);
    return 0;
}
