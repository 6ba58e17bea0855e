#include "artwork.h"

#include <QIconEngine>
#include <QMap>
#include <QPainter>
#include <QPainterPath>

#include <iterator>

namespace {

struct Palette {
    QColor outline, fill, accent, paper;
};

Palette colours(bool greyed)
{
    if (greyed)
        return {QColor(128, 128, 128), QColor(200, 200, 200), QColor(160, 160, 160), QColor(235, 235, 235)};
    return {QColor(40, 40, 40), QColor(232, 184, 64), QColor(32, 96, 176), QColor(255, 255, 255)};
}

void drawOpen(QPainter &p, const Palette &c)
{
    p.setPen(c.outline);
    p.setBrush(c.fill);
    p.drawRect(1, 4, 12, 9);                  // folder body
    p.drawRect(1, 2, 5, 2);                   // tab
    p.setBrush(c.accent);
    const QPointF flap[] = {{3, 7}, {15, 7}, {13, 13}, {1, 13}};
    p.drawPolygon(flap, 4);
}

void drawSave(QPainter &p, const Palette &c)
{
    p.setPen(c.outline);
    p.setBrush(c.accent);
    p.drawRect(1, 1, 13, 13);                 // disk
    p.setBrush(c.paper);
    p.drawRect(4, 1, 7, 5);                   // label
    p.setBrush(c.fill);
    p.drawRect(4, 9, 7, 5);                   // shutter
}

void drawPrint(QPainter &p, const Palette &c)
{
    p.setPen(c.outline);
    p.setBrush(c.paper);
    p.drawRect(4, 1, 7, 5);                   // sheet in
    p.setBrush(c.accent);
    p.drawRect(1, 6, 13, 6);                  // body
    p.setBrush(c.paper);
    p.drawRect(4, 10, 7, 5);                  // sheet out
    p.setPen(c.fill);
    p.drawPoint(12, 8);
}

} // namespace

QPixmap toolBarImage(int image, bool greyed)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const Palette c = colours(greyed);
    switch (image) {
    case 0: drawOpen(p, c); break;
    case 1: drawSave(p, c); break;
    default: drawPrint(p, c); break;
    }
    return pixmap;
}

QIcon toolBarIcon(int image)
{
    QIcon icon;
    icon.addPixmap(toolBarImage(image, false), QIcon::Normal);
    icon.addPixmap(toolBarImage(image, true), QIcon::Disabled);
    return icon;
}

namespace {

QPixmap drawProgramIcon(int size)
{
    // A torch nozzle over a cut line: the program's mark at any size.
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(32, 96, 176));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.setBrush(QColor(220, 220, 228));
    const QPointF nozzle[] = {{11, 5}, {21, 5}, {18, 17}, {14, 17}};
    p.drawPolygon(nozzle, 4);
    p.setBrush(QColor(255, 170, 40));
    const QPointF flame[] = {{14, 18}, {18, 18}, {16, 25}};
    p.drawPolygon(flame, 3);
    p.setPen(QPen(QColor(255, 255, 255), 2));
    p.drawLine(QPointF(4, 26), QPointF(28, 26));
    return pixmap;
}

// Draws each size the first time it is asked for: a window often needs none of them
// (no title bar offscreen) or only the small ones, and the 256-pixel one costs more
// to draw than the rest of the window's start-up icons together.
class ProgramIconEngine : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = qMin(size.width(), size.height());
        const int drawn = nearest(side);
        QPixmap &cached = m_cache[drawn];
        if (cached.isNull())
            cached = drawProgramIcon(drawn);
        // A window icon is never shown greyed, so every mode gets the same picture.
        return drawn == side ? cached : cached.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = qMin(size.width(), size.height());
        return QSize(side, side);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int s : Sizes)
            sizes << QSize(s, s);
        return sizes;
    }

    QIconEngine *clone() const override { return new ProgramIconEngine(*this); }

private:
    static constexpr int Sizes[] = {16, 32, 48, 256};

    // The smallest drawn size that is at least `side`, as QIcon picks among added pixmaps.
    static int nearest(int side)
    {
        for (int s : Sizes)
            if (s >= side)
                return s;
        return Sizes[std::size(Sizes) - 1];
    }

    QMap<int, QPixmap> m_cache;
};

} // namespace

QIcon programIcon()
{
    return QIcon(new ProgramIconEngine);
}
