#include "harness.h"

#include <QAction>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

TestFiles::TestFiles()
{
    m_dir.setAutoRemove(true);
}

QString TestFiles::path(const QString &name) const
{
    return m_dir.filePath(name);
}

QString TestFiles::write(const QString &name, const QByteArray &bytes) const
{
    const QString p = path(name);
    QFile file(p);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(p));
    return p;
}

QByteArray TestFiles::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

Harness::Harness()
{
    // The recent files go to a store of this test process's own: not the user's list, and not
    // one that test programs running beside it write at the same time.
    QStandardPaths::setTestModeEnabled(true);
    static QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    form.show();
}

void Harness::open(const QString &path)
{
    platform.openNames << path;
    form.OpenClick();
}

void Harness::saveAs(const QString &path)
{
    platform.saveNames << path;
    form.SaveAsClick();
}

QAction *Harness::action(const char *objectName) const
{
    return form.findChild<QAction *>(QLatin1String(objectName));
}
