// Drives the real window in a process of its own, for the fault tests: they kill it
// while it saves, or run it as another user so that the kernel enforces permissions.
//
//   savehelper probe <folder>
//       Prints "ok" when this user can read, write and enter the folder.
//   savehelper loop <source> <target>
//       Writes <target>.a (the source saved unedited) and <target>.b (saved after edits
//       all over the record), copies version a to <target>, prints "ready", then saves
//       the two versions over <target> by turns with Save As until it is killed.
//   savehelper once <source> <before> <save|saveas> [target]
//       Opens the source, edits it, does <before> (none, readonly, delete, fsize) and
//       saves; prints every error box as "Error: ..." or "Pelorin: ..." and then
//       "modified 0" or "modified 1".

#include "pages/codeedit.h"
#include "pages/radiogroup.h"
#include "support/editscript.h"
#include "support/harness.h"

#include <QApplication>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int fail(const char *what)
{
    std::fprintf(stderr, "savehelper: %s\n", what);
    return 3;
}

// An edit in every part of the record: the first and last text fields, a code of
// slot 1, and the last two choices.
void editEverywhere(Harness &h)
{
    h.widget<CodeEdit>("ControllerEdit")->setText(QStringLiteral("version b"));
    h.widget<CodeEdit>("SFEdit")->setText(QStringLiteral("%b"));
    h.widget<CodeEdit>("APCol1")->setText(QStringLiteral("M99"));
    h.widget<CodeEdit>("AZIFEdit")->setText(QStringLiteral("G92 X0 Y0 b"));
    for (const char *name : {"NonModalRadGroup", "RadGroupKerfCompIncVal"}) {
        RadioGroup *group = h.widget<RadioGroup>(name);
        group->setItemIndex(1 - group->itemIndex());
    }
}

int loop(const QString &source, const QString &target)
{
    Harness a, b;
    if (!openThroughMenu(a, source).isEmpty() || !openThroughMenu(b, source).isEmpty())
        return fail("cannot open the source");
    editEverywhere(b);
    if (!saveAsThroughMenu(a, target + QStringLiteral(".a")).isEmpty()
        || !saveAsThroughMenu(b, target + QStringLiteral(".b")).isEmpty()
        || !saveAsThroughMenu(a, target).isEmpty())
        return fail("cannot write the versions");
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        b.platform.saveNames << target;
        b.form.SaveAsClick();
        a.platform.saveNames << target;
        a.form.SaveAsClick();
        for (const Harness *h : {&a, &b})
            if (!h->platform.texts(ScriptedPlatform::Shown::ErrorBox).isEmpty()
                || !h->platform.texts(ScriptedPlatform::Shown::DefaultErrorBox).isEmpty())
                return fail("a save failed");
    }
}

int once(const QString &source, const QString &before, const QString &command, const QString &target)
{
    Harness h;
    QStringList boxes = openThroughMenu(h, source);
    if (!boxes.isEmpty())
        return fail("cannot open the source");
    h.widget<CodeEdit>("ControllerEdit")->setText(QStringLiteral("edited"));

    const QByteArray name = QFile::encodeName(source);
    if (before == QLatin1String("readonly")) {
        if (::chmod(name.constData(), 0444) != 0)
            return fail("chmod failed");
    } else if (before == QLatin1String("delete")) {
        if (::unlink(name.constData()) != 0)
            return fail("unlink failed");
    } else if (before == QLatin1String("fsize")) {
        // The disk "fills" after 1024 bytes of any file this process writes.
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {1024, 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return fail("setrlimit failed");
    } else if (before != QLatin1String("none")) {
        return fail("unknown step");
    }

    const qsizetype mark = h.platform.shown.size();
    if (command == QLatin1String("saveas")) {
        boxes = saveAsThroughMenu(h, target);
    } else {
        h.form.FileSaveClick();
        boxes << boxesSince(h, mark);
    }
    for (const QString &box : boxes)
        std::printf("%s\n", box.toLocal8Bit().constData());
    std::printf("modified %d\n", h.form.Modified ? 1 : 0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("probe") && args.size() == 2) {
        if (::access(QFile::encodeName(args.at(1)).constData(), R_OK | W_OK | X_OK) != 0)
            return fail("cannot use the folder");
        std::printf("ok\n");
        return 0;
    }
    if (args.value(0) == QLatin1String("loop") && args.size() == 3)
        return loop(args.at(1), args.at(2));
    if (args.value(0) == QLatin1String("once") && args.size() >= 4)
        return once(args.at(1), args.at(2), args.at(3), args.value(4));
    return fail("usage: savehelper probe <folder> | loop <source> <target> | once <source> <before> <save|saveas> [target]");
}
