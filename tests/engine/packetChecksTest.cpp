// The checks of the packet pass, each on a stream that passes it and one that fails it: the code is
// recorded at the SOP, packet, PLT or PLM entry it concerns, after every other code, and only when
// the pass is asked for.

#include "support/analysis.h"
#include "support/packetStream.h"

#include <gtest/gtest.h>

using Bytes = StreamBuilder::Bytes;

namespace {

enum Anchor { data, sot, afterQcd };

struct Expected {
    int code;
    Anchor anchor;
    int delta;
};

// The packet codes of the analysis with the pass, positions relative to where the tile-part's data
// begins, its SOT, or the end of QCD (offset 65), where the first extra main segment stands.
Findings packetFindings(const TinyStream& stream)
{
    const auto a = analyze(stream.bytes(), {.packets = true});
    Findings found;
    for (auto [code, position] : findingsOf(*a))
        if (code > 12100 && code < 12200)
            found.emplace_back(code, position);
    return found;
}

Findings expected(const TinyStream& stream, std::initializer_list<Expected> list)
{
    size_t tileSegments = 0;
    for (const auto& s : stream.tileSegments)
        tileSegments += s.size();
    size_t mainSegments = 0;
    for (const auto& s : stream.mainSegments)
        mainSegments += s.size();
    const uint64_t sotAt = 65 + mainSegments, dataAt = sotAt + 12 + tileSegments + 2;
    Findings out;
    for (const Expected& e : list)
        out.emplace_back(e.code, (e.anchor == data ? dataAt : e.anchor == sot ? sotAt : 65) + e.delta);
    return out;
}

const Bytes header = firstContribution(0, 1, 2);  // one byte
const Bytes body = {0xAA, 0xBB};
const Bytes packet = joined({header, body});

TinyStream with(TinyStream s, Bytes data)
{
    s.data = std::move(data);
    return s;
}

}  // namespace

TEST(PacketChecks, EachCheckPassesASoundStreamAndFailsABrokenOne)
{
    struct Case {
        const char* name;
        TinyStream stream;
        std::initializer_list<Expected> faults;
    };
    const TinyStream sop{.Scod = 0x02}, eph{.Scod = 0x04}, twoLayers{.layers = 2};
    const Case cases[] = {
        {"one packet", with({}, packet), {}},
        {"SOP", with(sop, joined({{0xFF, 0x91, 0x00, 0x04, 0x00, 0x00}, packet})), {}},
        {"SOP with Lsop 5", with(sop, joined({{0xFF, 0x91, 0x00, 0x05, 0x00, 0x00}, packet})), {{12101, data, 0}}},
        {"SOP numbered 1", with(sop, joined({{0xFF, 0x91, 0x00, 0x04, 0x00, 0x01}, packet})), {{12102, data, 0}}},
        {"EPH", with(eph, joined({header, {0xFF, 0x92}, body})), {}},
        {"EPH missing", with(eph, packet), {{12103, data, 1}}},
        {"header cut", with({}, {firstContribution(0, 2, 2)[0]}), {{12104, data, 0}}},
        {"body cut", with({}, joined({header, {0xAA}})), {{12105, data, 0}}},
        {"bytes after the last packet", with({}, joined({packet, {0x00, 0x11}})), {{12106, data, 3}}},
        {"second layer missing", with(twoLayers, packet), {{12107, sot, 0}}},
        {"second layer empty", with(twoLayers, joined({packet, {0x00}})), {}},
        {"one bit-plane, one pass", with({.guardBits = 0, .exponent = 2}, packet), {}},
        {"no bit-plane, one pass", with({.guardBits = 0, .exponent = 1}, packet), {{12108, data, 0}}},
        {"PLT", with({.tileSegments = {segmentBytes(0x58, {0x00, 0x03})}}, packet), {}},
        {"PLT length 4", with({.tileSegments = {segmentBytes(0x58, {0x00, 0x04})}}, packet), {{12109, sot, 17}}},
        {"PLT of two packets", with({.tileSegments = {segmentBytes(0x58, {0x00, 0x03, 0x03})}}, packet),
         {{12109, sot, 18}}},
        {"PLT of one packet of two",
         with({.layers = 2, .tileSegments = {segmentBytes(0x58, {0x00, 0x03})}}, joined({packet, {0x00}})),
         {{12109, sot, 12}}},
        {"PLM", with({.mainSegments = {segmentBytes(0x57, {0x00, 0x01, 0x03})}}, packet), {}},
        {"PLM length 4", with({.mainSegments = {segmentBytes(0x57, {0x00, 0x01, 0x04})}}, packet),
         {{12110, afterQcd, 6}}},
        {"PPT", with({.tileSegments = {segmentBytes(0x61, joined({{0x00}, header}))}}, body), {}},
        {"PPM", with({.mainSegments = {segmentBytes(0x60, joined({{0x00, 0x00, 0x00, 0x00, 0x01}, header}))}}, body), {}},
        {"PPT of one packet of two",
         with({.layers = 2, .tileSegments = {segmentBytes(0x61, joined({{0x00}, header}))}}, body),
         {{12111, data, 2}}},
        {"partition anchors", with({.Scod = 0x08}, packet), {{12112, sot, 0}}},
        {"precinct sizes missing", with({.Scod = 0x01}, packet), {{12113, sot, 0}}},
        {"a marker inside a header", with({}, {0xFF, 0xA0, 0x00}), {{12115, data, 0}}},
        // 37 passes (1111 11111 0000000) make the first byte 0xFF: seven bits in the next.
        {"0xFF in a header",
         with({.exponent = 20}, joined({HeaderBits().bits(7, 3).bits(0xFFF, 9).bits(0, 8).bits(1, 8).bytes(), {0x77}})),
         {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(packetFindings(c.stream), expected(c.stream, c.faults)) << c.name;
}

TEST(PacketChecks, TilesBeyondTheBoundsOfTheMapStop)
{
    struct Case {
        const char* name;
        uint32_t width;
        Bytes cod;
        uint64_t at;  // the SOT, or the packet
    };
    const Case cases[] = {
        // 4096 × 2048 precincts of one sample each.
        {"precincts", 4096, {0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x04, 0x04, 0x00, 0x01, 0x00}, 66},
        // One precinct of 2049 × 2048 code-blocks of 4 × 4 samples.
        {"code-blocks", 8196, {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}, 79},
    };
    for (const Case& c : cases) {
        StreamBuilder b;
        b.soc().siz({.Xsiz = c.width, .Ysiz = 8192, .XTsiz = c.width, .YTsiz = 8192}).segment(0x52, c.cod);
        b.segment(0x5C, {0x40, 0x40}).beginTilePart().sod().raw(packet).endTilePart().eoc();
        EXPECT_EQ(findingsOf(*analyze(b.bytes(), {.packets = true})), (Findings{{12114, c.at}})) << c.name;
    }
}

TEST(PacketChecks, WithoutThePassNothingIsRead)
{
    const TinyStream broken = with({.layers = 2}, joined({header, {0xAA}}));
    EXPECT_EQ(findingsOf(*analyze(broken.bytes())), Findings{});
    EXPECT_EQ(analyze(broken.bytes())->getStatus(), 0);
    EXPECT_EQ(analyze(broken.bytes(), {.packets = true})->getStatus(), 1);
}
