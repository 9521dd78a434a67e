#include "app/hex/offsetColumn.h"

#include <QPainter>
#include <QWheelEvent>

OffsetColumn::OffsetColumn(QWidget* parent) : LinePane(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::NoFocus);
}

void OffsetColumn::paintLine(QPainter& painter, uint64_t line, const QRectF& lineRect)
{
    painter.setPen(palette().color(QPalette::Text));
    drawLine(painter, lineRect, QString::fromLatin1(hexGeometry().offsetLabel(line)));
}

// Only the hex pane moves the column; the wheel over it does nothing, as over a control without a
// scroll bar.
void OffsetColumn::wheelEvent(QWheelEvent* event) { event->ignore(); }
