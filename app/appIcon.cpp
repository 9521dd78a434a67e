#include "app/appIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Drawn on the 64-unit grid of the SVG.
QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x79));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    QPen branch(Qt::white, 3, Qt::SolidLine, Qt::RoundCap);
    p.setPen(branch);
    p.drawLine(QPointF(12, 14), QPointF(12, 46));
    for (const qreal y : {24.0, 36.0, 46.0})
        p.drawLine(QPointF(12, y), QPointF(20, y));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 14), 4, 4);

    const QColor plain(0x9f, 0xd3, 0xff), marked(0xff, 0xd2, 0x4d);
    const struct {
        qreal x, y;
        bool marked;
    } cells[] = {{27, 20, false}, {38, 20, false}, {49, 20, false}, {27, 32, false},
                 {38, 32, true},  {49, 32, true},  {27, 44, true},  {38, 44, false}};
    for (const auto& cell : cells) {
        p.setBrush(cell.marked ? marked : plain);
        p.drawRoundedRect(QRectF(cell.x, cell.y, 8, 8), 1.5, 1.5);
    }
    return pixmap;
}

}  // namespace

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(drawIcon(size));
    return icon;
}
