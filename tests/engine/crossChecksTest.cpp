// Checks that relate segments to each other and to the stream: each records its code at the element
// it names, after every field check and in a fixed order, and stays silent on streams that hold
// together, including those a real encoder writes.

#include "support/analysis.h"
#include "support/streamBuilder.h"
#include "tools/streamWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

using Bytes = StreamBuilder::Bytes;

namespace {

Findings findingsOf(const Bytes& bytes) { return ::findingsOf(*analyze(bytes)); }

Findings findingsOf(const StreamBuilder& stream) { return findingsOf(stream.bytes()); }

// A tile-part whose header holds a PLT (Zplt 0) with the given packet-length bytes.
StreamBuilder& tilePartWithPlt(StreamBuilder& b, uint16_t Isot, uint8_t TPsot, uint8_t TNsot, Bytes lengths,
                               size_t dataBytes)
{
    lengths.insert(lengths.begin(), 0x00);
    return b.beginTilePart(Isot, TPsot, TNsot).segment(0x58, lengths).sod().fill(dataBytes).endTilePart();
}

}  // namespace

TEST(CrossChecks, CodesFollowTheFieldCodesInTheirFixedOrder)
{
    SizFields s = SizFields::row(2);
    s.Rsiz = 0x1000;  // 10007, a field code
    s.XOsiz = 128;   // an empty image area
    auto b = StreamBuilder().mainHeader(s);
    b.segment(0x55, {0x00, 0x10, 0x00, 0x00, 0x1E});  // TLM at 80: one pair for two tile-parts
    b.segment(0x64, {0x00, 0x01, 'a', 0x01});          // COM at 89
    tilePartWithPlt(b, 3, 0, 2, {20}, 16);             // SOT at 97, PLT at 109: 20 bytes of 16
    b.tilePart(0, 16, 1, 1).eoc();                     // SOT at 133, EOC at 163
    EXPECT_EQ(findingsOf(b), (Findings{{10007, 2}, {12008, 2}, {12001, 97}, {12002, 133}, {12003, 97},
                                       {12004, 163}, {12005, 80}, {12006, 109}, {12007, 89}}));
    EXPECT_EQ(analyze(b.bytes())->getStatus(), 1);
}

TEST(CrossChecks, ImageAreaOffTheGridOrOutsideTheFirstTileRecords12008AtTheSiz)
{
    struct Case {
        const char* name;
        SizFields siz;
        Findings expected;
    };
    const Case cases[] = {
        {"offsets inside", {.Xsiz = 100, .XOsiz = 10, .YOsiz = 63, .XTsiz = 95, .XTOsiz = 5}, {}},
        {"sums past 32 bits",
         {.Xsiz = 0xFFFFFFFE, .XOsiz = 0xFFFFFF80, .XTsiz = 0x200, .XTOsiz = 0xFFFFFF00},
         {}},
        {"empty image area", {.Xsiz = 64, .XOsiz = 64}, {{12008, 2}}},
        {"tile grid after the image", {.YOsiz = 3, .YTOsiz = 4}, {{12008, 2}}},
        // The walk counts this first tile, which lies outside the image, so the second is missing.
        {"first tile misses the image", {.Xsiz = 128, .XOsiz = 64}, {{12008, 2}, {12004, 110}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findingsOf(StreamBuilder().mainHeader(c.siz).tilePart().eoc()), c.expected) << c.name;
}

TEST(CrossChecks, TilePartsAgainstTheTileCountAndEachOther)
{
    // Tile 0 in two parts around tile 1, which leaves its count open (TNsot 0).
    EXPECT_EQ(findingsOf(StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0, 16, 0, 2).tilePart(1, 16, 0, 0)
                             .tilePart(0, 16, 1, 2).eoc()),
              Findings{});
    // SOTs at 80, 110, 140, 170: part 1 first, tile 2 of 2 announcing 3 parts, then two sound ones.
    EXPECT_EQ(findingsOf(StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0, 16, 1, 2).tilePart(2, 16, 0, 3)
                             .tilePart(0, 16, 1, 2).tilePart(1, 16, 0, 1).eoc()),
              (Findings{{12001, 110}, {12002, 80}, {12003, 110}}));

    // A grid of no tiles (XTsiz 0) gives no range to test tile numbers against.
    SizFields noGrid;
    noGrid.XTsiz = 0;
    EXPECT_EQ(findingsOf(StreamBuilder().mainHeader(noGrid).tilePart(7).eoc()), (Findings{{10004, 2}, {12008, 2}}));

    // An SOT of 11 bytes (Lsot 9) has no TNsot: no tile-part is accounted, though Isot 5 is out of range.
    auto shortSot = StreamBuilder().mainHeader().marker(0x90).be16(9).be16(5).be32(29).u8(3);
    EXPECT_EQ(findingsOf(shortSot.sod().fill(16).eoc()), (Findings{{10101, 80}}));
}

TEST(CrossChecks, TilesOfTheGridMissingFromTheStreamRecord12004AtEocOnce)
{
    // 9 of 25 tiles left out, by our own writer; its TLM and PLT still agree with what it wrote.
    const StreamShape lacking{.tiles = 16, .packets = 4, .tlm = true, .missingTiles = 9};
    EXPECT_EQ(findingsOf(buildStream(lacking)), (Findings{{12004, streamSize(lacking) - 2}}));
    // Two parts of tile 0 do not make up for tile 1.
    EXPECT_EQ(findingsOf(StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0, 16, 0, 2).tilePart(0, 16, 1, 2)
                             .eoc()),
              (Findings{{12004, 140}}));
}

TEST(CrossChecks, TlmPairsInZtlmOrderAgainstTheTilePartsInStreamOrder)
{
    struct Case {
        const char* name;
        std::vector<Bytes> tlms;  // Ztlm, Stlm, pairs
        Findings expected;
    };
    // Two tiles of one 30-byte tile-part each; SOTs at 80 + the TLM bytes, and 30 bytes later.
    const Case cases[] = {
        {"8-bit Ttlm", {{0x00, 0x10, 0, 0, 30, 1, 0, 30}}, {}},
        {"implicit Ttlm, 32-bit Ptlm", {{0x00, 0x40, 0, 0, 0, 30, 0, 0, 0, 30}}, {}},
        {"segments out of stream order", {{0x01, 0x10, 1, 0, 30}, {0x00, 0x10, 0, 0, 30}}, {}},
        {"one pair too few", {{0x00, 0x10, 0, 0, 30}}, {{12005, 80}}},
        {"second Ttlm wrong", {{0x00, 0x10, 0, 0, 30, 0, 0, 30}}, {{12005, 122}}},
        {"both Ptlm wrong, found once", {{0x00, 0x10, 0, 0, 31, 1, 0, 29}}, {{12005, 92}}},
        {"a Ptlm out of range leaves the pairs unread", {{0x00, 0x10, 0, 0, 13, 1, 0, 30}}, {{10804, 80}}},
    };
    for (const Case& c : cases) {
        auto b = StreamBuilder().mainHeader(SizFields::row(2));
        for (const Bytes& tlm : c.tlms)
            b.segment(0x55, tlm);
        EXPECT_EQ(findingsOf(b.tilePart(0).tilePart(1).eoc()), c.expected) << c.name;
    }
    // Psot 0 stands for the bytes up to EOC.
    auto toEnd = StreamBuilder().mainHeader(SizFields::row(2)).segment(0x55, {0x00, 0x10, 0, 0, 30, 1, 0, 30});
    toEnd.tilePart(0).tilePart(1).eoc().patchBe32(122 + 6, 0);
    EXPECT_EQ(findingsOf(toEnd), Findings{});
}

TEST(CrossChecks, PacketLengthsAgainstTheDataOfTheirTile)
{
    const auto oneTile = [](auto parts) {
        StreamBuilder b;
        b.mainHeader();
        parts(b);
        return findingsOf(b.eoc());
    };
    // The first PLT is at 92.
    EXPECT_EQ(oneTile([](auto& b) { tilePartWithPlt(b, 0, 0, 1, {10, 6}, 16); }), Findings{});
    EXPECT_EQ(oneTile([](auto& b) { tilePartWithPlt(b, 0, 0, 1, {0x81, 0x48}, 200); }), Findings{});
    EXPECT_EQ(oneTile([](auto& b) { tilePartWithPlt(b, 0, 0, 1, {10, 7}, 16); }), (Findings{{12006, 92}}));
    EXPECT_EQ(oneTile([](auto& b) { tilePartWithPlt(b, 0, 0, 1, {10, 5}, 16); }), (Findings{{12006, 92}}));
    // A tile-part without PLT may have its packets listed earlier, or not at all.
    EXPECT_EQ(oneTile([](auto& b) { tilePartWithPlt(b, 0, 0, 2, {16, 16}, 16).tilePart(0, 16, 1, 2); }), Findings{});
    EXPECT_EQ(oneTile([](auto& b) { tilePartWithPlt(b, 0, 0, 2, {16}, 16).tilePart(0, 16, 1, 2); }), Findings{});
    EXPECT_EQ(oneTile([](auto& b) { tilePartWithPlt(tilePartWithPlt(b, 0, 0, 2, {16}, 16), 0, 1, 2, {15}, 16); }),
              (Findings{{12006, 92}}));

    // Tile 1 appears first (PLT at 92), tile 0 second (PLT at 129).
    auto twoTiles = StreamBuilder().mainHeader(SizFields::row(2));
    tilePartWithPlt(tilePartWithPlt(twoTiles, 1, 0, 1, {10, 7}, 16), 0, 0, 1, {10, 7}, 16);
    EXPECT_EQ(findingsOf(twoTiles.eoc()), (Findings{{12006, 92}, {12006, 129}}));

    // Packed packet headers, or a PLT too short to read (11001), leave the lengths untested.
    auto packed = StreamBuilder().mainHeader().beginTilePart().segment(0x61, {0x00, 0x00}).segment(0x58, {0x00, 17});
    EXPECT_EQ(findingsOf(packed.sod().fill(16).endTilePart().eoc()), Findings{});
    auto shortPlt = StreamBuilder().mainHeader(SizFields::row(2));
    tilePartWithPlt(shortPlt, 0, 0, 1, {17}, 16).beginTilePart(1).segmentWithLength(0x58, 3, {0x00});
    EXPECT_EQ(findingsOf(shortPlt.sod().fill(16).endTilePart().eoc()), (Findings{{11001, 128}}));
}

TEST(CrossChecks, ControlCharactersInALatin1CommentRecord12007)
{
    // The comment stands right before the SOT, whose code byte 0x90 would count if read.
    const auto withComment = [](const Bytes& parameters) {
        return findingsOf(StreamBuilder().mainHeader().segment(0x64, parameters).tilePart().eoc());
    };
    EXPECT_EQ(withComment({0x00, 0x01, 'a', '\t', 'b', '\n', '\r', 0x20, 0x7E, 0xA0, 0xE9}), Findings{});
    EXPECT_EQ(withComment({0x00, 0x00, 0x01, 0x02}), Findings{});  // binary (Rcme 0)
    for (uint8_t control : {0x00, 0x08, 0x0B, 0x0C, 0x0E, 0x1F, 0x7F, 0x9F})
        EXPECT_EQ(withComment({0x00, 0x01, 'a', control}), (Findings{{12007, 80}})) << int(control);

    // One code per comment, in stream order: main header at 80, tile-part header at 99.
    auto two = StreamBuilder().mainHeader().segment(0x64, {0x00, 0x01, 0x07});
    two.beginTilePart().segment(0x64, {0x00, 0x01, 0x1B}).sod().fill(4).endTilePart().eoc();
    EXPECT_EQ(findingsOf(two), (Findings{{12007, 80}, {12007, 99}}));
}

// PPx and PPy of 0 at resolution 0 only (12009), and COD, COC, QCD, QCC and RGN in no tile-part
// header after the first of its tile (12010): recorded in element order, right after 12008.
TEST(CrossChecks, PrecinctSizesAndTheSegmentsOfLaterTileParts)
{
    // Scod (Scoc) 1 and NL 2, then a precinct byte per resolution; the main COD at 45, its QCD at 62.
    const auto withSizes = [](uint8_t code, Bytes parameters, const Bytes& sizes, const SizFields& s = {}) {
        parameters.insert(parameters.end(), sizes.begin(), sizes.end());
        auto b = StreamBuilder().soc().siz(s).segment(0x52, {0x01, 0, 0, 1, 0, 2, 4, 4, 0, 1, 0x00, 0x11, 0x11});
        b.qcd();
        if (code)
            b.segment(code, parameters);  // at 83
        return b;
    };
    const Bytes COC = {0x00, 0x01, 0x02, 0x04, 0x04, 0x00, 0x01};
    auto laterPart = StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0, 16, 0, 2).tilePart(1, 16, 0, 1);
    laterPart.beginTilePart(0, 1, 2).segment(0x64, {0x00, 0x01, 'a'}).segment(0x5F, {0, 0, 0, 1, 1, 1, 0});
    laterPart.segment(0x5C, {0x40, 0x48}).sod().fill(4).endTilePart().eoc();  // QCD at 170
    auto firstParts = StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0);
    firstParts.beginTilePart(1).cod().qcd().sod().fill(4).endTilePart().eoc();
    const struct {
        const char* what;
        StreamBuilder stream;
        Findings expected;
    } cases[] = {
        {"0 at resolution 0", withSizes(0, {}, {}).tilePart().eoc(), {}},
        {"PPy 0 at resolution 2 of a COC", withSizes(0x53, COC, {0x11, 0x11, 0x01}).tilePart().eoc(), {{12009, 83}}},
        {"PPx 0 at resolution 1 of a COC of two-byte Ccoc",
         withSizes(0x53, {0x01, 0x2B, 0x01, 0x02, 4, 4, 0, 1}, {0x11, 0x10, 0x11}, {.Csiz = 300}).tilePart().eoc(),
         {{12009, 980}}},
        {"segments of the first tile-part of each tile", firstParts, {}},
        {"COM, POC and QCD in a later tile-part", laterPart, {{12010, 170}}},
        {"after 12008, before 12001", withSizes(0x53, COC, {0x11, 0x01, 0x11}, {.Xsiz = 64, .XOsiz = 64})
                                          .tilePart(3).tilePart(0).eoc(),
         {{12008, 2}, {12009, 83}, {12001, 97}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findingsOf(c.stream), c.expected) << c.what;
}

TEST(CrossChecks, EncoderSamplesStayClean)
{
    for (const auto& entry : std::filesystem::directory_iterator(TARVIK3_SAMPLES_DIR)) {
        if (entry.path().filename() == "color-errors.j2k")
            continue;  // made faulty on purpose from an encoder's sample (tools/make-error-sample.sh)
        const jpcAnalyzer a(entry.path().string());
        EXPECT_EQ(a.getStatus(), 0) << entry.path();
    }
}
