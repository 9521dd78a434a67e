#pragma once
// Where the packets of a tile come from: the tile on the reference grid, each tile-component's
// resolution levels, their precinct partitions and sub-bands, and the code-blocks that a precinct
// holds in each sub-band. Coordinates are 64-bit: a grid of 2^32 samples divided by powers of two
// up to 2^47 must neither wrap nor lose its ceilings.

#include "engine/byteImage.h"
#include "engine/packetCoding.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct Area {
    uint64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// ceil(v / 2^s) and floor(v / 2^s) for values below 2^63 and any shift.
inline uint64_t ceilShift(uint64_t v, unsigned s) { return s >= 63 ? (v != 0) : (v + (uint64_t{1} << s) - 1) >> s; }
inline uint64_t floorShift(uint64_t v, unsigned s) { return s >= 63 ? 0 : v >> s; }

// The image and tile grid of SIZ.
struct GridInfo {
    uint64_t Xsiz = 0, Ysiz = 0, XOsiz = 0, YOsiz = 0, XTsiz = 0, YTsiz = 0, XTOsiz = 0, YTOsiz = 0;
    uint16_t Csiz = 0;
    std::vector<uint8_t> XRsiz, YRsiz;

    // Nothing when the fields place no tile: a length that disagrees with Csiz, a size or
    // separation of 0, an image area outside the first tile.
    static std::optional<GridInfo> read(const ByteImage& image, uint32_t S);
    uint64_t tilesWide() const { return (Xsiz - XTOsiz + XTsiz - 1) / XTsiz; }
    uint64_t tilesHigh() const { return (Ysiz - YTOsiz + YTsiz - 1) / YTsiz; }
    bool hasTile(uint32_t t) const { return t / tilesWide() < tilesHigh(); }
    Area tileArea(uint32_t t) const;
};

// The code-blocks of one precinct in one sub-band: a rectangle of the sub-band's code-block grid.
struct BlockGrid {
    uint64_t x0 = 0, y0 = 0;  // grid indices of the first code-block
    uint32_t columns = 0, rows = 0;
    uint64_t count() const { return uint64_t{columns} * rows; }
};

// One resolution level of one tile-component.
struct ResolutionGrid {
    Area area;  // on the level's own grid
    uint8_t PPx = 15, PPy = 15;
    uint8_t xcb = 6, ycb = 6;         // code-block exponents within its sub-bands: xcb', ycb'
    uint64_t firstColumn = 0, firstRow = 0;  // absolute indices of the first precinct column and row
    uint64_t columns = 0, rows = 0;          // precincts; none when the level has no area
    uint64_t firstPrecinct = 0;              // number of the tile's precincts before this level's
    uint8_t bandCount = 0;                   // 1 (LL) at level 0, else 3 (HL, LH, HH)
    std::array<Area, 3> bands{};

    uint64_t precincts() const { return columns * rows; }
    BlockGrid blocks(int band, uint64_t precinct) const;
    // The precinct's part of the level, on the level's own grid.
    Area precinctArea(uint64_t precinct) const;
};

struct TileGeometry {
    Area tile;  // on the reference grid
    std::vector<uint8_t> XRsiz, YRsiz;
    std::vector<std::vector<ResolutionGrid>> levels;  // [component][resolution level]
    uint64_t precinctCount = 0;                       // of all tile-components and levels

    static TileGeometry build(const GridInfo& grid, uint32_t tile, const TileCoding& coding);
    // What a precinct of a tile-component's level covers on the reference grid, within the tile.
    Area precinctOnGrid(uint16_t component, uint8_t resolution, uint64_t precinct) const;
};
