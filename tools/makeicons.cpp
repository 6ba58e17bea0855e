// Renders the program icon, as the window shows it, to PNG files for the icon theme and
// to one Windows icon file for the .exe: makeicons DIR writes
// DIR/<size>x<size>/apps/org.pelorin.Pelorin.png and DIR/org.pelorin.Pelorin.ico.

#include "app/artwork.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QTextStream>
#include <QtEndian>

namespace {

template<typename T>
void put(QByteArray &out, T value)
{
    char bytes[sizeof value];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof value);
}

// An .ico holding one PNG per size, as Windows reads them since Vista.
QByteArray icoFile(const QList<QByteArray> &pngs, const QList<int> &sizes)
{
    QByteArray out;
    put<quint16>(out, 0);
    put<quint16>(out, 1); // an icon, not a cursor
    put<quint16>(out, quint16(pngs.size()));
    quint32 offset = 6 + 16 * quint32(pngs.size());
    for (int i = 0; i < pngs.size(); ++i) {
        const char side = char(sizes.at(i) >= 256 ? 0 : sizes.at(i)); // 0 stands for 256
        out.append(side).append(side).append('\0').append('\0');
        put<quint16>(out, 1);  // planes
        put<quint16>(out, 32); // bits per pixel
        put<quint32>(out, quint32(pngs.at(i).size()));
        put<quint32>(out, offset);
        offset += quint32(pngs.at(i).size());
    }
    for (const QByteArray &png : pngs)
        out += png;
    return out;
}

} // namespace

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
    const QList<int> sizes{16, 32, 48, 256};
    QList<QByteArray> pngs;
    for (int size : sizes) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args.at(1)).arg(size);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        const QPixmap pixmap = icon.pixmap(size, size);
        if (!QDir().mkpath(dir) || !pixmap.save(&buffer, "PNG") || !pixmap.save(dir + QStringLiteral("/org.pelorin.Pelorin.png"))) {
            QTextStream(stderr) << "cannot write icons below " << dir << '\n';
            return 1;
        }
        pngs << png;
    }
    QFile ico(args.at(1) + QStringLiteral("/org.pelorin.Pelorin.ico"));
    const QByteArray bytes = icoFile(pngs, sizes);
    if (!ico.open(QIODevice::WriteOnly) || ico.write(bytes) != bytes.size()) {
        QTextStream(stderr) << "cannot write " << ico.fileName() << '\n';
        return 1;
    }
    return 0;
}
