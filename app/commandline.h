#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for, read before any window system is needed, so that
// --version and a wrong call answer without a display.
struct CommandLine {
    enum Action { StartEditor, PrintAndExit };
    Action action = StartEditor;
    int exitCode = 0;   // for PrintAndExit
    QString output;     // for PrintAndExit: the text to print
    bool toStandardError = false;
    QString file;       // for StartEditor: the file to open, or empty

    static CommandLine parse(const QStringList &arguments); // arguments[0] is the program
};
