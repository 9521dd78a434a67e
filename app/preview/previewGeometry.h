#pragma once
// Where a decoded picture and the tile grid over it stand in the preview. The picture shows a region
// of the reference grid; it is fitted whole into the pane at the region's proportions and centred,
// and every rectangle, point and tile converts between the reference grid and the pane through that
// one rectangle, so that the picture, the grid drawn over it and the clicks on it cannot drift
// apart. Plain geometry, no widget.

#include "decode/previewReply.h"
#include "present/tileGrid.h"

#include <QPointF>
#include <QRectF>
#include <QSize>

#include <optional>

struct GridPoint {
    uint32_t x = 0, y = 0;
    bool operator==(const GridPoint&) const = default;
};

class PreviewGeometry {
public:
    // Past this many tiles in view, or tiles narrower than this many pixels, the grid is not drawn
    // nor its tiles marked one by one: they would be a grey blur, and cost a paint per tile.
    static constexpr uint64_t maxTilesDrawn = 4096;
    static constexpr double leastTilePixels = 4;

    PreviewGeometry() = default;
    PreviewGeometry(const ImageRegion& region, QSizeF pane);

    bool isEmpty() const { return picture_.isEmpty(); }
    QRectF pictureRect() const { return picture_; }
    // A rectangle of the reference grid in the pane, not clipped.
    QRectF paneRect(const GridRect& r) const;
    // The point of the reference grid under a point of the pane; nothing off the picture.
    std::optional<GridPoint> gridPoint(QPointF at) const;
    std::optional<uint64_t> tileAt(const TileGrid& grid, QPointF at) const;
    // The tiles the picture shows: columns and rows [first, last).
    GridRect tilesInView(const TileGrid& grid) const;
    // The tiles in view are few and large enough to draw one by one.
    bool showsTiles(const TileGrid& grid) const;

    // Whether a pane that went from the size last asked for to `now` wants the picture decoded
    // again: half as large again, unless the picture has all its pixels already; under half as
    // large, only while that decode still runs (a smaller one ends sooner). `image`: the image
    // area's size on the reference grid.
    static bool wantsNewDecode(QSize requested, QSize now, QSizeF image, bool fullResolution, bool decoding);

private:
    ImageRegion region_;
    QRectF picture_;
};
