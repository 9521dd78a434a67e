// Field checks of each marker segment: the bounds where an off-by-one would slip through, the
// raise/record distinction (a raised code ends the segment's checks and goes to the front of the
// list), and the false reports on conforming streams that the checks must not make.

#include "support/analysis.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

using Bytes = StreamBuilder::Bytes;
using Codes = std::vector<int>;

namespace {

// Main header, then `segment` in it, then one tile-part and EOC.
Codes codesWith(uint8_t code, const Bytes& parameters, const SizFields& siz = {})
{
    return codesOf(*analyze(StreamBuilder().mainHeader(siz).segment(code, parameters).tilePart().eoc().bytes()));
}

// As codesWith, with the length field given as is.
Codes codesWithLength(uint8_t code, uint16_t length, const Bytes& parameters, const SizFields& siz = {})
{
    auto stream = StreamBuilder().mainHeader(siz).segmentWithLength(code, length, parameters);
    return codesOf(*analyze(stream.tilePart().eoc().bytes()));
}

// The main header with its SIZ changed by `patch` (offsets from the SIZ's 0xFF byte).
template <typename Patch>
Codes codesWithSiz(Patch patch, const SizFields& siz = {})
{
    auto stream = StreamBuilder().soc().siz(siz);
    patch([&](size_t at, uint32_t value, int width) {
        if (width == 1)
            const_cast<Bytes&>(stream.bytes())[2 + at] = static_cast<uint8_t>(value);
        else if (width == 2)
            stream.patchBe16(2 + at, static_cast<uint16_t>(value));
        else
            stream.patchBe32(2 + at, value);
    });
    return codesOf(*analyze(stream.cod().qcd().tilePart().eoc().bytes()));
}

SizFields componentsOf(uint16_t Csiz)
{
    SizFields siz;
    siz.Csiz = Csiz;
    return siz;
}

// COD parameters after Lcod: Scod, progression, layers, MCT, NL, xcb, ycb, style, transform.
Bytes codParameters(uint8_t Scod, uint8_t NL, uint8_t xcb, uint8_t ycb, size_t precinctBytes = 0)
{
    Bytes p = {Scod, 0x00, 0x00, 0x01, 0x00, NL, xcb, ycb, 0x00, 0x01};
    p.insert(p.end(), precinctBytes, 0x88);
    return p;
}

}  // namespace

TEST(SizFields, LengthBoundsAndComponentCount)
{
    EXPECT_EQ(codesWithSiz([](auto) {}), Codes{});
    const auto maxComponents = componentsOf(16384);  // Lsiz 49190
    EXPECT_EQ(codesWithSiz([](auto) {}, maxComponents), Codes{});
    auto tooLong = StreamBuilder().soc().siz(maxComponents).u8(0x00).cod().qcd().tilePart().eoc();
    tooLong.patchBe16(4, 49191);
    EXPECT_EQ(codesOf(*analyze(tooLong.bytes())), (Codes{10001}));
    // Lsiz 41 with Csiz 0 or 16385: the length disagrees, the count is out of range, no component tested.
    EXPECT_EQ(codesWithSiz([](auto set) { set(38, 0, 2); }), (Codes{10011, 10006}));
    EXPECT_EQ(codesWithSiz([](auto set) { set(38, 16385, 2); }), (Codes{10011, 10006}));
}

TEST(SizFields, LengthDisagreeingWithCsizSkipsTheComponentChecks)
{
    SizFields bad;
    bad.Csiz = 2;
    bad.XRsiz = 0;
    bad.Ssiz = 0x7F;
    EXPECT_EQ(codesWithSiz([](auto) {}, bad), (Codes{10008, 10009, 10008, 10009}));
    EXPECT_EQ(codesWithSiz([](auto set) { set(38, 1, 2); }, bad), (Codes{10011}));
}

TEST(SizFields, DepthUpTo38BitsOfEitherSign)
{
    for (uint8_t Ssiz : {0x26, 0xA6})
        EXPECT_EQ(codesWithSiz([Ssiz](auto set) { set(40, Ssiz, 1); }), Codes{}) << int(Ssiz);
    EXPECT_EQ(codesWithSiz([](auto set) { set(40, 0x27, 1); }), (Codes{10009}));
}

TEST(SizFields, GridFieldsOutOfRangeAreRecordedInOrder)
{
    const auto codes = codesWithSiz([](auto set) {
        set(4, 3, 2);            // Rsiz
        set(10, 0, 4);           // Ysiz
        set(14, 0xFFFFFFFF, 4);  // XOsiz
        set(22, 0, 4);           // XTsiz
        set(34, 0xFFFFFFFF, 4);  // YTOsiz
    });
    // The grid relations fail too, found after every field check.
    EXPECT_EQ(codes, (Codes{10002, 10003, 10004, 10005, 10007, 12008}));
}

TEST(SotFields, PsotBoundsAndZeroOnlyInTheLastTilePart)
{
    SizFields twoTiles;
    twoTiles.XTsiz = 32;
    const auto withPsot = [&](size_t sotAt, uint32_t Psot) {
        auto stream = StreamBuilder().mainHeader(twoTiles).tilePart(0).tilePart(1).eoc();
        stream.patchBe32(sotAt + 6, Psot);
        return codesOf(*analyze(stream.bytes()));
    };
    // Second (last) SOT at 110: Psot 0 passes, 13 is raised, 14 passes the field check.
    EXPECT_EQ(withPsot(110, 0), Codes{});
    EXPECT_EQ(withPsot(110, 13), (Codes{10102, 1017}));
    EXPECT_EQ(withPsot(110, 14), (Codes{1017}));
}

TEST(SotFields, PsotZeroMakesItsTilePartTheLastWhereverItStands)
{
    // Psot 0 reads to the end of the codestream, so its SOT is the last one the walk steps over and
    // the later tile-parts lie inside its data, where the second tile is not seen.
    SizFields twoTiles;
    twoTiles.XTsiz = 32;
    auto stream = StreamBuilder().mainHeader(twoTiles).tilePart(0).tilePart(1).eoc();
    stream.patchBe32(86, 0);
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(a->getDataOffsets(), (std::vector<uint32_t>{94}));
    EXPECT_EQ(codesOf(*a), Codes{12004});
}

TEST(SotFields, TilePartIndex255IsRecorded)
{
    // The only tile-part of its tile, so any TPsot but 0 is also out of order.
    auto stream = StreamBuilder().mainHeader().tilePart(0, 16, 254, 0).eoc();
    EXPECT_EQ(codesOf(*analyze(stream.bytes())), Codes{12002});
    stream.patchBe16(90, 0xFF00);
    EXPECT_EQ(codesOf(*analyze(stream.bytes())), (Codes{10104, 12002}));
}

TEST(CodFields, PrecinctBytesOnePerResolutionLevelAtLeast)
{
    // Scod bit 0 and NL 5: six precinct bytes make Lcod 18.
    EXPECT_EQ(codesWith(0x52, codParameters(0x01, 5, 4, 4, 5)), (Codes{1001, 10210}));
    EXPECT_EQ(codesWith(0x52, codParameters(0x01, 5, 4, 4, 6)), (Codes{1001}));
    EXPECT_EQ(codesWith(0x52, codParameters(0x01, 5, 4, 4, 7)), (Codes{1001}));
}

TEST(CodFields, CodeBlockSizeOffsetsAndTheirSum)
{
    // The helper's stream has its own COD; the second one here adds 1001 at the front.
    EXPECT_EQ(codesWith(0x52, codParameters(0, 5, 6, 6)), (Codes{1001}));
    EXPECT_EQ(codesWith(0x52, codParameters(0, 5, 8, 5)), (Codes{1001, 10206}));
    EXPECT_EQ(codesWith(0x52, codParameters(0, 5, 9, 4)), (Codes{1001, 10205, 10206}));
}

TEST(CodFields, EveryFieldRecordsInItsTurnAndShortLengthIsRaised)
{
    const Bytes everythingWrong = {0x08, 0x05, 0x00, 0x00, 0x02, 33, 0x04, 0x04, 0xC0, 0x02};
    auto stream = StreamBuilder().soc().siz().segment(0x52, everythingWrong).qcd().tilePart().eoc();
    EXPECT_EQ(codesOf(*analyze(stream.bytes())), (Codes{10202, 10204, 10209, 10211, 10203, 10207, 10208}));
    auto shortCod = StreamBuilder().soc().siz().segmentWithLength(0x52, 11, Bytes(9, 0)).qcd().tilePart().eoc();
    EXPECT_EQ(codesOf(*analyze(shortCod.bytes())), (Codes{10201}));
}

TEST(CocFields, PrecinctBytesExactlyOnePerResolutionLevel)
{
    // Ccoc, Scoc 1, NL 5, xcb, ycb, style, transform, then precinct bytes: Lcoc = NL + 10 = 15.
    const auto withPrecincts = [](size_t count) {
        Bytes p = {0x00, 0x01, 0x05, 0x04, 0x04, 0x00, 0x01};
        p.insert(p.end(), count, 0x88);
        return codesWith(0x53, p);
    };
    EXPECT_EQ(withPrecincts(5), (Codes{10409}));
    EXPECT_EQ(withPrecincts(6), Codes{});
    EXPECT_EQ(withPrecincts(7), (Codes{10409}));
}

TEST(ComponentIndexWidth, FollowsCsizOfTheMainSiz)
{
    // Csiz 256: one byte. A COC of Lcoc 9 passes, a 16-bit-style RGN of Lrgn 6 is raised.
    EXPECT_EQ(codesWith(0x53, {0xFF, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01}, componentsOf(256)), Codes{});
    EXPECT_EQ(codesWith(0x5E, {0x00, 0x00, 0x00, 0x00}, componentsOf(256)), (Codes{10601}));
    // Csiz 257: two bytes. The same COC is raised, a 16-bit one passes and its index is range-checked.
    EXPECT_EQ(codesWith(0x53, {0xFF, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01}, componentsOf(257)), (Codes{10401}));
    EXPECT_EQ(codesWith(0x53, {0x40, 0x00, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01}, componentsOf(257)), (Codes{10408}));
    EXPECT_EQ(codesWith(0x5E, {0x40, 0x00, 0x01, 0x00}, componentsOf(257)), (Codes{10603, 10602}));
    EXPECT_EQ(codesWith(0x5D, {0x40, 0x00, 0x40, 0x48}, componentsOf(257)), (Codes{10504}));
    EXPECT_EQ(codesWith(0x5F, {0x00, 0x40, 0x00, 0x00, 0x01, 0x05, 0x40, 0x00, 0x05}, componentsOf(257)),
              (Codes{10704, 10705, 10703}));
}

TEST(QcdFields, LengthBoundsAndStyleLengths)
{
    // The helper's stream has its own QCD, so each case starts with 1002.
    Bytes longest(194, 0x48);
    longest.insert(longest.begin(), 0x42);  // Lqcd 197: 32 sub-band values, the most NL 32 allows
    EXPECT_EQ(codesWith(0x5C, longest), (Codes{1002}));
    longest.push_back(0x48);  // Lqcd 198
    EXPECT_EQ(codesWith(0x5C, longest), (Codes{10301, 1002}));
    EXPECT_EQ(codesWith(0x5C, {0x41, 0x48, 0x00}), (Codes{1002}));             // style 1, Lqcd 5
    EXPECT_EQ(codesWith(0x5C, {0x41, 0x48, 0x00, 0x48}), (Codes{1002, 10304})); // style 1, Lqcd 6
    EXPECT_EQ(codesWith(0x5C, Bytes{0x42, 0x48, 0x00, 0x48, 0x00, 0x48, 0x00, 0x48}), (Codes{1002, 10304}));
    EXPECT_EQ(codesWith(0x5C, Bytes{0x40, 0x48, 0x48}), (Codes{1002, 10304}));  // style 0, Lqcd 5
    Bytes style2{0x42};
    style2.insert(style2.end(), 14, 0x48);  // Lqcd 17: seven 16-bit values
    EXPECT_EQ(codesWith(0x5C, style2), (Codes{1002}));
    EXPECT_EQ(codesWith(0x5C, {0x43, 0x48}), (Codes{1002, 10302}));
}

TEST(QcdFields, ReversibleExponentByteHasReservedLowBits)
{
    // An exponent of 8 is stored as 0x40; only bits 0–2 are reserved.
    EXPECT_EQ(codesWith(0x5C, {0x40, 0x40, 0x48, 0x48, 0x48}), (Codes{1002}));
    EXPECT_EQ(codesWith(0x5C, {0x40, 0x41, 0x48, 0x48, 0x48}), (Codes{1002, 10303}));
}

TEST(QccFields, ExponentCheckedOnlyWithAWholeSqccOfZero)
{
    EXPECT_EQ(codesWith(0x5D, {0x00, 0x40, 0x41}), Codes{});
    EXPECT_EQ(codesWith(0x5D, {0x00, 0x00, 0x41}), (Codes{10503}));
    EXPECT_EQ(codesWith(0x5D, {0x00, 0x00, 0x41, 0x48}), (Codes{10505, 10503}));
    EXPECT_EQ(codesWith(0x5D, {0x00, 0x01, 0x48, 0x00}), Codes{});
    EXPECT_EQ(codesWith(0x5D, {0x00, 0x05, 0x48, 0x00}), (Codes{10502}));
    EXPECT_EQ(codesWithLength(0x5D, 4, {0x00, 0x00}), (Codes{10501}));
}

TEST(PodFields, LengthMustHoldWholeEntries)
{
    const Bytes entry = {0x00, 0x00, 0x00, 0x01, 0x05, 0x01, 0x00};
    EXPECT_EQ(codesWith(0x5F, entry), Codes{});  // Lpoc 9
    EXPECT_EQ(codesWithLength(0x5F, 8, Bytes(entry.begin(), entry.end() - 1)), (Codes{10701}));
    Bytes longer = entry;
    longer.push_back(0x00);  // Lpoc 10
    EXPECT_EQ(codesWith(0x5F, longer), (Codes{10702}));
    Bytes badOrders = entry;
    badOrders.back() = 5;
    badOrders.insert(badOrders.end(), entry.begin(), entry.end());
    badOrders.insert(badOrders.end(), entry.begin(), entry.end());
    badOrders.back() = 9;
    EXPECT_EQ(codesWith(0x5F, badOrders), (Codes{10703, 10703}));
}

TEST(TlmFields, PairsFollowStAndSp)
{
    // Ztlm, Stlm, then (Ttlm, Ptlm) pairs; one pair for the one tile-part (tile 0, 30 bytes).
    EXPECT_EQ(codesWith(0x55, {0x00, 0x00, 0x00, 0x1E}), Codes{});                               // ST 0, SP 0
    EXPECT_EQ(codesWith(0x55, {0x00, 0x10, 0x00, 0x00, 0x1E}), Codes{});                         // ST 1, SP 0
    EXPECT_EQ(codesWith(0x55, {0x00, 0x20, 0x00, 0x00, 0x00, 0x1E}), Codes{});                   // ST 2, SP 0
    EXPECT_EQ(codesWith(0x55, {0x00, 0x40, 0x00, 0x00, 0x00, 0x1E}), Codes{});                   // ST 0, SP 1
    EXPECT_EQ(codesWith(0x55, {0x00, 0x50, 0x00, 0x00, 0x00, 0x00, 0x1E}), Codes{});             // ST 1, SP 1
    EXPECT_EQ(codesWith(0x55, {0x00, 0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1E}), Codes{});       // ST 2, SP 1
    // ST 1, SP 0 with one pair: three bytes do not fit 16-bit values but do fit the pairs.
    EXPECT_EQ(codesWith(0x55, {0x00, 0x10, 0x07, 0x00, 0x0D}), (Codes{10804}));
    EXPECT_EQ(codesWith(0x55, {0x00, 0x10, 0x07, 0x00, 0x0D, 0x08}), (Codes{10805}));
    EXPECT_EQ(codesWith(0x55, {0x00, 0x40, 0x00, 0x00, 0x00, 0x0D, 0x00, 0x00, 0x00, 0x00}), (Codes{10804, 10804}));
}

TEST(TlmFields, UndefinedStOrReservedBitsRecord10802)
{
    EXPECT_EQ(codesWith(0x55, {0x00, 0x30, 0x00, 0x01, 0x00}), (Codes{10802}));  // ST 3: checks end
    EXPECT_EQ(codesWith(0x55, {0x00, 0x81, 0x01, 0x00}), (Codes{10802}));
    EXPECT_EQ(codesWithLength(0x55, 5, {0x00, 0x00, 0x00}), (Codes{10801}));
}

TEST(CmeFields, RegistrationValuesAboveOneAndShortLengths)
{
    EXPECT_EQ(codesWith(0x64, {0x00, 0x00, 0x01}), Codes{});  // binary
    EXPECT_EQ(codesWith(0x64, {0x00, 0x01, 'a'}), Codes{});   // Latin-1 text
    EXPECT_EQ(codesWith(0x64, {0x00, 0x02, 'a'}), (Codes{11302}));
    EXPECT_EQ(codesWith(0x64, {0x00, 0x02}), (Codes{11301, 11302}));
    EXPECT_EQ(codesWith(0x64, {0x00, 0x01}), (Codes{11301}));
}

TEST(PacketSegments, ShortLengthsAreRecorded)
{
    EXPECT_EQ(codesWithLength(0x57, 4, {0x00, 0x00}), (Codes{10901}));
    EXPECT_EQ(codesWithLength(0x60, 6, {0x00, 0x00, 0x00, 0x00}), (Codes{11101}));
    auto pltPpt = StreamBuilder().mainHeader().beginTilePart();
    pltPpt.segmentWithLength(0x58, 3, {0x00}).segmentWithLength(0x61, 3, {0x00});
    EXPECT_EQ(codesOf(*analyze(pltPpt.sod().fill(4).endTilePart().eoc().bytes())), (Codes{11001, 11201}));
}

TEST(UnknownMarkers, ReportedOncePerElementExceptTheReservedRange)
{
    auto stream = StreamBuilder().mainHeader().marker(0x30).marker(0x3F).segment(0x91, {0x00, 0x00});
    stream.segment(0x65, {0x00}).tilePart().eoc();
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(codesOf(*a), (Codes{1018, 1018}));
    EXPECT_EQ(positionsOf(*a), (std::vector<uint64_t>{84, 90}));
}

TEST(DataBlocks, OnlyMarkerCodesBitStreamCannotHoldAreReported)
{
    const auto codesForData = [](const Bytes& data) {
        auto stream = StreamBuilder().mainHeader().beginTilePart();
        stream.sod().raw(data).endTilePart().eoc();
        return codesOf(*analyze(stream.bytes()));
    };
    EXPECT_EQ(codesForData({0xFF, 0x78, 0x00, 0x00}), Codes{});                    // packet data
    EXPECT_EQ(codesForData({0xFF, 0x52, 0x00, 0x00}), Codes{});                    // not read as a COD
    EXPECT_EQ(codesForData({0xFF, 0x91, 0x00, 0x04, 0x00, 0x00}), Codes{});        // SOP
    EXPECT_EQ(codesForData({0xFF, 0x90, 0x00, 0x00}), (Codes{1018}));
    EXPECT_EQ(codesForData({0xFF, 0x92, 0x00, 0x00}), (Codes{1018}));
}

TEST(DataBlocks, EmptyDataBlockIsNotExamined)
{
    SizFields twoTiles;
    twoTiles.XTsiz = 32;
    const auto a = analyze(StreamBuilder().mainHeader(twoTiles).tilePart(0, 0).tilePart(1).eoc().bytes());
    EXPECT_EQ(codesOf(*a), Codes{});
}

TEST(Validation, RunsOnlyWhenTheWalkReachedEoc)
{
    auto stream = StreamBuilder().mainHeader().segment(0x70, {0x00}).tilePart();
    EXPECT_EQ(codesOf(*analyze(stream.bytes())), (Codes{1, 1017}));
}
