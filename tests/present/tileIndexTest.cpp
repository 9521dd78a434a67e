// Each element of a tile-part belongs to the tile its SOT names, the tile's first tile-part is found
// whatever the order of the stream, tiles without tile-parts are told apart, and the codes found
// inside a tile's tile-parts belong to that tile.

#include "present/tileIndex.h"
#include "support/analysis.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

TEST(TileIndex, ElementsBelongToTheTileTheirTilePartNames)
{
    // Four tiles in a row: tile 2 in two parts round tile 0 (with a COM in its header), the second
    // part of tile 2 numbered out of order; tiles 1 and 3 left out. Elements: SOC 0, SIZ 1, COD 2,
    // QCD 3, SOT 4 (tile 2), SOD 5, data 6, SOT 7 (tile 0), COM 8, SOD 9, data 10, SOT 11 (tile 2),
    // SOD 12, data 13, EOC 14.
    const auto a = analyze(StreamBuilder()
                               .mainHeader(SizFields::row(4))
                               .tilePart(2, 16, 0, 2)
                               .beginTilePart(0)
                               .segment(0x64, {0, 1, 'a'})
                               .sod()
                               .fill(8)
                               .endTilePart()
                               .tilePart(2, 16, 3, 2)
                               .eoc()
                               .bytes());
    const TileIndex index(*a);
    const std::optional<uint32_t> tiles[] = {{}, {}, {}, {}, 2, 2, 2, 0, 0, 0, 0, 2, 2, 2, {}};
    for (int e = 0; e < 15; ++e)
        EXPECT_EQ(index.tileOfElement(e), tiles[e]) << "element " << e;
    EXPECT_EQ(index.firstTilePart(2), 4);
    EXPECT_EQ(index.firstTilePart(0), 7);
    EXPECT_EQ(index.firstTilePart(1), std::nullopt);
    EXPECT_FALSE(index.hasTileParts(3));
    EXPECT_EQ(index.tilesWithParts(4), 2u);
    EXPECT_EQ(index.tilesWithParts(1), 1u);

    EXPECT_EQ(index.faultyTiles(), std::vector<uint32_t>{2});
    EXPECT_EQ(index.faultCodes(2), (std::vector<int>{12002}));
    EXPECT_TRUE(index.faultCodes(0).empty());
}

TEST(TileIndex, AStreamCutInsideATilePartKeepsItsTileAndItsFault)
{
    std::vector<uint8_t> cut = StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0).tilePart(1, 40).eoc().bytes();
    cut.resize(cut.size() - 20);
    const auto a = analyze(cut);
    const TileIndex index(*a);
    ASSERT_EQ(index.firstTilePart(1), 7);
    EXPECT_EQ(index.tileOfElement(9), 1u);
    EXPECT_EQ(index.faultCodes(1), (std::vector<int>{1, 1017}));
    EXPECT_TRUE(index.faultCodes(0).empty());
}
