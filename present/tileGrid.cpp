#include "present/tileGrid.h"

#include "engine/jpcAnalyzer.h"

#include <algorithm>

namespace {

uint32_t spans(uint32_t from, uint32_t to, uint32_t size)
{
    return static_cast<uint32_t>((uint64_t{to} - from + size - 1) / size);
}

}  // namespace

uint32_t TileGrid::columns() const { return spans(XTOsiz, Xsiz, XTsiz); }
uint32_t TileGrid::rows() const { return spans(YTOsiz, Ysiz, YTsiz); }

GridRect TileGrid::tile(uint64_t index) const
{
    const uint64_t x = XTOsiz + index % columns() * XTsiz;
    const uint64_t y = YTOsiz + index / columns() * YTsiz;
    auto clip = [](uint64_t v, uint32_t lo, uint32_t hi) {
        return static_cast<uint32_t>(std::clamp<uint64_t>(v, lo, hi));
    };
    return {clip(x, XOsiz, Xsiz), clip(y, YOsiz, Ysiz), clip(x + XTsiz, XOsiz, Xsiz), clip(y + YTsiz, YOsiz, Ysiz)};
}

std::optional<uint64_t> TileGrid::tileAt(uint32_t x, uint32_t y) const
{
    if (x < XOsiz || x >= Xsiz || y < YOsiz || y >= Ysiz)
        return std::nullopt;
    return uint64_t{(y - YTOsiz) / YTsiz} * columns() + (x - XTOsiz) / XTsiz;
}

GridRect TileGrid::tilesMeeting(const GridRect& area) const
{
    const uint32_t x0 = std::max(area.x0, XOsiz), y0 = std::max(area.y0, YOsiz);
    const uint32_t x1 = std::min(area.x1, Xsiz), y1 = std::min(area.y1, Ysiz);
    if (x0 >= x1 || y0 >= y1)
        return {};
    return {(x0 - XTOsiz) / XTsiz, (y0 - YTOsiz) / YTsiz, spans(XTOsiz, x1, XTsiz), spans(YTOsiz, y1, YTsiz)};
}

std::optional<TileGrid> makeTileGrid(const TileGrid& g)
{
    const bool sound = g.XTsiz > 0 && g.YTsiz > 0 && g.XOsiz < g.Xsiz && g.YOsiz < g.Ysiz && g.XTOsiz <= g.XOsiz &&
                       g.YTOsiz <= g.YOsiz && uint64_t{g.XTOsiz} + g.XTsiz > g.XOsiz &&
                       uint64_t{g.YTOsiz} + g.YTsiz > g.YOsiz;
    return sound ? std::optional(g) : std::nullopt;
}

std::optional<TileGrid> readTileGrid(const jpcAnalyzer& analyzer)
{
    if (analyzer.getMarkerOffsets().size() < 2 || analyzer.getElementCode(1) != 0x51)
        return std::nullopt;
    const uint64_t S = analyzer.getSizMarker();
    const ByteImage& image = analyzer.getImage();
    if (!image.contains(S + 6, 32))
        return std::nullopt;
    auto field = [&](uint32_t offset) { return image.be32(S + offset); };
    return makeTileGrid({field(6), field(10), field(14), field(18), field(22), field(26), field(30), field(34)});
}
