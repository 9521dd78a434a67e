// The walk: which elements enter the table, how tile-parts are stepped over, and the verdict and
// error list a walk leaves, for well-formed streams and for streams broken in each structural way.

#include "support/outcome.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Offsets = std::vector<uint32_t>;

namespace {

const Offsets minimalElements = {0, 2, 45, 59, 80, 92, 94, 110};
const Offsets upToTheFirstData = {0, 2, 45, 59, 80, 92, 94};

StreamBuilder withPsot(StreamBuilder stream, uint32_t Psot) { return std::move(stream.patchBe32(86, Psot)); }

}  // namespace

TEST(Walk, EndsAtEocOrAtTheFirstFaultItCannotStepOver)
{
    const auto twoTiles = StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0).tilePart(1).eoc();
    auto errorOrder = StreamBuilder().soc().siz().cod().beginTilePart();
    errorOrder.segment(0x52, {0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 0x04, 0x04, 0x00});  // Lcod 11: raised
    errorOrder.segment(0x52, {0x08, 0x00, 0x00, 0x01, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01});  // Scod 8: recorded
    errorOrder.sod().fill(4).endTilePart().eoc();
    expectOutcomes({
        {"bytes after EOC are not entered", StreamBuilder::minimal().fill(5).bytes(), {{1003, 112}}, 1,
         minimalElements},
        {"first byte not 0xFF", {0x00, 0x4F, 0xFF, 0xD9}, {{1, 0}}, 2, {}},
        {"one tile, no EOC: steps to two bytes before the end, where Psot does not end the last tile-part",
         StreamBuilder().mainHeader().tilePart().bytes(), {{1, 108}, {1017, 80}}, 2, upToTheFirstData},
        // Running out of the file is reported at the marker whose step left it.
        {"fewer tile-parts than tiles, no EOC: the SOD's step",
         StreamBuilder().mainHeader(SizFields::row(2)).tilePart().bytes(), {{7, 92}}, 2, upToTheFirstData},
        {"Psot 2^32 - 1: a step past 32-bit offsets", withPsot(twoTiles, UINT32_MAX).bytes(), {{7, 92}}, 2,
         upToTheFirstData},
        {"a segment length past the end", StreamBuilder().mainHeader().segmentWithLength(0x64, 1000, {0, 1}).bytes(),
         {{7, 80}}, 2, {0, 2, 45, 59, 80}},
        {"Lsot past the end", StreamBuilder().mainHeader().sot(0, 0, 500).sod().eoc().bytes(), {{7, 80}}, 2,
         {0, 2, 45, 59, 80}},
        {"a lone 0xFF as the last byte stays where it is", StreamBuilder().soc().u8(0xFF).bytes(), {{7, 2}}, 2, {0}},
        {"a last byte other than 0xFF is no marker", StreamBuilder().soc().u8(0x00).bytes(), {{1, 2}}, 2, {0}},
        {"Lsiz past the end", {0xFF, 0x4F, 0xFF, 0x51, 0x00}, {{7, 2}}, 2, {0}},
        {"Lcod past the end", {0xFF, 0x4F, 0xFF, 0x52}, {{7, 2}}, 2, {0, 2}},
        {"the code byte past the end", {0xFF, 0x4F, 0xFF}, {{7, 2}}, 2, {0}},
        {"Lsot past the end", StreamBuilder().mainHeader().marker(0x90).bytes(), {{7, 80}}, 2, {0, 2, 45, 59}},
        {"element 1 an SOT, the tile grid read from it runs out of file",
         {0xFF, 0x30, 0xFF, 0x90, 0x00, 0x0A, 0x00, 0x00},
         {{7, 2}, {1015, 2}, {1016, 2}}, 2, {0, 2}},
        {"Psot 12: a tile-part too short for its SOD steps by 0", withPsot(twoTiles, 12).bytes(), {{7, 92}}, 2,
         upToTheFirstData},
        {"Psot 8: a step backwards", withPsot(twoTiles, 8).bytes(), {{7, 92}}, 2, upToTheFirstData},
        {"Psot 0 in the only tile-part reads to the end", withPsot(StreamBuilder::minimal(), 0).bytes(), {}, 0,
         minimalElements},
        {"a wrong Psot in the last tile-part is recorded, and EOC still found",
         withPsot(StreamBuilder::minimal(), 20).bytes(), {{1017, 80}}, 1, minimalElements},
        {"tile-parts past the tile count, then extra bytes, still end at EOC",
         StreamBuilder().mainHeader().tilePart(0, 16, 0, 2).tilePart(0, 16, 1, 2).eoc().fill(3).bytes(),
         {{1003, 142}}, 1, {0, 2, 45, 59, 80, 92, 94, 110, 122, 124, 140}},
        {"caught codes latest first, then recorded codes in order", errorOrder.bytes(),
         {{10201, 71}, {1001, 84}, {1016, 59}, {10202, 84}}, 1, {0, 2, 45, 59, 71, 84, 98, 100, 104}},
    });
}

TEST(Walk, InputWithoutASizToReadFailsConstruction)
{
    EXPECT_THROW(analyze({}), jpcEndOfFileError);
    EXPECT_THROW(analyze(StreamBuilder().tilePart().eoc().bytes()), std::invalid_argument);
    EXPECT_THROW(analyze({0xFF, 0xD9})->getSizMarker(), std::invalid_argument);
}

TEST(Walk, EachTilePartEntersADataBlockAfterItsSod)
{
    const struct {
        const char* what;
        StreamBuilder stream;
        Offsets elements, data;
    } cases[] = {
        {"one tile", StreamBuilder::minimal(), minimalElements, {94}},
        {"two tiles", StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0).tilePart(1).eoc(),
         {0, 2, 45, 59, 80, 92, 94, 110, 122, 124, 140}, {94, 124}},
        {"one tile in three parts",
         StreamBuilder().mainHeader().tilePart(0, 16, 0, 3).tilePart(0, 16, 1, 3).tilePart(0, 16, 2, 3).eoc(),
         {0, 2, 45, 59, 80, 92, 94, 110, 122, 124, 140, 152, 154, 170}, {94, 124, 154}},
        // The empty block shares its offset with the next SOT, which stays a marker.
        {"an empty tile-part", StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0, 0).tilePart(1).eoc(),
         {0, 2, 45, 59, 80, 92, 94, 94, 106, 108, 124}, {94, 108}},
    };
    for (const auto& c : cases) {
        const auto a = analyze(c.stream.bytes());
        EXPECT_EQ(offsetsOf(*a), c.elements) << c.what;
        EXPECT_EQ(a->getDataOffsets(), c.data) << c.what;
        EXPECT_EQ(a->getStatus(), 0) << c.what;
        // The first element at a data offset is the block; an element sharing its offset is a marker.
        for (size_t i = 0, blocks = 0; i < c.elements.size(); ++i) {
            const bool block = blocks < c.data.size() && c.elements[i] == c.data[blocks];
            blocks += block;
            EXPECT_EQ(a->isMarker(static_cast<int>(i)), !block) << c.what << ", element " << i;
        }
    }
    EXPECT_THROW(analyze(StreamBuilder::minimal().bytes())->isMarker(8), std::invalid_argument);
    EXPECT_THROW(analyze(StreamBuilder::minimal().bytes())->getMarkerCode(-1), std::invalid_argument);
    // The data block of an SOD that ends the file has no code byte.
    const auto a = analyze(StreamBuilder().mainHeader().sot(14).sod().bytes());
    ASSERT_EQ(offsetsOf(*a), upToTheFirstData);
    EXPECT_FALSE(a->getElementCode(6).has_value());
    EXPECT_EQ(a->getMarkerCode(6), 0);
    EXPECT_EQ(codesOf(*a), (std::vector<int>{7, 1017}));
}

TEST(Walk, HexTextHasEightPairsALineAndNoFinalSeparator)
{
    const struct {
        std::vector<uint8_t> bytes;
        std::string text;
        int lines;
    } cases[] = {
        {{0x7F}, "7f", 1},
        {{0xFF, 0x4F, 0x0A, 0x10, 0x20, 0x30, 0x40, 0xAB, 0x01}, "ff 4f 0a 10 20 30 40 ab\n01", 2},
        {std::vector<uint8_t>(16, 0xEE), "ee ee ee ee ee ee ee ee\nee ee ee ee ee ee ee ee", 2},
        {std::vector<uint8_t>(17, 0xEE), "ee ee ee ee ee ee ee ee\nee ee ee ee ee ee ee ee\nee", 3},
    };
    for (const auto& c : cases) {
        const auto a = analyze(c.bytes);
        EXPECT_EQ(a->buildHexText(), c.text) << c.bytes.size() << " bytes";
        EXPECT_EQ(a->getHexLineCount(), c.lines) << c.bytes.size() << " bytes";
    }
}

TEST(Walk, MarkerNamesFallBackToFfAndTwoHexDigits)
{
    const auto a = analyze({0xFF, 0x4F});
    EXPECT_EQ(a->getMarkerName(0x5F), "POD");
    EXPECT_EQ(a->getMarkerName(static_cast<signed char>(0x90)), "SOT");
    EXPECT_EQ(a->getMarkerName(0x30), "ff30");
    EXPECT_EQ(a->getMarkerName(0x05), "ff 5");
}

TEST(Walk, VarLengthStopsAfterAByteWithTopBitClearOrAtTheGivenEnd)
{
    const auto a = analyze({0x81, 0x00, 0x05, 0x82, 0x81});
    uint32_t used = 0;
    EXPECT_EQ(a->decodeVarLength(0, 5, used), 128u);
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(a->decodeVarLength(2, 5, used), 5u);
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(a->decodeVarLength(3, 5, used), 2u * 128 + 1);
    EXPECT_EQ(used, 2u);
    EXPECT_THROW(a->decodeVarLength(4, 9, used), ImageOverrun);
}

TEST(Walk, BitsPerPixelIsFileBitsOverReferenceGridArea)
{
    StreamBuilder::Siz s;
    s.Xsiz = s.Ysiz = s.XTsiz = s.YTsiz = 100;
    auto stream = StreamBuilder().mainHeader(s).tilePart().eoc();
    stream.fill(1000 - stream.size());
    EXPECT_DOUBLE_EQ(*analyze(stream.bytes())->getBitsPerPixel(), 0.8);
}
