#include "app/preview/previewGeometry.h"

#include <algorithm>
#include <cmath>

PreviewGeometry::PreviewGeometry(const ImageRegion& region, QSizeF pane) : region_(region)
{
    const double width = double(region.x1) - region.x0, height = double(region.y1) - region.y0;
    if (width <= 0 || height <= 0 || pane.isEmpty())
        return;
    const double scale = std::min(pane.width() / width, pane.height() / height);
    const QSizeF shown(width * scale, height * scale);
    picture_ = QRectF(QPointF((pane.width() - shown.width()) / 2, (pane.height() - shown.height()) / 2), shown);
}

QRectF PreviewGeometry::paneRect(const GridRect& r) const
{
    const double sx = picture_.width() / (double(region_.x1) - region_.x0);
    const double sy = picture_.height() / (double(region_.y1) - region_.y0);
    return QRectF(QPointF(picture_.left() + (double(r.x0) - region_.x0) * sx,
                          picture_.top() + (double(r.y0) - region_.y0) * sy),
                  QPointF(picture_.left() + (double(r.x1) - region_.x0) * sx,
                          picture_.top() + (double(r.y1) - region_.y0) * sy));
}

std::optional<GridPoint> PreviewGeometry::gridPoint(QPointF at) const
{
    if (isEmpty() || at.x() < picture_.left() || at.x() >= picture_.right() || at.y() < picture_.top() ||
        at.y() >= picture_.bottom())
        return std::nullopt;
    const auto along = [](double from, double offset, double length, uint32_t first, uint32_t end) {
        const double step = (double(end) - first) / length;
        return static_cast<uint32_t>(std::min<double>(end - 1, first + std::floor((offset - from) * step)));
    };
    return GridPoint{along(picture_.left(), at.x(), picture_.width(), region_.x0, region_.x1),
                     along(picture_.top(), at.y(), picture_.height(), region_.y0, region_.y1)};
}

std::optional<uint64_t> PreviewGeometry::tileAt(const TileGrid& grid, QPointF at) const
{
    const auto point = gridPoint(at);
    return point ? grid.tileAt(point->x, point->y) : std::nullopt;
}

GridRect PreviewGeometry::tilesInView(const TileGrid& grid) const
{
    if (isEmpty())
        return {};
    return grid.tilesMeeting({region_.x0, region_.y0, region_.x1, region_.y1});
}

bool PreviewGeometry::showsTiles(const TileGrid& grid) const
{
    const GridRect tiles = tilesInView(grid);
    const uint64_t count = uint64_t{tiles.x1 - tiles.x0} * (tiles.y1 - tiles.y0);
    const QRectF tile = paneRect({0, 0, grid.XTsiz, grid.YTsiz});
    return count > 0 && count <= maxTilesDrawn && tile.width() >= leastTilePixels &&
           tile.height() >= leastTilePixels;
}

bool PreviewGeometry::wantsNewDecode(QSize requested, QSize now, QSizeF image, bool fullResolution, bool decoding)
{
    if (now.isEmpty())
        return false;
    if (requested.isEmpty())
        return true;
    const QSizeF area = image.isEmpty() ? QSizeF(1, 1) : image;
    const auto fit = [&](QSize pane) { return std::min(pane.width() / area.width(), pane.height() / area.height()); };
    const double growth = fit(now) / fit(requested);
    return growth >= 1.5 ? !fullResolution : growth < 0.5 && decoding;
}
