// The tile grid the preview draws, read from SIZ: tiles clipped to the image area with a grid that
// starts before it, the tile under a point, the columns and rows meeting a view, and no grid where
// the fields make none.

#include "present/tileGrid.h"
#include "support/analysis.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

namespace {

// A 100 × 70 image at (10, 5) under tiles of 32 × 32 from (4, 2): 4 columns, 3 rows, the first and
// last of each clipped.
const SizFields offsetGrid = [] {
    SizFields s;
    s.Xsiz = 110, s.Ysiz = 75, s.XOsiz = 10, s.YOsiz = 5;
    s.XTsiz = 32, s.YTsiz = 32, s.XTOsiz = 4, s.YTOsiz = 2;
    return s;
}();

TileGrid gridOf(const SizFields& s)
{
    const auto grid = readTileGrid(*analyze(StreamBuilder().mainHeader(s).tilePart().eoc().bytes()));
    EXPECT_TRUE(grid);
    return grid.value_or(TileGrid{});
}

}  // namespace

TEST(TileGrid, TilesAreClippedToTheImageArea)
{
    const TileGrid grid = gridOf(offsetGrid);
    EXPECT_EQ(grid.columns(), 4u);
    EXPECT_EQ(grid.rows(), 3u);
    EXPECT_EQ(grid.tile(0), (GridRect{10, 5, 36, 34}));
    EXPECT_EQ(grid.tile(5), (GridRect{36, 34, 68, 66}));
    EXPECT_EQ(grid.tile(11), (GridRect{100, 66, 110, 75}));
}

TEST(TileGrid, PointsFindTheirTileAndViewsTheirColumnsAndRows)
{
    const TileGrid grid = gridOf(offsetGrid);
    const struct {
        uint32_t x, y;
        std::optional<uint64_t> tile;
    } points[] = {{10, 5, 0}, {35, 33, 0}, {36, 33, 1}, {109, 74, 11}, {9, 40, std::nullopt}, {50, 75, std::nullopt}};
    for (const auto& p : points)
        EXPECT_EQ(grid.tileAt(p.x, p.y), p.tile) << p.x << ", " << p.y;
    EXPECT_EQ(grid.tilesMeeting({0, 0, 1000, 1000}), (GridRect{0, 0, 4, 3}));
    EXPECT_EQ(grid.tilesMeeting({40, 40, 41, 41}), (GridRect{1, 1, 2, 2}));
    EXPECT_EQ(grid.tilesMeeting({36, 34, 69, 35}), (GridRect{1, 1, 3, 2}));
    EXPECT_EQ(grid.tilesMeeting({200, 0, 300, 10}), GridRect{});
}

TEST(TileGrid, FieldsThatMakeNoGridGiveNone)
{
    const std::pair<const char*, void (*)(SizFields&)> faults[] = {
        {"XTsiz 0", [](SizFields& s) { s.XTsiz = 0; }},
        {"empty image area", [](SizFields& s) { s.XOsiz = s.Xsiz; }},
        {"first tile after the image origin", [](SizFields& s) { s.XTOsiz = 11; }},
        {"first tile ending before it", [](SizFields& s) { s.YTOsiz = 0, s.YTsiz = 5; }},
    };
    for (const auto& [name, fault] : faults) {
        SizFields s = offsetGrid;
        fault(s);
        EXPECT_FALSE(readTileGrid(*analyze(StreamBuilder().mainHeader(s).tilePart().eoc().bytes()))) << name;
    }
    std::vector<uint8_t> cut = StreamBuilder().soc().siz(offsetGrid).bytes();
    cut.resize(30);  // SIZ ends inside XTsiz
    EXPECT_FALSE(readTileGrid(*analyze(cut)));
}
