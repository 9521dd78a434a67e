// The structural rules of the walk: where each marker may stand, how often per header, and which
// violations end the walk (codes below 1000) or are recorded and stepped over.

#include "support/analysis.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Codes = std::vector<int>;
using Offsets = std::vector<uint32_t>;

namespace {

const StreamBuilder::Bytes cocParameters = {0x00, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01};
const StreamBuilder::Bytes qccParameters = {0x00, 0x40, 0x48, 0x48, 0x48, 0x48};

// A stream whose tile-part header holds the given segments.
StreamBuilder withTilePartHeader(StreamBuilder main, void (*header)(StreamBuilder&))
{
    main.beginTilePart();
    header(main);
    return std::move(main.sod().fill(8).endTilePart().eoc());
}

}  // namespace

TEST(StructuralRules, SizShorterThan41BytesIsFatal5AfterSoc)
{
    auto stream = StreamBuilder().soc().segmentWithLength(0x51, 40, StreamBuilder::Bytes(38, 0));
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(codesOf(*a), (Codes{5}));
    EXPECT_EQ(offsetsOf(*a), (Offsets{0}));
    EXPECT_EQ(a->getStatus(), 2);
}

TEST(StructuralRules, SizNotRightAfterSocIsFatal3)
{
    const auto a = analyze(StreamBuilder().soc().cod().siz().qcd().tilePart().eoc().bytes());
    EXPECT_EQ(codesOf(*a), (Codes{3}));
    EXPECT_EQ(offsetsOf(*a), (Offsets{0, 2}));

    // A passed-over marker between SOC and SIZ is invisible to the rule; an accepted COM is not.
    EXPECT_EQ(analyze(StreamBuilder().soc().marker(0x30).siz().cod().qcd().tilePart().eoc().bytes())->getStatus(), 0);
    EXPECT_EQ(codesOf(*analyze(StreamBuilder().soc().segment(0x64, {0x00, 0x01}).siz().bytes())), (Codes{3}));
}

TEST(StructuralRules, SecondSocIsFatal2)
{
    const auto a = analyze(StreamBuilder().mainHeader().soc().tilePart().eoc().bytes());
    EXPECT_EQ(codesOf(*a), (Codes{2}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{80}));
}

TEST(StructuralRules, SotLengthBelow8IsFatal6And8Or9PassTheWalk)
{
    for (uint16_t Lsot : {8, 9}) {
        auto stream = StreamBuilder().mainHeader();
        stream.marker(0x90).be16(Lsot).be16(0).be32(0).fill(Lsot - 8).sod().fill(4).eoc();
        const auto a = analyze(stream.bytes());
        EXPECT_EQ(a->getMarkerOffsets().back(), stream.size() - 2) << "Lsot " << Lsot;
        // The walk accepts it; the field check wants exactly 10.
        EXPECT_EQ(codesOf(*a), (Codes{10101})) << "Lsot " << Lsot;
    }
    auto stream = StreamBuilder().mainHeader();
    stream.marker(0x90).be16(7).be16(0).be32(0).sod().fill(4).eoc();
    EXPECT_EQ(codesOf(*analyze(stream.bytes())), (Codes{6}));
}

TEST(StructuralRules, MainHeaderWithoutCodAndQcdRecords1015Then1016AtTheFirstSot)
{
    const auto a = analyze(StreamBuilder().soc().siz().tilePart().eoc().bytes());
    EXPECT_EQ(codesOf(*a), (Codes{1015, 1016}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{45, 45}));
    EXPECT_EQ(a->getStatus(), 1);
}

TEST(StructuralRules, CodAndQcdOncePerHeaderCountedAfresh)
{
    EXPECT_EQ(codesOf(*analyze(StreamBuilder().mainHeader().cod().tilePart().eoc().bytes())), (Codes{1001}));
    EXPECT_EQ(codesOf(*analyze(StreamBuilder().mainHeader().qcd().qcd().tilePart().eoc().bytes())), (Codes{1002, 1002}));
    const auto tileCod = withTilePartHeader(StreamBuilder().mainHeader(), [](StreamBuilder& s) { s.cod().qcd(); });
    EXPECT_EQ(analyze(tileCod.bytes())->getStatus(), 0);
}

TEST(StructuralRules, MoreCocQccOrRgnThanComponentsRaiseForEachExtraOne)
{
    SizFields threeComponents;
    threeComponents.Csiz = 3;
    auto main = StreamBuilder().mainHeader(threeComponents);
    for (int i = 0; i < 5; ++i)
        main.segment(0x53, cocParameters);
    for (int i = 0; i < 4; ++i)
        main.segment(0x5D, qccParameters);
    for (int i = 0; i < 4; ++i)
        main.segment(0x5E, {0x00, 0x00, 0x03});
    const auto a = analyze(main.tilePart().eoc().bytes());
    EXPECT_EQ(codesOf(*a), (Codes{1010, 1005, 1004, 1004}));
    EXPECT_EQ(a->getStatus(), 1);
}

TEST(StructuralRules, CocAsSecondMarkerLeavesNoSizToCountAgainst)
{
    EXPECT_THROW(analyze(StreamBuilder().soc().segment(0x53, cocParameters).bytes()), std::invalid_argument);
}

TEST(StructuralRules, PackedHeadersMayNotMix)
{
    const StreamBuilder::Bytes ppm = {0x00, 0x00, 0x00, 0x00, 0x01, 0xAA};
    const StreamBuilder::Bytes ppt = {0x00, 0xAA};
    // PPM in the main header, then PPT in a tile-part header.
    auto mixed = withTilePartHeader(StreamBuilder().mainHeader().segment(0x60, ppm),
                                    [](StreamBuilder& s) { s.segment(0x61, {0x00, 0xAA}); });
    EXPECT_EQ(codesOf(*analyze(mixed.bytes())), (Codes{1012}));
    // PPT in the main header.
    EXPECT_EQ(codesOf(*analyze(StreamBuilder().mainHeader().segment(0x61, ppt).tilePart().eoc().bytes())), (Codes{1011}));
    // PPM in a tile-part header fails and so does not forbid a later PPT.
    auto misplaced = withTilePartHeader(StreamBuilder().mainHeader(), [](StreamBuilder& s) {
        s.segment(0x60, {0x00, 0x00, 0x00, 0x00, 0x01, 0xAA}).segment(0x61, {0x00, 0xAA});
    });
    EXPECT_EQ(codesOf(*analyze(misplaced.bytes())), (Codes{1008}));
}

TEST(StructuralRules, PodOncePerHeader)
{
    const StreamBuilder::Bytes pod = {0x00, 0x00, 0x00, 0x01, 0x05, 0x01, 0x00};
    auto twice = StreamBuilder().mainHeader().segment(0x5F, pod).segment(0x5F, pod).tilePart().eoc();
    EXPECT_EQ(codesOf(*analyze(twice.bytes())), (Codes{1009}));
    auto onceEach = withTilePartHeader(StreamBuilder().mainHeader().segment(0x5F, pod),
                                       [](StreamBuilder& s) { s.segment(0x5F, {0x00, 0x00, 0x00, 0x01, 0x05, 0x01, 0x00}); });
    EXPECT_EQ(analyze(onceEach.bytes())->getStatus(), 0);
}

TEST(StructuralRules, HeaderOnlyMarkersOutOfPlaceRaiseTheirCodes)
{
    const auto tlmInTile = withTilePartHeader(StreamBuilder().mainHeader(),
                                              [](StreamBuilder& s) { s.segment(0x55, {0x00, 0x00, 0x00, 0x20}); });
    EXPECT_EQ(codesOf(*analyze(tlmInTile.bytes())), (Codes{1006}));
    const auto plmInTile = withTilePartHeader(StreamBuilder().mainHeader(),
                                              [](StreamBuilder& s) { s.segment(0x57, {0x00, 0x01, 0x05}); });
    EXPECT_EQ(codesOf(*analyze(plmInTile.bytes())), (Codes{1007}));
    const auto pltInMain = StreamBuilder().mainHeader().segment(0x58, {0x00, 0x05}).tilePart().eoc();
    EXPECT_EQ(codesOf(*analyze(pltInMain.bytes())), (Codes{1013}));
}

TEST(StructuralRules, SodWithoutSotIsFatal4)
{
    const auto a = analyze(StreamBuilder().mainHeader().sod().fill(4).eoc().bytes());
    EXPECT_EQ(codesOf(*a), (Codes{4}));
    EXPECT_EQ(offsetsOf(*a), (Offsets{0, 2, 45, 59}));
}

TEST(StructuralRules, UnknownMarkersAreSteppedOverAndLeftToTheFieldChecks)
{
    // 0xFF30 has no segment; 0xFF70 is stepped by its length.
    auto stream = StreamBuilder().mainHeader().marker(0x30).segment(0x70, {0x01, 0x02, 0x03}).tilePart().eoc();
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(offsetsOf(*a), (Offsets{0, 2, 45, 59, 80, 82, 89, 101, 103, 119}));
    EXPECT_EQ(codesOf(*a), (Codes{1018}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{82}));
}

TEST(StructuralRules, PositionAtOrNearTheEndOfTheFile)
{
    // At the last byte: 0xFF there runs out of file, anything else is no marker.
    EXPECT_EQ(codesOf(*analyze(StreamBuilder().soc().u8(0xFF).bytes())), (Codes{7}));
    EXPECT_EQ(codesOf(*analyze(StreamBuilder().soc().u8(0x00).bytes())), (Codes{1}));
}
