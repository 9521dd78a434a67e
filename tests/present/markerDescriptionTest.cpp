#include "present/markerDescription.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct ExpectedText {
    unsigned char code;
    std::string_view title;
    std::vector<std::string_view> parameters;
    std::size_t targetLength;
    std::string_view precedence; // the order-of-precedence line, empty where Annex A gives none
    bool explainsGreaterThan;
};

const std::vector<ExpectedText> kExpected{
    {0x4F, "Start of codestream (SOC)", {}, 230, "", false},
    {0x50, "Extended capabilities (CAP)", {"Lcap", "Pcap", "Ccapi"}, 1280, "", false},
    {0x56, "Profile (PRF)", {"Lprf", "Pprfi"}, 640, "", false},
    {0x59, "Corresponding profile (CPF)", {"Lcpf", "Pcpfi"}, 750, "", false},
    {0x51, "Image and tile size (SIZ)",
     {"Lsiz", "Rsiz", "Xsiz", "Ysiz", "XOsiz", "YOsiz", "XTsiz", "YTsiz", "XTOsiz", "YTOsiz", "Csiz", "Ssizi", "XRsizi",
      "YRsizi"},
     1990, "", false},
    {0x52, "Coding style default (COD)", {"Lcod", "Scod", "SPcodi"}, 1540,
     "Tile-part COC > Tile-part COD > Main COC > Main COD", true},
    {0x53, "Coding style component (COC)", {"Lcoc", "Ccoc", "Scoc", "SPcoci"}, 1320,
     "Tile-part COC > Tile-part COD > Main COC > Main COD", true},
    {0x55, "Tile-part lengths, main header (TLM)", {"Ltlm", "Ztlm", "Stlm", "Ttlmi", "Ptlmi"}, 1280, "", false},
    {0x57, "Packet length, main header (PLM)", {"Lplm", "Zplm", "Nplmi", "Iplmij"}, 1050, "", false},
    {0x58, "Packets length, tile-part header (PLT)", {"Lplt", "Zplt", "Iplmi"}, 750, "", false},
    {0x5C, "Quantization default (QCD)", {"Lqcd", "Sqcd", "SPqcdi"}, 1300,
     "Tile-part QCC > Tile-part QCD > Main QCC > Main QCD", true},
    {0x5D, "Quantization component (QCC)", {"Lqcc", "Cqcc", "Sqcc", "SPqcci"}, 1540,
     "Tile-part QCC > Tile-part QCD > Main QCC > Main QCD", true},
    {0x5E, "Region-of-interest (RGN)", {"Lrgn", "Crgn", "Srgn", "SPrgn"}, 1190, "", false},
    {0x5F, "Progression order change, default (POD)", {"Lpod", "RSpodi", "CSpodi", "LYEpodi", "REpodi", "CEpodi", "Ppod"},
     2680, "Tile-part POD > Main POD > Tile-part COD > Main COD", false},
    {0x60, "Packed packet headers, main header (PPM)", {"Lppm", "Zppm", "Nppmi", "Ippmij"}, 1740, "", false},
    {0x61, "Packed packet headers, tile-part header (PPT)", {"Lppt", "Zppt", "Ippti"}, 1570, "", false},
    {0x64, "Comment and extension (CME)", {"Lcme", "Rcme", "Ccmei"}, 330, "", false},
    {0x90, "Start of tile-part (SOT)", {"Lsot", "Isot", "Psot", "TPsot", "TNsot"}, 1470, "", false},
    {0x93, "Start of data (SOD)", {}, 460, "", false},
    {0xD9, "End of codestream (EOC)", {}, 260, "", false},
};

void PrintTo(const ExpectedText& expected, std::ostream* os)
{
    *os << expected.title;
}

std::string describe(unsigned char code)
{
    return markerDescription(static_cast<signed char>(code));
}

// Lines without their CR LF; assumes the text ends with one, which the layout test pins.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::size_t characterCount(std::string_view s)
{
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool startsParameter(const std::string& line, std::string_view name)
{
    return line.starts_with(name) && line.size() > name.size() && line[name.size()] == ':';
}

class MarkerTextTest : public testing::TestWithParam<ExpectedText> {};

TEST_P(MarkerTextTest, TitleEmptyLineFunctionUsageInCrLfLinesOfAtMost130CharactersNearTheExcerptsLength)
{
    const auto text = describe(GetParam().code);
    EXPECT_TRUE(text.ends_with("\r\n"));
    EXPECT_FALSE(text.ends_with("\r\n\r\n"));
    const auto lines = linesOf(text);
    EXPECT_EQ(static_cast<std::size_t>(std::ranges::count(text, '\n')), lines.size());
    EXPECT_EQ(static_cast<std::size_t>(std::ranges::count(text, '\r')), lines.size());
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], GetParam().title);
    EXPECT_EQ(lines[1], "");
    EXPECT_TRUE(lines[2].starts_with("Function: ")) << lines[2];
    EXPECT_EQ(std::ranges::count_if(lines, [](const auto& l) { return l.starts_with("Usage: "); }), 1);
    for (const auto& line : lines) {
        EXPECT_LE(characterCount(line), 130u) << line;
        EXPECT_FALSE(line.starts_with(' ') || line.ends_with(' ')) << '"' << line << '"';
    }
    // Within a quarter of the excerpt's length.
    const auto length = static_cast<double>(characterCount(text));
    EXPECT_GE(length, 0.75 * static_cast<double>(GetParam().targetLength));
    EXPECT_LE(length, 1.25 * static_cast<double>(GetParam().targetLength));
}

TEST_P(MarkerTextTest, ParameterParagraphsInSegmentOrderAndPrecedenceLineBeforeTheGreaterThanSentence)
{
    const auto& expected = GetParam();
    const auto lines = linesOf(describe(expected.code));
    const auto precedence = std::ranges::find_if(lines, [](const auto& l) { return l.find(" > ") != l.npos; });
    if (expected.precedence.empty()) {
        EXPECT_EQ(precedence, lines.end());
    } else {
        ASSERT_NE(precedence, lines.end());
        EXPECT_EQ(*precedence, expected.precedence);
        ASSERT_NE(precedence + 1, lines.end());
        EXPECT_EQ((precedence + 1)->starts_with("where the “greater than” sign, >,"), expected.explainsGreaterThan);
    }

    const auto& names = expected.parameters;
    const auto usage = std::ranges::find_if(lines, [](const auto& l) { return l.starts_with("Usage: "); });
    const auto gap = std::find(usage, lines.end(), "");
    if (names.empty()) {
        EXPECT_EQ(gap, lines.end()) << "a marker without a segment has no parameter block";
        return;
    }
    ASSERT_NE(gap, lines.end());
    ASSERT_NE(gap + 1, lines.end());
    EXPECT_TRUE(startsParameter(*(gap + 1), names.front())) << *(gap + 1);
    auto from = gap + 1;
    for (const auto name : names) {
        from = std::find_if(from, lines.end(), [name](const auto& l) { return startsParameter(l, name); });
        ASSERT_NE(from, lines.end()) << name << " missing or out of order";
        ++from;
    }
    EXPECT_EQ(std::find(gap + 1, lines.end(), ""), lines.end());
}

INSTANTIATE_TEST_SUITE_P(AnnexAMarkers, MarkerTextTest, testing::ValuesIn(kExpected),
                         [](const testing::TestParamInfo<ExpectedText>& info) {
                             const auto& title = info.param.title;
                             const auto open = title.rfind('(');
                             return std::string(title.substr(open + 1, title.size() - open - 2));
                         });

TEST(MarkerDescription, CodeByteArrivesSignedAndUnlistedMarkersGiveTheFallbackWithoutLineBreak)
{
    EXPECT_TRUE(markerDescription(-112).starts_with("Start of tile-part (SOT)\r\n"));
    EXPECT_TRUE(markerDescription(-39).starts_with("End of codestream (EOC)\r\n"));
    for (const unsigned char code : {0x63, 0x91, 0x00, 0x92, 0xFF, 0x7F}) {
        EXPECT_EQ(describe(code), "Ten marker nie ma opisu") << std::hex << int{code};
    }
}

TEST(MarkerDescription, EocNoteBetweenFunctionAndUsageAndTypographicCharactersKept)
{
    const auto lines = linesOf(describe(0xD9));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[2].starts_with("Function: "));
    EXPECT_TRUE(lines[3].starts_with("NOTE — "));
    EXPECT_TRUE(lines[4].starts_with("Usage: "));
    EXPECT_NE(describe(0x55).find("tile-part’s"), std::string::npos);
    EXPECT_NE(describe(0x52).find("“greater than”"), std::string::npos);
}

} // namespace
