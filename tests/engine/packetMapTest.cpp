// The packet map against what encoders write: on streams from three encoders (every progression,
// POC, precincts larger and smaller than code-blocks, tiles and odd origins, tile-parts, subsampled
// components, layers joined late, contributions of more than 36 passes, code-block styles, ROI,
// the high-throughput coder), each tile-part's packet lengths equal its PLT entries, every SOP stands
// at a packet's first byte and only there, and the data of every tile-part is used exactly. And the
// queries the window asks: the packets of a data block, the packet under a byte, its code-blocks.

#include "engine/packetMap.h"
#include "support/analysis.h"
#include "support/packetStream.h"
#include "support/scratchFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

struct Part {
    std::vector<uint64_t> plt;  // its PLT entries, decoded here
    std::vector<uint64_t> sops;  // where 0xFF91 stands in its data
};

// Each tile-part's PLT entries and SOP positions, keyed by (Isot, tile-part of the tile), found
// without the packet map.
std::map<std::pair<int, int>, Part> encodersView(const jpcAnalyzer& a)
{
    const ByteImage& image = a.getImage();
    const auto& offsets = a.getMarkerOffsets();
    std::map<std::pair<int, int>, Part> parts;
    std::map<int, int> partsOfTile;
    Part* part = nullptr;
    for (size_t i = 0; i < offsets.size(); ++i) {
        const uint64_t p = offsets[i];
        if (!a.isMarker(int(i))) {
            for (uint64_t q = p; q + 1 < offsets[i + 1]; ++q)
                if (image.u8(q) == 0xFF && image.u8(q + 1) == 0x91)
                    part->sops.push_back(q);
        } else if (image.u8(p + 1) == 0x90) {
            const int tile = image.be16(p + 4);
            part = &parts[{tile, partsOfTile[tile]++}];
        } else if (image.u8(p + 1) == 0x58) {
            uint64_t value = 0;
            for (uint64_t q = p + 5; q < p + 2 + image.be16(p + 2); ++q) {
                value = value * 128 + (image.u8(q) & 0x7F);
                if (!(image.u8(q) & 0x80))
                    part->plt.push_back(std::exchange(value, 0));
            }
        }
    }
    return parts;
}

}  // namespace

TEST(PacketMap, CorpusStreamsAgreeWithTheirEncodersPltAndSop)
{
    struct Case {
        const char* file;
        size_t packets;
        std::vector<int> codes;  // of the packet pass, in list order, each once
        // grk_compress: SOP numbers restart in each tile-part, and the first tile-part's PLT lists
        // the packets of the whole tile.
        bool grkTileParts = false;
        bool plt = true;
        // grk_compress with POC writes the tile-part's POC with every order LRCP, its PLT in that
        // order, and the data in the main header's: a map that follows the POC in force, as it must,
        // finds bytes left over.
        bool mapAgrees = true;
    };
    const Case cases[] = {
        {"packets-opj-lrcp-layers.j2k", 60, {}},
        {"packets-opj-rlcp-precincts.j2k", 192, {}},
        {"packets-opj-rpcl-subsampled.j2k", 396, {}},
        {"packets-opj-pcrl-tiles.j2k", 720, {}},
        {"packets-opj-cprl-tiles-subsampled.j2k", 804, {}},
        {"packets-opj-poc.j2k", 90, {}},
        {"packets-opj-bypass-termall.j2k", 48, {}},
        {"packets-opj-bypass-lossless.j2k", 3, {}},
        {"packets-opj-tile-parts.j2k", 162, {}},
        {"packets-opj-roi.j2k", 18, {}},
        {"packets-opj-ten-layers.j2k", 40, {}},
        {"packets-opj-late-inclusion.j2k", 192, {}},
        {"packets-opj-deep-passes.j2k", 4, {}},
        {"packets-opj-small-precincts.j2k", 248, {}},
        {"packets-opj-all-styles.j2k", 27, {}},
        // No guard bits: more passes than the bit-planes QCD allows, as the encoder wrote them.
        {"packets-opj-guard-bits-0.j2k", 2, {12108}},
        // Tile-parts by component in PCRL: the encoder leaves packets out.
        {"packets-opj-tile-parts-pcrl-subsampled.j2k", 64, {12107}},
        {"packets-grk-tile-parts.j2k", 144, {12109, 12102}, true},
        {"packets-grk-poc.j2k", 27, {12109, 12102, 12106}, true, true, false},
        {"packets-grk-main-poc.j2k", 27, {12102}, true, false},
        {"packets-grk-ht.j2k", 180, {}},
        {"packets-ojph-ht.j2c", 333, {}, false, false},
    };
    for (const Case& c : cases) {
        const auto a = analyze(readWholeFile(std::filesystem::path(TARVIK3_SOURCE_DIR) / "tests/corpus" / c.file),
                               {.packets = true});
        std::vector<int> codes;
        for (int code : a->getErrorList())
            if (code > 12100 && std::find(codes.begin(), codes.end(), code) == codes.end())
                codes.push_back(code);
        EXPECT_EQ(codes, c.codes) << c.file;
        if (!c.mapAgrees)
            continue;

        auto parts = encodersView(*a);
        PacketMap map(*a);
        size_t packets = 0;
        for (uint16_t tile : map.tiles()) {
            const TilePackets& t = map.tilePackets(tile);
            packets += t.packets.size();
            std::vector<uint64_t> tileLengths;
            for (size_t i = 0; i < t.packets.size(); ++i) {
                const Packet& p = t.packets[i];
                Part& part = parts[{tile, p.part}];
                tileLengths.push_back(p.length());
                if (p.sop) {
                    ASSERT_FALSE(part.sops.empty()) << c.file << " tile " << tile << " packet " << i;
                    EXPECT_EQ(part.sops.front(), p.offset) << c.file << " tile " << tile << " packet " << i;
                    part.sops.erase(part.sops.begin());
                    EXPECT_TRUE(c.grkTileParts || a->getImage().be16(p.offset + 4) == i) << c.file << " tile " << tile;
                }
            }
            for (size_t k = 0; k + 1 < t.partStart.size(); ++k) {
                const Part& part = parts[{tile, int(k)}];
                EXPECT_TRUE(part.sops.empty()) << c.file << ": an SOP inside a packet of tile " << tile;
                const std::vector<uint64_t> ofPart(tileLengths.begin() + t.partStart[k],
                                                   tileLengths.begin() + t.partStart[k + 1]);
                const bool wholeTile = c.grkTileParts && k == 0;
                EXPECT_TRUE(part.plt.empty() || part.plt == (wholeTile ? tileLengths : ofPart))
                    << c.file << " tile " << tile << " part " << k;
            }
        }
        EXPECT_EQ(packets, c.packets) << c.file;
        size_t entries = 0;
        for (const auto& [key, part] : parts)
            entries += part.plt.size();
        EXPECT_EQ(entries, c.plt ? packets : 0) << c.file;
    }
}

TEST(PacketMap, AnswersTheWindowsQueriesOnTwoLayers)
{
    // Layer 0 as in the checks; layer 1 adds one pass of one byte (3 length bits, 001).
    const TinyStream s{.layers = 2, .data = joined({firstContribution(0, 1, 2), {0xAA, 0xBB}, {0xC2, 0xCC}})};
    const auto a = analyze(s.bytes());
    const uint32_t data = a->getDataOffsets()[0];
    PacketMap map(*a);
    ASSERT_EQ(map.tiles(), std::vector<uint16_t>{0});
    const int dataElement = 6;
    ASSERT_EQ(a->getMarkerOffsets()[dataElement], data);
    ASSERT_TRUE(map.placeOfData(dataElement));
    EXPECT_EQ(map.placeOfData(dataElement)->part, 0);
    EXPECT_FALSE(map.placeOfData(dataElement - 1));

    const TilePackets& t = map.tilePackets(0);
    ASSERT_EQ(t.packets.size(), 2u);
    EXPECT_EQ(t.partStart, (std::vector<uint32_t>{0, 2}));
    EXPECT_EQ(t.packets[1].layer, 1);
    EXPECT_EQ(std::make_tuple(t.packets[1].offset, t.packets[1].headerEnd, t.packets[1].bodyEnd),
              std::make_tuple(data + 3, data + 4, data + 5));
    EXPECT_EQ(map.packetAt(data + 2), std::make_pair(uint16_t{0}, 0u));
    EXPECT_EQ(map.packetAt(data + 4), std::make_pair(uint16_t{0}, 1u));
    EXPECT_FALSE(map.packetAt(data + 5));  // EOC

    const auto first = map.codeBlocks(0, 0), second = map.codeBlocks(0, 1);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_TRUE(first[0].firstInclusion);
    EXPECT_EQ(first[0].segmentLengths, std::vector<uint64_t>{2});
    EXPECT_FALSE(second[0].firstInclusion);
    EXPECT_EQ(std::make_tuple(second[0].included, second[0].zeroBitPlanes, second[0].passesBefore, second[0].passes),
              std::make_tuple(true, uint16_t{0}, 1u, 1u));
    EXPECT_EQ(second[0].segmentLengths, std::vector<uint64_t>{1});
}

// A precinct on the reference grid: its level's grid scaled up by the levels below the top and by
// the component's subsampling, and cut to the tile (a 64 × 64 image at origin 8, 4, one tile; two
// levels; precincts of 2^4 at level 0, 2^5 above; the second component subsampled 2 × 1).
TEST(PacketMap, PrecinctAreaLiesOnTheReferenceGridWithinItsTile)
{
    GridInfo grid;
    grid.Xsiz = grid.Ysiz = 64;
    grid.XOsiz = 8, grid.YOsiz = 4;
    grid.XTsiz = grid.YTsiz = 64;
    grid.Csiz = 2;
    grid.XRsiz = {1, 2}, grid.YRsiz = {1, 1};
    TileCoding coding;
    coding.components.resize(2);
    for (ComponentCoding& c : coding.components) {
        c.NL = 2;
        c.PPx.fill(5), c.PPy.fill(5);
        c.PPx[0] = c.PPy[0] = 4;
    }
    const TileGeometry g = TileGeometry::build(grid, 0, coding);
    struct Case {
        uint16_t component;
        uint8_t resolution;
        uint32_t precinct;
        Area expected;
    };
    const Case cases[] = {
        {0, 0, 0, {8, 4, 64, 64}},    // level 0 of 16 × 16: one precinct, scaled by 4
        {0, 2, 0, {8, 4, 32, 32}},    // the top level: precincts of 32 on the grid itself
        {0, 2, 3, {32, 32, 64, 64}},
        {0, 1, 1, {0, 0, 0, 0}},      // level 1 (32 × 32 from 2, 1): a single precinct
        {1, 2, 1, {8, 32, 64, 64}},   // component 1 is 28 wide at the top: one precinct a row
        {1, 2, 2, {0, 0, 0, 0}},
        {1, 2, 0, {8, 4, 64, 32}},    // 32 of its columns are 64 of the grid's
    };
    for (const Case& c : cases) {
        const Area a = g.precinctOnGrid(c.component, c.resolution, c.precinct);
        EXPECT_EQ(std::make_tuple(a.x0, a.y0, a.x1, a.y1),
                  std::make_tuple(c.expected.x0, c.expected.y0, c.expected.x1, c.expected.y1))
            << "component " << c.component << " level " << int(c.resolution) << " precinct " << c.precinct;
    }
}
