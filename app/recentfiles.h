#pragma once

#include <QStringList>

// The files last opened or saved under a new name, newest first. They are the program's
// only setting, kept with QSettings (organisation and application "Pelorin"): the
// registry under HKEY_CURRENT_USER on Windows, a file under ~/.config elsewhere. A store
// that cannot be read or written gives an empty or unchanged list, never an error.
namespace recentfiles {

constexpr int Limit = 8;

QStringList load();
void add(const QStringList &paths); // the last one becomes the newest
void remove(const QString &path);
// "&1 C:\Shop\plasma.kvd": the system's separators, a long path shortened in its middle.
QString menuText(int number, const QString &path);

} // namespace recentfiles
