#pragma once

#include "app/pelorinform.h"
#include "record/definitionrecord.h"
#include "scriptedplatform.h"

#include <QByteArray>
#include <QTemporaryDir>

// Files made by a test, in a folder of their own that goes away with the test.
class TestFiles
{
public:
    TestFiles();
    QString path(const QString &name) const;
    QString write(const QString &name, const QByteArray &bytes) const;
    QString write(const QString &name, const kvd::DefinitionRecord &record) const { return write(name, record.toBytes()); }
    static QByteArray read(const QString &path);

private:
    QTemporaryDir m_dir;
};

// The real main window, shown, with every dialog answered by the script.
struct Harness {
    ScriptedPlatform platform;
    TPelorinForm form{platform};

    Harness();
    // Open through the menu command, answering the open dialog with `path`.
    void open(const QString &path);
    void saveAs(const QString &path);
    QAction *action(const char *objectName) const;
    template<typename T> T *widget(const char *objectName) const
    {
        return form.findChild<T *>(QLatin1String(objectName));
    }
};
