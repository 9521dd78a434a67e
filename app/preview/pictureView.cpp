#include "app/preview/pictureView.h"

#include "app/preview/tileMarks.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <QToolTip>

#include <algorithm>

namespace {

// Over a picture of any colours: a dark line with a light dashed one on it.
void drawOutline(QPainter& painter, const QRectF& r, const QColor& dark, const QColor& light, qreal width)
{
    QPen pen(dark, width);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r);
    pen.setColor(light);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawRect(r);
}

// Told apart by their patterns as well as by their colours. A sliver of a tile at the image's edge
// is marked a few pixels wide, so that its mark can be seen.
void drawMark(QPainter& painter, QRectF r, TileMark mark)
{
    constexpr qreal least = 4;
    r.adjust(-std::max(0.0, least - r.width()) / 2, -std::max(0.0, least - r.height()) / 2,
             std::max(0.0, least - r.width()) / 2, std::max(0.0, least - r.height()) / 2);
    switch (mark) {
    case TileMark::none:
        return;
    case TileMark::absent: {
        painter.fillRect(r, QColor(96, 96, 96, 170));
        QPen pen(QColor(255, 255, 255, 220), 2);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawLine(r.topLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomLeft());
        return;
    }
    case TileMark::failed:
        painter.fillRect(r, QColor(200, 0, 0, 90));
        painter.fillRect(r, QBrush(QColor(120, 0, 0, 220), Qt::DiagCrossPattern));
        return;
    case TileMark::faulty:
        painter.fillRect(r, QBrush(QColor(230, 140, 0, 230), Qt::BDiagPattern));
        return;
    }
}

}  // namespace

PictureView::PictureView(const TileMarks& marks, QWidget* parent) : QWidget(parent), marks_(marks)
{
    setObjectName("picture");
    setAccessibleName(QString::fromUtf8("podgląd obrazu"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);
}

void PictureView::setPicture(const QImage& image, const ImageRegion& region, const QString& facts)
{
    image_ = image;
    region_ = region;
    facts_ = facts;
    message_.clear();
    retell();
}

void PictureView::showMessage(const QString& message)
{
    image_ = QImage();
    facts_.clear();
    message_ = message;
    retell();
}

void PictureView::setGrid(std::optional<TileGrid> grid)
{
    grid_ = grid;
    tile_.reset();
    area_.reset();
    retell();
}

void PictureView::marksChanged() { retell(); }

void PictureView::setHighlightedTile(std::optional<uint64_t> tile)
{
    if (tile == tile_)
        return;
    tile_ = tile;
    retell();
}

void PictureView::setHighlightedArea(std::optional<GridRect> area)
{
    if (area == area_)
        return;
    area_ = area;
    retell();
}

PreviewGeometry PictureView::pictureGeometry() const
{
    return hasPicture() ? PreviewGeometry(region_, QSizeF(size())) : PreviewGeometry();
}

void PictureView::chooseTile(uint64_t tile)
{
    setHighlightedTile(tile);
    emit tileChosen(tile);
}

void PictureView::retell()
{
    QStringList parts{message_.isEmpty() ? facts_ : message_};
    if (tile_)
        parts << marks_.describe(*tile_) + QLatin1Char('.');
    if (area_)
        parts << QString::fromUtf8("Precinct pakietu: x %1–%2, y %3–%4 siatki odniesienia.")
                     .arg(area_->x0)
                     .arg(area_->x1)
                     .arg(area_->y0)
                     .arg(area_->y1);
    if (message_.isEmpty())
        parts << marks_.summary();
    parts.removeAll(QString());
    setAccessibleDescription(parts.join(QLatin1Char(' ')));
    update();
}

bool PictureView::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const auto tile = grid_ ? pictureGeometry().tileAt(*grid_, help->pos()) : std::nullopt;
    if (tile)
        QToolTip::showText(help->globalPos(), marks_.describe(*tile), this);
    else
        QToolTip::hideText();
    return true;
}

void PictureView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
    const PreviewGeometry g = pictureGeometry();
    if (g.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, message_);
        return;
    }
    // Smoothed when made smaller; made larger, its pixels stay sharp for a close look.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, g.pictureRect().width() < image_.width());
    painter.drawImage(g.pictureRect(), image_);
    painter.setClipRect(g.pictureRect());
    if (grid_ && g.showsTiles(*grid_)) {
        const GridRect view = g.tilesInView(*grid_);
        for (uint64_t row = view.y0; row < view.y1; ++row)
            for (uint64_t column = view.x0; column < view.x1; ++column) {
                const uint64_t tile = row * grid_->columns() + column;
                drawMark(painter, g.paneRect(grid_->tile(tile)), marks_.markOf(tile));
            }
        for (uint64_t row = view.y0; row < view.y1; ++row)
            for (uint64_t column = view.x0; column < view.x1; ++column)
                drawOutline(painter, g.paneRect(grid_->tile(row * grid_->columns() + column)), QColor(0, 0, 0, 150),
                            QColor(255, 255, 255, 150), 1);
    }
    const QColor highlight = palette().color(QPalette::Highlight);
    // A precinct smaller than its tile is filled as well as outlined, to stand apart from the tile's
    // outline; one that is the whole tile would only veil the picture.
    if (area_) {
        if (!grid_ || !tile_ || *tile_ >= grid_->count() || grid_->tile(*tile_) != *area_) {
            QColor fill = highlight;
            fill.setAlpha(90);
            painter.fillRect(g.paneRect(*area_), fill);
        }
        drawOutline(painter, g.paneRect(*area_), highlight, Qt::white, 2);
    }
    if (grid_ && tile_ && *tile_ < grid_->count())
        drawOutline(painter, g.paneRect(grid_->tile(*tile_)).adjusted(1, 1, -1, -1), highlight, Qt::white, 3);
}

void PictureView::mousePressEvent(QMouseEvent* event)
{
    const auto tile = grid_ ? pictureGeometry().tileAt(*grid_, event->position()) : std::nullopt;
    if (event->button() == Qt::LeftButton && tile)
        chooseTile(*tile);
    QWidget::mousePressEvent(event);
}

// The arrows step to the neighbouring tile, Home to the first, End to the last.
void PictureView::keyPressEvent(QKeyEvent* event)
{
    if (!grid_ || !hasPicture())
        return QWidget::keyPressEvent(event);
    const uint64_t columns = grid_->columns(), count = grid_->count();
    const uint64_t at = tile_.value_or(0);
    std::optional<uint64_t> next;
    switch (event->key()) {
    case Qt::Key_Left:
        next = at % columns > 0 ? at - 1 : at;
        break;
    case Qt::Key_Right:
        next = at % columns + 1 < columns && at + 1 < count ? at + 1 : at;
        break;
    case Qt::Key_Up:
        next = at >= columns ? at - columns : at;
        break;
    case Qt::Key_Down:
        next = at + columns < count ? at + columns : at;
        break;
    case Qt::Key_Home:
        next = 0;
        break;
    case Qt::Key_End:
        next = count - 1;
        break;
    default:
        return QWidget::keyPressEvent(event);
    }
    // The first key shows where the keys stand before it moves anything.
    chooseTile(tile_ ? *next : at);
}
