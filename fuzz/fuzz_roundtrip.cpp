// libFuzzer target: any bytes as a definition file, opened in the real window, edited by
// a script read from the bytes beyond the record (Undo and Redo among its actions), saved
// with Save As. A short file must be refused and change nothing; a whole one must come
// back as the round-trip and edit-locality properties allow, byte for byte, and undoing
// and redoing every step must give the unedited and the edited file. Any breach aborts,
// so libFuzzer keeps it.

#include "support/editscript.h"
#include "support/harness.h"
#include "support/savemask.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

QApplication *app = nullptr;
Harness *harness = nullptr;
TestFiles *files = nullptr;

[[noreturn]] void breach(const QString &what, const ScriptResult *script = nullptr)
{
    std::fprintf(stderr, "property broken: %s\n", qPrintable(what));
    if (script)
        std::fprintf(stderr, "edit script: %s\n", qPrintable(script->log.join(QStringLiteral(", "))));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_roundtrip";
    static char *argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    harness = new Harness;
    files = new TestFiles;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Harness &h = *harness;
    h.platform.shown.clear();
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString source = files->write(QStringLiteral("in.kvd"), input);
    const QString target = files->path(QStringLiteral("out.kvd"));
    QFile::remove(target);

    if (input.size() < kvd::RecordSize) {
        const kvd::DefinitionRecord before = h.form.record();
        const QString caption = h.form.caption();
        const QStringList boxes = openThroughMenu(h, source);
        if (boxes != QStringList{QStringLiteral("Pelorin: Read beyond end of file.")})
            breach(QStringLiteral("short file gave: ") + boxes.join(QLatin1Char('|')));
        if (h.form.record() != before || h.form.caption() != caption)
            breach(QStringLiteral("a refused open changed the document"));
        return 0;
    }

    const QStringList opened = openThroughMenu(h, source);
    if (!opened.isEmpty() || h.form.Modified)
        breach(QStringLiteral("open gave: ") + opened.join(QLatin1Char('|')));
    ByteChoices choices(input.mid(kvd::RecordSize));
    const ScriptResult script = runEditScript(h, input, choices, 16);
    const QStringList boxes = saveAsThroughMenu(h, target);
    if (!boxes.isEmpty()) {
        if (!script.badNumber || boxes.size() != 1 || QFile::exists(target) || !h.form.Modified)
            breach(QStringLiteral("Save As gave: ") + boxes.join(QLatin1Char('|')), &script);
        const QString history = checkHistory(h, input.left(kvd::RecordSize), QByteArray(), *files);
        if (!history.isEmpty())
            breach(history, &script);
        return 0;
    }
    const QByteArray written = TestFiles::read(target);
    const QString wrong = savemask::check(savemask::expectSave(input, script.trace), written);
    if (!wrong.isEmpty())
        breach(wrong, &script);
    const QString values = checkEditedValues(h, script.trace, written);
    if (!values.isEmpty())
        breach(values, &script);
    const QString history = checkHistory(h, input.left(kvd::RecordSize), written, *files);
    if (!history.isEmpty())
        breach(history, &script);
    return 0;
}
