// Field checks of each marker segment: the bounds where an off-by-one would slip through, the
// raise/record distinction (a raised code ends the segment's checks and goes to the front of the
// list), and the false reports on conforming streams that the checks must not make.

#include "support/analysis.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

using Bytes = StreamBuilder::Bytes;
using Codes = std::vector<int>;

namespace {

// A segment added to the main header, whose length is its parameters' unless given.
struct SegmentCase {
    const char* what;
    uint8_t code;
    Bytes parameters;
    Codes codes;
    uint16_t Csiz = 1;
    uint16_t length = 0;
};

void expectCodes(const std::vector<SegmentCase>& cases)
{
    for (const SegmentCase& c : cases) {
        SizFields siz;
        siz.Csiz = c.Csiz;
        auto stream = StreamBuilder().mainHeader(siz);
        if (c.length)
            stream.segmentWithLength(c.code, c.length, c.parameters);
        else
            stream.segment(c.code, c.parameters);
        EXPECT_EQ(codesOf(*analyze(stream.tilePart().eoc().bytes())), c.codes) << c.what;
    }
}

// The codes of a stream whose SIZ (at 2) `patch` changes.
Codes codesWithSiz(void (*patch)(StreamBuilder&), const SizFields& siz = {})
{
    auto stream = StreamBuilder().soc().siz(siz);
    patch(stream);
    return codesOf(*analyze(stream.cod().qcd().tilePart().eoc().bytes()));
}

// COD parameters after Lcod: Scod, progression, layers, MCT, NL, xcb, ycb, style, transform.
Bytes cod(uint8_t Scod, uint8_t xcb, uint8_t ycb, size_t precinctBytes = 0)
{
    Bytes p = {Scod, 0x00, 0x00, 0x01, 0x00, 5, xcb, ycb, 0x00, 0x01};
    p.insert(p.end(), precinctBytes, 0x88);
    return p;
}

// COC parameters of Scoc 1 and NL 5, then precinct bytes: Lcoc = NL + 10 = 15 wants six.
Bytes cocWithPrecincts(size_t count)
{
    Bytes p = {0x00, 0x01, 0x05, 0x04, 0x04, 0x00, 0x01};
    p.insert(p.end(), count, 0x88);
    return p;
}

Bytes qcd(uint8_t Sqcd, size_t count, uint8_t value = 0x48)
{
    Bytes p(count, value);
    p.insert(p.begin(), Sqcd);
    return p;
}

const Bytes pocEntry = {0x00, 0x00, 0x00, 0x01, 0x05, 0x01, 0x00};

}  // namespace

TEST(SizFields, LengthComponentCountDepthAndGrid)
{
    EXPECT_EQ(codesWithSiz([](auto&) {}), Codes{});
    SizFields maxComponents;
    maxComponents.Csiz = 16384;  // Lsiz 49190
    EXPECT_EQ(codesWithSiz([](auto&) {}, maxComponents), Codes{});
    auto tooLong = StreamBuilder().soc().siz(maxComponents).u8(0x00).cod().qcd().tilePart().eoc();
    EXPECT_EQ(codesOf(*analyze(tooLong.patchBe16(4, 49191).bytes())), (Codes{10001}));
    // Lsiz 41 with Csiz 0 or 16385: the length disagrees, the count is out of range, no component tested.
    EXPECT_EQ(codesWithSiz([](auto& s) { s.patchBe16(40, 0); }), (Codes{10011, 10006}));
    EXPECT_EQ(codesWithSiz([](auto& s) { s.patchBe16(40, 16385); }), (Codes{10011, 10006}));
    SizFields bad;
    bad.Csiz = 2;
    bad.XRsiz = 0;
    bad.Ssiz = 0x7F;
    EXPECT_EQ(codesWithSiz([](auto&) {}, bad), (Codes{10008, 10009, 10008, 10009}));
    EXPECT_EQ(codesWithSiz([](auto& s) { s.patchBe16(40, 1); }, bad), (Codes{10011})) << "components skipped";
    // Depths up to 38 bits, of either sign.
    EXPECT_EQ(codesWithSiz([](auto& s) { s.patchU8(42, 0x26); }), Codes{});
    EXPECT_EQ(codesWithSiz([](auto& s) { s.patchU8(42, 0xA6); }), Codes{});
    EXPECT_EQ(codesWithSiz([](auto& s) { s.patchU8(42, 0x27); }), (Codes{10009}));
    // Rsiz, Ysiz, XOsiz, XTsiz, YTOsiz: in order, and the grid relations fail too, after every field check.
    EXPECT_EQ(codesWithSiz([](auto& s) {
                  s.patchBe16(6, 0x1000).patchBe32(12, 0).patchBe32(16, UINT32_MAX);
                  s.patchBe32(24, 0).patchBe32(36, UINT32_MAX);
              }),
              (Codes{10002, 10003, 10004, 10005, 10007, 12008}));
}

TEST(SotFields, PsotBoundsTilePartIndexAndPsotZero)
{
    const auto withPsot = [&](uint32_t Psot) {
        auto stream = StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0).tilePart(1).eoc();
        return codesOf(*analyze(stream.patchBe32(110 + 6, Psot).bytes()));
    };
    // The second (last) SOT: Psot 0 passes, 13 is raised, 14 passes the field check.
    EXPECT_EQ(withPsot(0), Codes{});
    EXPECT_EQ(withPsot(13), (Codes{10102, 1017}));
    EXPECT_EQ(withPsot(14), (Codes{1017}));

    // Psot 0 reads to the end of the codestream, so its SOT is the last one the walk steps over and
    // the later tile-parts lie inside its data, where the second tile is not seen.
    auto first = StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0).tilePart(1).eoc();
    const auto a = analyze(first.patchBe32(86, 0).bytes());
    EXPECT_EQ(a->getDataOffsets(), (std::vector<uint32_t>{94}));
    EXPECT_EQ(codesOf(*a), Codes{12004});

    // The only tile-part of its tile, so any TPsot but 0 is also out of order.
    auto stream = StreamBuilder().mainHeader().tilePart(0, 16, 254, 0).eoc();
    EXPECT_EQ(codesOf(*analyze(stream.bytes())), Codes{12002});
    EXPECT_EQ(codesOf(*analyze(stream.patchBe16(90, 0xFF00).bytes())), (Codes{10104, 12002}));
}

// The stream has its own COD and QCD, so a second one here adds 1001 or 1002 at the front.
TEST(SegmentFields, CodingStyleAndQuantization)
{
    Bytes longest = qcd(0x42, 194);  // Lqcd 197: 32 sub-band values, the most NL 32 allows
    Bytes tooLong = qcd(0x42, 195);
    expectCodes({
        {"COD, Scod 1: five precinct bytes for NL 5", 0x52, cod(0x01, 4, 4, 5), {1001, 10210}},
        {"COD, six precinct bytes", 0x52, cod(0x01, 4, 4, 6), {1001}},
        {"COD, seven precinct bytes", 0x52, cod(0x01, 4, 4, 7), {1001}},
        {"COD, code-block offsets 6 and 6", 0x52, cod(0, 6, 6), {1001}},
        {"COD, code-block offsets summing past 12", 0x52, cod(0, 8, 5), {1001, 10206}},
        {"COD, code-block offset 9", 0x52, cod(0, 9, 4), {1001, 10205, 10206}},
        {"COC, five precinct bytes", 0x53, cocWithPrecincts(5), {10409}},
        {"COC, six precinct bytes", 0x53, cocWithPrecincts(6), {}},
        {"COC, seven precinct bytes", 0x53, cocWithPrecincts(7), {10409}},
        {"QCD, Lqcd 197", 0x5C, longest, {1002}},
        {"QCD, Lqcd 198", 0x5C, tooLong, {10301, 1002}},
        {"QCD, style 1, Lqcd 5", 0x5C, {0x41, 0x48, 0x00}, {1002}},
        {"QCD, style 1, Lqcd 6", 0x5C, {0x41, 0x48, 0x00, 0x48}, {1002, 10304}},
        {"QCD, style 2, Lqcd 17: seven 16-bit values", 0x5C, qcd(0x42, 14), {1002}},
        {"QCD, style 2, Lqcd 10", 0x5C, qcd(0x42, 7), {1002, 10304}},
        {"QCD, style 0, Lqcd 5", 0x5C, {0x40, 0x48, 0x48}, {1002, 10304}},
        {"QCD, style 3", 0x5C, {0x43, 0x48}, {1002, 10302}},
        // An exponent of 8 is stored as 0x40; only bits 0–2 are reserved.
        {"QCD, exponent 8", 0x5C, {0x40, 0x40, 0x48, 0x48, 0x48}, {1002}},
        {"QCD, reserved exponent bit", 0x5C, {0x40, 0x41, 0x48, 0x48, 0x48}, {1002, 10303}},
        // The exponent of a QCC is checked only with a whole Sqcc of 0.
        {"QCC, Sqcc 0x40", 0x5D, {0x00, 0x40, 0x41}, {}},
        {"QCC, Sqcc 0", 0x5D, {0x00, 0x00, 0x41}, {10503}},
        {"QCC, Sqcc 0, Lqcc 6", 0x5D, {0x00, 0x00, 0x41, 0x48}, {10505, 10503}},
        {"QCC, style 1", 0x5D, {0x00, 0x01, 0x48, 0x00}, {}},
        {"QCC, style 5", 0x5D, {0x00, 0x05, 0x48, 0x00}, {10502}},
        {"QCC, Lqcc 4", 0x5D, {0x00, 0x00}, {10501}, 1, 4},
    });
}

TEST(SegmentFields, ComponentIndexWidthFollowsCsizOfTheMainSiz)
{
    // Csiz 256: one byte; Csiz 257: two, whose value is range-checked.
    expectCodes({
        {"COC of Lcoc 9", 0x53, {0xFF, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01}, {}, 256},
        {"RGN of Lrgn 6", 0x5E, {0x00, 0x00, 0x00, 0x00}, {10601}, 256},
        {"COC of Lcoc 9, two-byte index", 0x53, {0xFF, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01}, {10401}, 257},
        {"COC", 0x53, {0x40, 0x00, 0x00, 0x05, 0x04, 0x04, 0x00, 0x01}, {10408}, 257},
        {"RGN", 0x5E, {0x40, 0x00, 0x01, 0x00}, {10603, 10602}, 257},
        {"QCC", 0x5D, {0x40, 0x00, 0x40, 0x48}, {10504}, 257},
        {"POD", 0x5F, {0x00, 0x40, 0x00, 0x00, 0x01, 0x05, 0x40, 0x00, 0x05}, {10704, 10705, 10703}, 257},
    });
}

TEST(SegmentFields, LengthsThatMustHoldWholeEntries)
{
    Bytes badOrders;  // Ppoc 5, 0, 9
    for (uint8_t Ppoc : {5, 0, 9}) {
        badOrders.insert(badOrders.end(), pocEntry.begin(), pocEntry.end());
        badOrders.back() = Ppoc;
    }
    expectCodes({
        {"POD, Lpoc 9", 0x5F, pocEntry, {}},
        {"POD, Lpoc 8", 0x5F, Bytes(pocEntry.begin(), pocEntry.end() - 1), {10701}, 1, 8},
        {"POD, Lpoc 10", 0x5F, {0x00, 0x00, 0x00, 0x01, 0x05, 0x01, 0x00, 0x00}, {10702}},
        {"POD, two progression orders out of range", 0x5F, badOrders, {10703, 10703}},
        // Ztlm, Stlm, then (Ttlm, Ptlm) pairs; one pair for the one tile-part (tile 0, 30 bytes).
        {"TLM, ST 0, SP 0", 0x55, {0x00, 0x00, 0x00, 0x1E}, {}},
        {"TLM, ST 1, SP 0", 0x55, {0x00, 0x10, 0x00, 0x00, 0x1E}, {}},
        {"TLM, ST 2, SP 0", 0x55, {0x00, 0x20, 0x00, 0x00, 0x00, 0x1E}, {}},
        {"TLM, ST 0, SP 1", 0x55, {0x00, 0x40, 0x00, 0x00, 0x00, 0x1E}, {}},
        {"TLM, ST 1, SP 1", 0x55, {0x00, 0x50, 0x00, 0x00, 0x00, 0x00, 0x1E}, {}},
        {"TLM, ST 2, SP 1", 0x55, {0x00, 0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1E}, {}},
        // Three bytes do not fit 16-bit values but do fit the pairs.
        {"TLM, Ptlm 13", 0x55, {0x00, 0x10, 0x07, 0x00, 0x0D}, {10804}},
        {"TLM, a byte past the pairs", 0x55, {0x00, 0x10, 0x07, 0x00, 0x0D, 0x08}, {10805}},
        {"TLM, two short Ptlm", 0x55, {0x00, 0x40, 0x00, 0x00, 0x00, 0x0D, 0x00, 0x00, 0x00, 0x00}, {10804, 10804}},
        {"TLM, ST 3 ends the checks", 0x55, {0x00, 0x30, 0x00, 0x01, 0x00}, {10802}},
        {"TLM, reserved bits", 0x55, {0x00, 0x81, 0x01, 0x00}, {10802}},
        {"TLM, Ltlm 5", 0x55, {0x00, 0x00, 0x00}, {10801}, 1, 5},
        {"CME, binary", 0x64, {0x00, 0x00, 0x01}, {}},
        {"CME, Latin-1 text", 0x64, {0x00, 0x01, 'a'}, {}},
        {"CME, Rcme 2", 0x64, {0x00, 0x02, 'a'}, {11302}},
        {"CME, Rcme 2, Lcme 4", 0x64, {0x00, 0x02}, {11301, 11302}},
        {"CME, Lcme 4", 0x64, {0x00, 0x01}, {11301}},
        {"PLM, Lplm 4", 0x57, {0x00, 0x00}, {10901}, 1, 4},
        {"PPM, Lppm 6", 0x60, {0x00, 0x00, 0x00, 0x00}, {11101}, 1, 6},
    });
    auto pltPpt = StreamBuilder().mainHeader().beginTilePart();
    pltPpt.segmentWithLength(0x58, 3, {0x00}).segmentWithLength(0x61, 3, {0x00});
    EXPECT_EQ(codesOf(*analyze(pltPpt.sod().fill(4).endTilePart().eoc().bytes())), (Codes{11001, 11201}));
}

TEST(SegmentFields, CodFieldsRecordInTheirTurnAndAShortLengthIsRaised)
{
    const Bytes everythingWrong = {0x08, 0x05, 0x00, 0x00, 0x02, 33, 0x04, 0x04, 0xC0, 0x02};
    auto stream = StreamBuilder().soc().siz().segment(0x52, everythingWrong).qcd().tilePart().eoc();
    EXPECT_EQ(codesOf(*analyze(stream.bytes())), (Codes{10202, 10204, 10209, 10211, 10203, 10207, 10208}));
    auto shortCod = StreamBuilder().soc().siz().segmentWithLength(0x52, 11, Bytes(9, 0)).qcd().tilePart().eoc();
    EXPECT_EQ(codesOf(*analyze(shortCod.bytes())), (Codes{10201}));
}

TEST(UnknownMarkers, ReportedOncePerElementExceptTheReservedRange)
{
    auto stream = StreamBuilder().mainHeader().marker(0x30).marker(0x3F).segment(0x91, {0x00, 0x00});
    stream.segment(0x65, {0x00}).tilePart().eoc();
    const auto a = analyze(stream.bytes());
    EXPECT_EQ(findingsOf(*a), (Findings{{1018, 84}, {1018, 90}}));
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
    // An empty block is not examined: the SOT at its offset is no bit-stream.
    const auto a = analyze(StreamBuilder().mainHeader(SizFields::row(2)).tilePart(0, 0).tilePart(1).eoc().bytes());
    EXPECT_EQ(codesOf(*a), Codes{});
    // The checks run only when the walk reached EOC.
    const auto noEoc = StreamBuilder().mainHeader().segment(0x70, {0x00}).tilePart();
    EXPECT_EQ(codesOf(*analyze(noEoc.bytes())), (Codes{1, 1017}));
}
