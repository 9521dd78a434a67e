// Each line of an element's text that shows a field knows the bytes of that field, as the segment's
// layout places them; titles, explanations, item numbers and fixed texts know none. (Boxes: their
// text's tests.)

#include "present/elementText.h"
#include "support/analysis.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

using Bytes = StreamBuilder::Bytes;

namespace {

struct FieldCase {
    const char* name;
    Bytes stream;
    int element;
    // Every line that shows a field, trimmed, with the field's offset from the segment's 0xFF byte
    // and its length; lines joined by '|'.
    std::string fieldLines;
};

// A segment at the end of a main header (element 4).
Bytes mainHeaderWith(uint8_t code, const Bytes& parameters, uint16_t Csiz = 1)
{
    SizFields siz;
    siz.Csiz = Csiz;
    return StreamBuilder().mainHeader(siz).segment(code, parameters).tilePart().eoc().bytes();
}

// A segment in a tile-part header, after its SOT (element 5).
Bytes tilePartWith(uint8_t code, const Bytes& parameters)
{
    auto stream = StreamBuilder().mainHeader().beginTilePart().segment(code, parameters);
    return stream.sod().fill(4).endTilePart().eoc().bytes();
}

// Offsets from `p`, the segment's 0xFF byte.
std::string fieldLinesOf(const ElementText& shown, uint64_t p)
{
    std::vector<std::string> lines{""};
    for (const char c : shown.text)
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back().push_back(c);
    EXPECT_EQ(shown.lineFields.size(), lines.size());
    std::string out;
    for (size_t i = 0; i < lines.size() && i < shown.lineFields.size(); ++i) {
        if (!shown.lineFields[i])
            continue;
        const FieldBytes& f = *shown.lineFields[i];
        out += (out.empty() ? "" : "|") + lines[i].substr(lines[i].find_first_not_of(' ')) + " @" +
               std::to_string(f.begin - p) + "+" + std::to_string(f.end - f.begin);
    }
    return out;
}

class FieldBytesOfLines : public testing::TestWithParam<FieldCase> {};

}  // namespace

TEST_P(FieldBytesOfLines, MatchTheSegmentLayout)
{
    const FieldCase& c = GetParam();
    const auto a = analyze(c.stream);
    EXPECT_EQ(fieldLinesOf(buildElementTextWithFields(*a, c.element), a->getMarkerOffsets()[c.element]), c.fieldLines);
    EXPECT_EQ(buildElementTextWithFields(*a, c.element).text, a->buildElementText(c.element));
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, FieldBytesOfLines,
    testing::Values(
        FieldCase{"Siz", StreamBuilder().mainHeader().tilePart().eoc().bytes(), 1,
                  "Lsiz: 41 @2+2|Rsiz: 0 @4+2|Xsiz: 64 @6+4|Ysiz: 64 @10+4|XOsiz: 0 @14+4|YOsiz: 0 @18+4"
                  "|XTsiz: 64 @22+4|YTsiz: 64 @26+4|XTOsiz: 0 @30+4|YTOsiz: 0 @34+4|Csiz: 1 @38+2"
                  "|Ssiz: 7 @40+1|XRsiz: 1 @41+1|YRsiz: 1 @42+1"},
        FieldCase{"Sot", StreamBuilder().mainHeader().tilePart().eoc().bytes(), 4,
                  "Lsot: 10 @2+2|Isot: 0 @4+2|Psot: 30 @6+4|TPsot: 0 @10+1|TNsot: 1 @11+1"},
        FieldCase{"CodWithPrecincts",
                  mainHeaderWith(0x52, {0x01, 0x02, 0x00, 0x01, 0x01, 0x01, 4, 4, 0, 0, 0x75, 0x88}), 4,
                  "Lcod: 14 @2+2|Scod: 1 @4+1|Progession order: RPCL @5+1|Number of layers: 1 @6+2"
                  "|Multiple component transform: 1 @8+1|Decomposition levels: 1 @9+1"
                  "|Code-block size width (exponent offset value): 4 @10+1"
                  "|Code-block size height (exponent offset value): 4 @11+1|Code-block style: 0 @12+1"
                  "|Transform: 0 @13+1|PPx: 5 @14+1|PPy: 7 @14+1|PPx: 8 @15+1|PPy: 8 @15+1"},
        FieldCase{"CocWithATwoByteIndex", mainHeaderWith(0x53, {0x01, 0x2B, 0x01, 0x00, 4, 4, 0, 1, 0x21}, 300), 4,
                  "Lcoc: 11 @2+2|Ccoc: 299 @4+2|Scoc: 1 @6+1|Decomposition levels: 0 @7+1"
                  "|Code-block size width (exponent offset value): 4 @8+1"
                  "|Code-block size height (exponent offset value): 4 @9+1|Code-block style: 0 @10+1"
                  "|Transformation: 1 @11+1|PPx: 1 @12+1|PPy: 2 @12+1"},
        FieldCase{"QcdWithStepSizes", mainHeaderWith(0x5C, {0x42, 0x48, 0x00, 0x88, 0x01}), 4,
                  "Lqcd: 7 @2+2|Sqcd: 66 @4+1|Number of guard bits: 2 @4+1"
                  "|Mantissa of the quantization step size value: 0 @5+2"
                  "|Exponent of the quantization step size value: 9 @5+2"
                  "|Mantissa of the quantization step size value: 1 @7+2"
                  "|Exponent of the quantization step size value: 17 @7+2"},
        FieldCase{"QccWithExponents", mainHeaderWith(0x5D, {0x02, 0x00, 0x48, 0x50}, 3), 4,
                  "Lqcc: 6 @2+2|Cqcc: 2 @4+1|Sqcc: 0 @5+1|Number of guard bits: 0 @5+1"
                  "|Exponent of the reversible dynamic range: 9 @6+1"
                  "|Exponent of the reversible dynamic range: 10 @7+1"},
        FieldCase{"Rgn", mainHeaderWith(0x5E, {0x02, 0x00, 0x07}, 3), 4,
                  "Lrgn: 5 @2+2|Crgn: 2 @4+1|Srgn: 0 @5+1|Implicit ROI shift: 7 @6+1"},
        FieldCase{"Poc", mainHeaderWith(0x5F, {0x00, 0x00, 0x00, 0x02, 0x05, 0x03, 0x01}, 3), 4,
                  "Lpoc: 9 @2+2|RSpoc: 0 @4+1|CSpoc: 0 @5+1|LYEpoc: 2 @6+2|REpoc: 5 @8+1|CEpoc: 3 @9+1|Ppoc: 1 @10+1"},
        FieldCase{"TlmWithTtlmAndLongPtlm", mainHeaderWith(0x55, {0x03, 0x50, 0x07, 0x00, 0x01, 0x00, 0x00}), 4,
                  "Ltlm: 9 @2+2|Ztlm: 3 @4+1|Stlm: 80 @5+1|Ttlm: 7 @6+1|Ptlm: 65536 @7+4"},
        FieldCase{"PlmPacketLengthsOfEveryWidth", mainHeaderWith(0x57, {0x00, 0x03, 0x05, 0x81, 0x00, 0x01, 0x09}), 4,
                  "Lplm: 9 @2+2|Zplm: 0 @4+1|Nplm: 3 @5+1|0 packet length: 5 @6+1|1 packet length: 128 @7+2"
                  "|Nplm: 1 @9+1|0 packet length: 9 @10+1"},
        FieldCase{"Plt", tilePartWith(0x58, {0x00, 0x82, 0x01, 0x07}), 5,
                  "Lplt: 6 @2+2|Zplt: 0 @4+1|0 packet length: 257 @5+2|1 packet length: 7 @7+1"},
        FieldCase{"Ppm", mainHeaderWith(0x60, {0x00, 0x00, 0x00, 0x00, 0x01, 0xAA}), 4, "Lppm: 8 @2+2|Zppm: 0 @4+1"},
        FieldCase{"Ppt", tilePartWith(0x61, {0x00, 0xAA}), 5, "Lppt: 4 @2+2|Zppt: 0 @4+1"},
        FieldCase{"ComTextOnEveryLineItSpans", mainHeaderWith(0x64, {0x00, 0x01, 'a', '\n', 'b', 0x00}), 4,
                  "Lcom: 8 @2+2|Rcom: 1 @4+2|a @6+3|b @6+3"},
        FieldCase{"Crg", mainHeaderWith(0x63, {0x00, 0x01, 0x00, 0x02}), 4, "Lcrg: 6 @2+2|Xcrg: 1 @4+2|Ycrg: 2 @6+2"},
        FieldCase{"FixedText", StreamBuilder().mainHeader().tilePart().eoc().bytes(), 0, ""},
        FieldCase{"BadSize", mainHeaderWith(0x52, {0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 4, 4, 0}), 4, ""},
        FieldCase{"EndOfFileLineShowsNoField", StreamBuilder().soc().marker(0x51).be16(41).be16(0).be32(64).bytes(), 1,
                  "Lsiz: 41 @2+2|Rsiz: 0 @4+2|Xsiz: 64 @6+4"}),
    [](const testing::TestParamInfo<FieldCase>& info) { return info.param.name; });
