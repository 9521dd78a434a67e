// The walk: which elements enter the table, how tile-parts are stepped over, and the verdict and
// error list a walk leaves, for well-formed streams and for streams broken in each structural way.

#include "support/analysis.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Offsets = std::vector<uint32_t>;
using Codes = std::vector<int>;

namespace {

// SOC 0, SIZ 2, COD 45, QCD 59, SOT 80, SOD 92, data 94, EOC 110; 112 bytes.
StreamBuilder minimalStream() { return std::move(StreamBuilder().mainHeader().tilePart().eoc()); }

}  // namespace

TEST(Walk, MinimalStreamEntersEveryElementAndIsClean)
{
    const auto a = analyze(minimalStream().bytes());
    EXPECT_EQ(offsetsOf(*a), (Offsets{0, 2, 45, 59, 80, 92, 94, 110}));
    EXPECT_EQ(a->getDataOffsets(), (Offsets{94}));
    EXPECT_TRUE(a->getErrorList().empty());
    EXPECT_EQ(a->getStatus(), 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(a->isMarker(i), i != 6) << "element " << i;
}

TEST(Walk, BytesAfterEocRecord1003AtTheirFirstByteAndAreNotEntered)
{
    const auto a = analyze(minimalStream().fill(5).bytes());
    EXPECT_EQ(offsetsOf(*a), (Offsets{0, 2, 45, 59, 80, 92, 94, 110}));
    EXPECT_EQ(codesOf(*a), (Codes{1003}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{112}));
    EXPECT_EQ(a->getStatus(), 1);
}

TEST(Walk, FirstByteNotFFIsFatalCode1WithAnEmptyTable)
{
    const auto a = analyze({0x00, 0x4F, 0xFF, 0xD9});
    EXPECT_TRUE(a->getMarkerOffsets().empty());
    EXPECT_EQ(codesOf(*a), (Codes{1}));
    EXPECT_EQ(a->getStatus(), 2);
}

TEST(Walk, EmptyInputIsAnEndOfFileFailure)
{
    EXPECT_THROW(analyze({}), jpcEndOfFileError);
}

TEST(Walk, StreamBeginningWithSotHasNoSizAndFailsConstruction)
{
    EXPECT_THROW(analyze(StreamBuilder().tilePart().eoc().bytes()), std::invalid_argument);
}

TEST(Walk, OneTileWithoutEocStepsToTwoBytesBeforeTheEndAndFindsNoMarker)
{
    const auto a = analyze(StreamBuilder().mainHeader().tilePart().bytes());
    // The tile-part's Psot (reaching the end of the file) is not where the last tile-part must end.
    EXPECT_EQ(codesOf(*a), (Codes{1, 1017}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{108, 80}));
    EXPECT_EQ(a->getStatus(), 2);
}

TEST(Walk, RunningOutOfTheFileIsFatal7AtTheMarkerWhoseStepLeftIt)
{
    StreamBuilder::Siz twoTiles;
    twoTiles.XTsiz = 32;
    auto hugePsot = StreamBuilder().mainHeader(twoTiles).tilePart(0).tilePart(1).eoc();
    hugePsot.patchBe32(86, UINT32_MAX);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint64_t position;
    };
    const Case cases[] = {
        {"fewer tile-parts than tiles, no EOC: the SOD's step",
         StreamBuilder().mainHeader(twoTiles).tilePart().bytes(), 92},
        {"Psot 2^32 - 1: a step past 32-bit offsets", hugePsot.bytes(), 92},
        {"a segment length past the end",
         StreamBuilder().mainHeader().segmentWithLength(0x64, 1000, {0, 1}).bytes(), 80},
        {"Lsot past the end", StreamBuilder().mainHeader().sot(0, 0, 500).sod().eoc().bytes(), 80},
        {"a lone 0xFF as the last byte stays where it is", StreamBuilder().soc().u8(0xFF).bytes(), 2},
    };
    for (const Case& c : cases) {
        const auto a = analyze(c.bytes);
        EXPECT_EQ(codesOf(*a), (Codes{7})) << c.what;
        EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{c.position})) << c.what;
        EXPECT_EQ(a->getStatus(), 2) << c.what;
    }
}

TEST(Walk, TwoTilesOfOneTilePartEachAreClean)
{
    StreamBuilder::Siz twoTiles;
    twoTiles.XTsiz = 32;
    const auto a = analyze(StreamBuilder().mainHeader(twoTiles).tilePart(0).tilePart(1).eoc().bytes());
    EXPECT_EQ(offsetsOf(*a), (Offsets{0, 2, 45, 59, 80, 92, 94, 110, 122, 124, 140}));
    EXPECT_EQ(a->getDataOffsets(), (Offsets{94, 124}));
    EXPECT_EQ(a->getStatus(), 0);
}

TEST(Walk, OneTileInThreeTilePartsEntersEveryTilePart)
{
    const auto a = analyze(
        StreamBuilder().mainHeader().tilePart(0, 16, 0, 3).tilePart(0, 16, 1, 3).tilePart(0, 16, 2, 3).eoc().bytes());
    EXPECT_EQ(a->getDataOffsets(), (Offsets{94, 124, 154}));
    EXPECT_EQ(a->getMarkerOffsets().back(), 170u);
    EXPECT_EQ(a->getStatus(), 0);
}

TEST(Walk, TilePartsAfterTheTileCountFollowedByExtraBytesStillEndAtEoc)
{
    const auto a = analyze(StreamBuilder().mainHeader().tilePart(0, 16, 0, 2).tilePart(0, 16, 1, 2).eoc().fill(3).bytes());
    EXPECT_EQ(a->getDataOffsets(), (Offsets{94, 124}));
    EXPECT_EQ(codesOf(*a), (Codes{1003}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{142}));
}

TEST(Walk, PsotZeroInTheOnlyTilePartReadsToTheEnd)
{
    auto stream = minimalStream();
    stream.patchBe32(86, 0);
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(a->getMarkerOffsets().back(), 110u);
    EXPECT_EQ(a->getStatus(), 0);
}

TEST(Walk, WrongPsotInTheLastTilePartRecords1017AndStillFindsEoc)
{
    auto stream = minimalStream();
    stream.patchBe32(86, 20);
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(a->getMarkerOffsets().back(), 110u);
    EXPECT_EQ(codesOf(*a), (Codes{1017}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{80}));
    EXPECT_EQ(a->getStatus(), 1);
}

TEST(Walk, TilePartTooShortForItsOwnSodIsFatal7)
{
    StreamBuilder::Siz twoTiles;
    twoTiles.XTsiz = 32;
    for (uint32_t Psot : {12u, 8u}) {  // SOD step of 0, then a step backwards
        auto stream = StreamBuilder().mainHeader(twoTiles).tilePart(0).tilePart(1).eoc();
        stream.patchBe32(86, Psot);
        const auto a = analyze(stream.bytes());
        EXPECT_EQ(codesOf(*a), (Codes{7})) << "Psot " << Psot;
        EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{92})) << "Psot " << Psot;
        EXPECT_EQ(a->getStatus(), 2) << "Psot " << Psot;
    }
}

TEST(Walk, EmptyTilePartHasADataBlockAtTheNextMarkerWhichStaysAMarker)
{
    StreamBuilder::Siz twoTiles;
    twoTiles.XTsiz = 32;
    const auto a = analyze(StreamBuilder().mainHeader(twoTiles).tilePart(0, 0).tilePart(1).eoc().bytes());
    EXPECT_EQ(offsetsOf(*a), (Offsets{0, 2, 45, 59, 80, 92, 94, 94, 106, 108, 124}));
    EXPECT_FALSE(a->isMarker(6));
    EXPECT_TRUE(a->isMarker(7));
    EXPECT_EQ(a->getMarkerCode(7), static_cast<signed char>(0x90));
    EXPECT_EQ(a->getStatus(), 0);
}

TEST(Walk, DataBlockOfAnSodAtTheEndHasNoCodeByte)
{
    auto stream = StreamBuilder().mainHeader().sot(14);
    stream.sod();
    const auto a = analyze(stream.bytes());
    ASSERT_EQ(a->getMarkerOffsets().size(), 7u);
    EXPECT_FALSE(a->getElementCode(6).has_value());
    EXPECT_EQ(a->getMarkerCode(6), 0);
    EXPECT_EQ(codesOf(*a), (Codes{7, 1017}));
}

TEST(Walk, FieldsPastTheEndOfTheFileAreFatal7)
{
    const std::vector<std::vector<uint8_t>> cuts = {
        {0xFF, 0x4F, 0xFF, 0x51, 0x00},                    // Lsiz
        {0xFF, 0x4F, 0xFF, 0x52},                          // Lcod
        {0xFF, 0x4F, 0xFF},                                // the code byte
    };
    for (const auto& bytes : cuts) {
        const auto a = analyze(bytes);
        EXPECT_EQ(codesOf(*a), (Codes{7})) << "size " << bytes.size();
        EXPECT_EQ(a->getStatus(), 2);
    }
    auto stream = StreamBuilder().mainHeader().marker(0x90);
    EXPECT_EQ(codesOf(*analyze(stream.bytes())), (Codes{7})) << "Lsot";
    // Element 1 is this SOT: the tile grid is read from it and runs out of file.
    const auto a = analyze({0xFF, 0x30, 0xFF, 0x90, 0x00, 0x0A, 0x00, 0x00});
    EXPECT_EQ(codesOf(*a), (Codes{7, 1015, 1016}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{2, 2, 2}));
}

TEST(Walk, ErrorListHoldsCaughtCodesLatestFirstThenRecordedCodesInOrder)
{
    // Recorded 1016 at the first SOT, raised 1001 at the second tile-part COD, raised 10201 for the
    // first tile-part COD (Lcod 11), recorded 10202 for the second (Scod 0x08).
    auto stream = StreamBuilder().soc().siz().cod().beginTilePart();
    stream.segment(0x52, {0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 0x04, 0x04, 0x00});
    stream.segment(0x52, {0x08, 0x00, 0x00, 0x01, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01});
    stream.sod().fill(4).endTilePart().eoc();
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(codesOf(*a), (Codes{10201, 1001, 1016, 10202}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{71, 84, 59, 84}));
    EXPECT_EQ(a->getStatus(), 1);
}

TEST(Walk, HexTextHasEightPairsALineAndNoFinalSeparator)
{
    std::vector<uint8_t> bytes = {0xFF, 0x4F, 0x0A, 0x10, 0x20, 0x30, 0x40, 0xAB, 0x01};
    auto a = analyze(bytes);
    EXPECT_EQ(a->buildHexText(), "ff 4f 0a 10 20 30 40 ab\n01");
    EXPECT_EQ(a->getHexLineCount(), 2);

    a = analyze({0x7F});
    EXPECT_EQ(a->buildHexText(), "7f");
    EXPECT_EQ(a->getHexLineCount(), 1);

    bytes.resize(17, 0xEE);
    a = analyze(bytes);
    const std::string text = a->buildHexText();
    EXPECT_EQ(text.size(), 17u * 3 - 1);
    EXPECT_EQ(text.substr(47), "\nee");  // byte 16 starts a third line at character 48
    EXPECT_EQ(a->getHexLineCount(), 3);

    bytes.resize(16);
    a = analyze(bytes);
    EXPECT_EQ(a->buildHexText().back(), 'e');
    EXPECT_EQ(a->getHexLineCount(), 2);
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

TEST(Walk, IndexOutsideTheTableIsAnInvalidArgument)
{
    const auto a = analyze(minimalStream().bytes());
    EXPECT_THROW(a->isMarker(8), std::invalid_argument);
    EXPECT_THROW(a->getMarkerCode(-1), std::invalid_argument);
    const auto lone = analyze({0xFF, 0xD9});
    EXPECT_THROW(lone->getSizMarker(), std::invalid_argument);
}
