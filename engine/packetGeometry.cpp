#include "engine/packetGeometry.h"

#include <algorithm>

namespace {

// ceil(a / 2^s) for a signed a: a sub-band's origin can sit left of its level's.
int64_t ceilShiftSigned(int64_t a, unsigned s) { return (a + (int64_t{1} << s) - 1) >> s; }

uint64_t ceilDiv(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

}  // namespace

std::optional<GridInfo> GridInfo::read(const ByteImage& image, uint32_t S)
{
    GridInfo g;
    try {
        const uint64_t p = S;
        const auto field = [&](uint32_t offset) { return uint64_t{image.be32(p + offset)}; };
        g.Xsiz = field(6), g.Ysiz = field(10), g.XOsiz = field(14), g.YOsiz = field(18);
        g.XTsiz = field(22), g.YTsiz = field(26), g.XTOsiz = field(30), g.YTOsiz = field(34);
        g.Csiz = image.be16(p + 38);
        if (g.Csiz == 0 || image.be16(p + 2) != 38 + 3 * g.Csiz)
            return std::nullopt;
        for (uint16_t c = 0; c < g.Csiz; ++c) {
            g.XRsiz.push_back(image.u8(p + 41 + 3 * c));
            g.YRsiz.push_back(image.u8(p + 42 + 3 * c));
            if (g.XRsiz.back() == 0 || g.YRsiz.back() == 0)
                return std::nullopt;
        }
    } catch (const ImageOverrun&) {
        return std::nullopt;
    }
    const bool placed = g.XTsiz != 0 && g.YTsiz != 0 && g.XOsiz < g.Xsiz && g.YOsiz < g.Ysiz && g.XTOsiz <= g.XOsiz &&
                        g.YTOsiz <= g.YOsiz && g.XTOsiz + g.XTsiz > g.XOsiz && g.YTOsiz + g.YTsiz > g.YOsiz;
    if (!placed)
        return std::nullopt;
    return g;
}

Area GridInfo::tileArea(uint32_t t) const
{
    const uint64_t p = t % tilesWide(), q = t / tilesWide();
    return {std::max(XTOsiz + p * XTsiz, XOsiz), std::max(YTOsiz + q * YTsiz, YOsiz),
            std::min(XTOsiz + (p + 1) * XTsiz, Xsiz), std::min(YTOsiz + (q + 1) * YTsiz, Ysiz)};
}

BlockGrid ResolutionGrid::blocks(int band, uint64_t precinct) const
{
    const Area& b = bands[band];
    // A precinct of a level above 0 covers half its size in each sub-band.
    const unsigned px = bandCount == 1 ? PPx : PPx - 1, py = bandCount == 1 ? PPy : PPy - 1;
    const uint64_t column = firstColumn + precinct % columns, row = firstRow + precinct / columns;
    const uint64_t x0 = std::max(column << px, b.x0), x1 = std::min((column + 1) << px, b.x1);
    const uint64_t y0 = std::max(row << py, b.y0), y1 = std::min((row + 1) << py, b.y1);
    if (x0 >= x1 || y0 >= y1)
        return {};
    BlockGrid grid;
    grid.x0 = x0 >> xcb;
    grid.y0 = y0 >> ycb;
    grid.columns = static_cast<uint32_t>(ceilShift(x1, xcb) - grid.x0);
    grid.rows = static_cast<uint32_t>(ceilShift(y1, ycb) - grid.y0);
    return grid;
}

Area ResolutionGrid::precinctArea(uint64_t precinct) const
{
    if (precinct >= precincts())
        return {};
    const uint64_t column = firstColumn + precinct % columns, row = firstRow + precinct / columns;
    return {std::max(column << PPx, area.x0), std::max(row << PPy, area.y0), std::min((column + 1) << PPx, area.x1),
            std::min((row + 1) << PPy, area.y1)};
}

Area TileGeometry::precinctOnGrid(uint16_t component, uint8_t resolution, uint64_t precinct) const
{
    if (component >= levels.size() || resolution >= levels[component].size())
        return {};
    const Area p = levels[component][resolution].precinctArea(precinct);
    if (p.empty())
        return {};
    // A sample of level r stands for 2^(NL - r) samples of its component, each XRsiz × YRsiz of the grid.
    const unsigned up = unsigned(levels[component].size() - 1 - resolution);
    const auto scale = [up](uint64_t v, uint64_t factor) {
        return up >= 64 || v > (UINT64_MAX >> up) / factor ? UINT64_MAX : (v << up) * factor;
    };
    const uint64_t XR = XRsiz[component], YR = YRsiz[component];
    return {std::max(scale(p.x0, XR), tile.x0), std::max(scale(p.y0, YR), tile.y0),
            std::min(scale(p.x1, XR), tile.x1), std::min(scale(p.y1, YR), tile.y1)};
}

TileGeometry TileGeometry::build(const GridInfo& grid, uint32_t tile, const TileCoding& coding)
{
    TileGeometry g;
    g.tile = grid.tileArea(tile);
    g.XRsiz = grid.XRsiz;
    g.YRsiz = grid.YRsiz;
    g.levels.resize(coding.components.size());
    for (size_t c = 0; c < coding.components.size(); ++c) {
        const ComponentCoding& cc = coding.components[c];
        const Area component{ceilDiv(g.tile.x0, grid.XRsiz[c]), ceilDiv(g.tile.y0, grid.YRsiz[c]),
                             ceilDiv(g.tile.x1, grid.XRsiz[c]), ceilDiv(g.tile.y1, grid.YRsiz[c])};
        for (int r = 0; r <= cc.NL; ++r) {
            ResolutionGrid level;
            const unsigned down = cc.NL - r;
            level.area = {ceilShift(component.x0, down), ceilShift(component.y0, down), ceilShift(component.x1, down),
                          ceilShift(component.y1, down)};
            level.PPx = cc.PPx[r];
            level.PPy = cc.PPy[r];
            level.xcb = std::min<uint8_t>(cc.xcb, r == 0 ? level.PPx : level.PPx - 1);
            level.ycb = std::min<uint8_t>(cc.ycb, r == 0 ? level.PPy : level.PPy - 1);
            if (!level.area.empty()) {
                level.firstColumn = level.area.x0 >> level.PPx;
                level.firstRow = level.area.y0 >> level.PPy;
                level.columns = ceilShift(level.area.x1, level.PPx) - level.firstColumn;
                level.rows = ceilShift(level.area.y1, level.PPy) - level.firstRow;
            }
            if (r == 0) {
                level.bandCount = 1;
                level.bands[0] = level.area;
            } else {
                // HL, LH, HH: offset by half a sample of the level below in x, y or both.
                level.bandCount = 3;
                const unsigned nb = cc.NL - r + 1;
                const int64_t half = int64_t{1} << (nb - 1);
                for (int b = 0; b < 3; ++b) {
                    const int64_t xo = b != 1 ? half : 0, yo = b != 0 ? half : 0;
                    level.bands[b] = {uint64_t(ceilShiftSigned(int64_t(component.x0) - xo, nb)),
                                      uint64_t(ceilShiftSigned(int64_t(component.y0) - yo, nb)),
                                      uint64_t(ceilShiftSigned(int64_t(component.x1) - xo, nb)),
                                      uint64_t(ceilShiftSigned(int64_t(component.y1) - yo, nb))};
                }
            }
            level.firstPrecinct = g.precinctCount;
            // Levels are at most 2^33 precincts wide and high: the sum saturates rather than wraps.
            const uint64_t count = level.columns > 0 && level.rows > UINT64_MAX / level.columns
                                       ? UINT64_MAX
                                       : level.precincts();
            g.precinctCount = count > UINT64_MAX - g.precinctCount ? UINT64_MAX : g.precinctCount + count;
            g.levels[c].push_back(level);
        }
    }
    return g;
}
