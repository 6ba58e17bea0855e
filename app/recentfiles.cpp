#include "recentfiles.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace recentfiles {

namespace {

const QString Key = QStringLiteral("RecentFiles");
constexpr int LongestShown = 64;

std::unique_ptr<QSettings> store()
{
    // Under test, a file in the test folders: the registry knows no test mode.
    const auto format = QStandardPaths::isTestModeEnabled() ? QSettings::IniFormat : QSettings::NativeFormat;
    return std::make_unique<QSettings>(format, QSettings::UserScope, QStringLiteral("Pelorin"), QStringLiteral("Pelorin"));
}

bool samePath(const QString &a, const QString &b)
{
#ifdef Q_OS_WIN
    return QDir::cleanPath(a).compare(QDir::cleanPath(b), Qt::CaseInsensitive) == 0;
#else
    return QDir::cleanPath(a) == QDir::cleanPath(b);
#endif
}

void save(const QStringList &list)
{
    store()->setValue(Key, list);
}

QStringList without(QStringList list, const QString &path)
{
    list.removeIf([&path](const QString &p) { return samePath(p, path); });
    return list;
}

} // namespace

QStringList load()
{
    // Whatever the store holds: only non-empty names, each once, at most eight.
    QStringList list;
    const QVariant value = store()->value(Key);
    const QStringList stored = value.typeId() == QMetaType::QString ? QStringList{value.toString()} : value.toStringList();
    for (const QString &path : stored)
        if (!path.isEmpty() && !path.contains(QChar(0)) && without(list, path).size() == list.size() && list.size() < Limit)
            list << path;
    return list;
}

void add(const QStringList &paths)
{
    QStringList list = load();
    for (const QString &path : paths) {
        list = without(list, path);
        list.prepend(path);
    }
    save(list.mid(0, Limit));
}

void remove(const QString &path)
{
    const QStringList list = load();
    const QStringList rest = without(list, path);
    if (rest.size() != list.size())
        save(rest);
}

QString menuText(int number, const QString &path)
{
    QString shown = QDir::toNativeSeparators(path);
    if (shown.size() > LongestShown) {
        const int head = LongestShown / 2 - 2;
        shown = shown.left(head) + QStringLiteral("...") + shown.right(LongestShown - head - 3);
    }
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(number).arg(shown);
}

} // namespace recentfiles
