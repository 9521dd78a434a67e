#pragma once
// The tile grid of SIZ on the reference grid, for drawing it over a decoded picture and for finding
// the tile under a point: tiles numbered in raster order from 0, as Isot counts them, each clipped
// to the image area.

#include <cstdint>
#include <optional>

class jpcAnalyzer;

struct GridRect {
    uint32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // [x0, x1) × [y0, y1)
    bool operator==(const GridRect&) const = default;
};

struct TileGrid {
    uint32_t Xsiz = 0, Ysiz = 0, XOsiz = 0, YOsiz = 0;
    uint32_t XTsiz = 0, YTsiz = 0, XTOsiz = 0, YTOsiz = 0;

    GridRect image() const { return {XOsiz, YOsiz, Xsiz, Ysiz}; }
    uint32_t columns() const;
    uint32_t rows() const;
    uint64_t count() const { return uint64_t{columns()} * rows(); }
    GridRect tile(uint64_t index) const;
    // Nothing outside the image area.
    std::optional<uint64_t> tileAt(uint32_t x, uint32_t y) const;
    // The columns and rows of tiles that meet a rectangle, as [first, last) in each direction:
    // the lines to draw for the part in view.
    GridRect tilesMeeting(const GridRect& area) const;
};

// Nothing when the grid makes no sense: XTsiz or YTsiz 0, an empty image area, or a first tile
// that does not overlap it (code 12008).
std::optional<TileGrid> makeTileGrid(const TileGrid& fields);

// The grid of the analysed codestream's SIZ; nothing when the fields lie past the end of the file
// or make no grid.
std::optional<TileGrid> readTileGrid(const jpcAnalyzer& analyzer);
