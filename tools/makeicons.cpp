// Renders the program icon, as the window shows it, to PNG files for the icon theme:
// makeicons DIR writes DIR/<size>x<size>/apps/org.pelorin.Pelorin.png.

#include "app/artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: makeicons DIR\n";
        return 2;
    }
    const QIcon icon = programIcon();
    for (int size : {16, 32, 48, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args.at(1)).arg(size);
        if (!QDir().mkpath(dir) || !icon.pixmap(size, size).save(dir + QStringLiteral("/org.pelorin.Pelorin.png"))) {
            QTextStream(stderr) << "cannot write icons below " << dir << '\n';
            return 1;
        }
    }
    return 0;
}
