// The capability and profile rules: each broken alone, in a stream of every profile it applies to,
// is reported once at its element, and the streams that break none are clean; Rsiz values of today's
// standard; the HT code-block style; the order after the cross-checks.

#include "support/analysis.h"
#include "support/boxBuilder.h"
#include "support/streamBuilder.h"
#include "tools/profileStream.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(ProfileRules, EachRuleBrokenAloneIsReportedOnceAtItsElement)
{
    std::vector<std::optional<Profile>> profiles{std::nullopt};
    profiles.insert(profiles.end(), allProfiles().begin(), allProfiles().end());
    std::set<int> reported;
    for (const auto& profile : profiles) {
        for (const bool ht : {false, true}) {
            const std::string name = std::string(profile ? profileName(*profile) : "none") + (ht ? " ht" : "");
            if (ht && profile && profileName(*profile).starts_with("dc")) {
                EXPECT_THROW(buildProfileStream({profile, ht}), std::invalid_argument) << name;
                continue;
            }
            std::vector<int> rules = breakableRules(profile, ht);
            rules.insert(rules.begin(), 0);
            for (const int code : rules) {
                const ProfileStream s = buildProfileStream({profile, ht, code});
                const auto a = analyze(s.bytes, {s.needsProfileOption ? profile : std::nullopt});
                const Findings expected = code ? Findings{{code, s.brokenAt}} : Findings{};
                EXPECT_EQ(findingsOf(*a), expected) << name << ", " << code;
                reported.insert(code);
            }
        }
    }
    EXPECT_EQ(reported.size(), 1u + 11 + 18);
}

// One tile as wide as the image, 32 high; components as given; CPRL, one layer, 32 × 32 code-blocks,
// the transform of the family, the precincts all profiles ask for.
Findings profileCodesOf(uint16_t Rsiz, uint32_t width, const std::vector<std::array<uint8_t, 3>>& components, int NL)
{
    auto b = StreamBuilder().soc().marker(0x51).be16(static_cast<uint16_t>(38 + 3 * components.size())).be16(Rsiz);
    b.be32(width).be32(32).be32(0).be32(0).be32(width).be32(32).be32(0).be32(0).be16(components.size());
    for (const auto& [Ssiz, XRsiz, YRsiz] : components)
        b.u8(Ssiz).u8(XRsiz).u8(YRsiz);
    const uint8_t transform = (Rsiz >> 8) == 3 || (Rsiz >> 8) >= 7 ? 1 : 0;
    b.segment(0x52, {0x01, 0x04, 0x00, 0x01, 0x00, static_cast<uint8_t>(NL), 0x03, 0x03, 0x00, transform, 0x77});
    b.patchBe16(b.size() - 13, static_cast<uint16_t>(13 + NL)).fill(NL, 0x88).qcd().tilePart().eoc();
    Findings found = findingsOf(*analyze(b.bytes()));
    std::erase_if(found, [](const auto& f) { return f.first < 14000; });
    return found;
}

TEST(ProfileRules, LevelsOfReversibleImfFollowTheTileWidthAndComponentsTheirProfile)
{
    using C = std::array<uint8_t, 3>;
    const std::vector<C> rgb12(3, C{11, 1, 1});
    const Findings levels{{14007, 51}}, components{{14004, 2}};
    const std::tuple<uint16_t, uint32_t, std::vector<C>, int, Findings> cases[] = {
        {0x0800, 4096, rgb12, 6, {}},      {0x0800, 4095, rgb12, 6, levels}, {0x0800, 2048, rgb12, 5, {}},
        {0x0800, 2048, rgb12, 6, levels},  {0x0800, 1024, rgb12, 4, {}},     {0x0800, 1024, rgb12, 5, levels},
        {0x0800, 1000, rgb12, 6, {}},      {0x0900, 8192, rgb12, 7, {}},     {0x0900, 8191, rgb12, 7, levels},
        {0x0700, 2048, rgb12, 6, levels},  {0x0700, 2048, rgb12, 5, {}},
        {0x0400, 64, {C{11, 1, 1}, C{15, 2, 1}, C{15, 2, 1}}, 5, {}},
        {0x0400, 64, {C{11, 1, 1}, C{11, 2, 1}, C{11, 1, 1}}, 5, components},
        {0x0400, 64, {C{11, 1, 1}, C{11, 1, 2}, C{11, 1, 2}}, 5, components},
        {0x0400, 64, {C{16, 1, 1}}, 5, components},
        {0x0400, 64, {4, C{7, 1, 1}}, 5, components},
        {0x0101, 64, {C{9, 1, 1}, C{9, 2, 2}, C{9, 2, 2}, C{9, 1, 1}}, 5, {}},
        {0x0101, 64, {C{9, 1, 1}, C{9, 2, 2}, C{9, 2, 2}, C{9, 2, 1}}, 5, components},
        {0x0101, 64, {C{12, 1, 1}}, 5, components},
    };
    for (const auto& [Rsiz, width, comps, NL, expected] : cases)
        EXPECT_EQ(profileCodesOf(Rsiz, width, comps, NL), expected) << std::hex << Rsiz << std::dec << " " << width
                                                                    << " " << comps.size() << " " << NL;
}

TEST(ProfileRules, RsizValuesOfTodaysStandardAreDefined)
{
    const std::pair<uint16_t, bool> cases[] = {
        {0x0000, true},  {0x0007, true},  {0x0008, false}, {0x00FF, false}, {0x0101, true},  {0x030B, true},
        {0x010C, false}, {0x0110, false}, {0x0400, true},  {0x099B, true},  {0x09AB, false}, {0x040C, false},
        {0x0A00, false}, {0x0FFF, true},  {0x0FFE, false}, {0x1000, false}, {0x2003, false}, {0x4000, true},
        {0x4403, true},  {0x8000, true},  {0xBFFF, true},
    };
    for (const auto& [value, defined] : cases) {
        SizFields s;
        s.Rsiz = value;
        const auto codes = codesOf(*analyze(StreamBuilder().mainHeader(s).tilePart().eoc().bytes()));
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 10007), defined ? 0 : 1) << std::hex << value;
    }
}

TEST(ProfileRules, HtBitsOfTheCodeBlockStyleNeedRsizBit14AndBit6)
{
    struct Case {
        uint16_t Rsiz;  // with bit 14, a CAP of HT and other code-blocks mixed
        uint8_t style;
        Findings findings;
        const char* line;  // the last line of the style, if any
    };
    const Case cases[] = {
        {0x4000, 0x40, {}, "\n    HT block coder in every code-block\n Transform"},
        {0x4000, 0xC0, {}, "\n    HT and Part 1 block coders mixed\n Transform"},
        {0x4000, 0x80, {{10207, 55}, {10406, 90}}, nullptr},
        {0x0000, 0x40, {{10207, 45}, {10406, 80}}, nullptr},
    };
    for (const Case& c : cases) {
        SizFields s;
        s.Rsiz = c.Rsiz;
        auto b = StreamBuilder().soc().siz(s);
        if (c.Rsiz)
            b.segment(0x50, {0x00, 0x02, 0x00, 0x00, 0xC0, 0x00});
        b.segment(0x52, {0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 0x04, 0x04, c.style, 0x01}).qcd();
        b.segment(0x53, {0x00, 0x00, 0x05, 0x04, 0x04, c.style, 0x01}).tilePart().eoc();
        const auto a = analyze(b.bytes());
        EXPECT_EQ(findingsOf(*a), c.findings) << std::hex << c.Rsiz << " " << int{c.style};
        const std::string text = a->buildElementText(c.Rsiz ? 3 : 2);
        EXPECT_EQ(text.find(c.line ? c.line : "\n    HT"), c.line ? text.find("\n    HT") : std::string::npos) << text;
    }
}

TEST(ProfileRules, CapabilityAndProfileCodesFollowTheCrossChecksInAscendingOrder)
{
    SizFields s;
    s.Rsiz = 0x0101;  // broadcast, one tile: 5-3, LRCP and no precincts break its rules
    const auto b = StreamBuilder().mainHeader(s).segment(0x74, {}).tilePart(3).eoc();
    EXPECT_EQ(findingsOf(*analyze(b.bytes())),
              (Findings{{12001, 84}, {12004, 114}, {13011, 80}, {14005, 45}, {14009, 45}, {14010, 45}}));
}

TEST(ProfileRules, HtCodestreamInAFileBrandedJp2Records20123AtTheFileTypeBox)
{
    const auto ht = buildProfileStream({std::nullopt, true}).bytes;
    for (const std::string brand : {"jp2 ", "jph "}) {
        BoxBuilder b;
        b.signature().fileType(brand, {brand}).begin("jp2h").imageHeader({32, 64, 3}).colour().end().codestream(ht);
        const Findings expected = brand == "jp2 " ? Findings{{20123, 12}} : Findings{};
        EXPECT_EQ(findingsOf(*analyze(b.bytes())), expected) << brand;
    }
}
