#include "tools/profileStream.h"

#include "tests/support/streamBuilder.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

using Bytes = StreamBuilder::Bytes;

enum class Kind { none, cinema, imf, broadcast };

struct Shape {
    Kind kind = Kind::none;
    int sizeK = 0;  // 2, 4 or 8; 0 for broadcast and none
    bool reversible = false;
    bool dcp = false;
    uint16_t P = 0;  // Rsiz's profile field; IMF at main level 2, sub level 1; broadcast at main level 1
};

Shape shapeOf(std::optional<Profile> profile)
{
    if (!profile)
        return {};
    switch (*profile) {
    case Profile::dci2k: return {Kind::cinema, 2, false, false, 0x0003};
    case Profile::dcp2k: return {Kind::cinema, 2, false, true, 0x0003};
    case Profile::dci4k: return {Kind::cinema, 4, false, false, 0x0004};
    case Profile::dcp4k: return {Kind::cinema, 4, false, true, 0x0004};
    case Profile::imf2k: return {Kind::imf, 2, false, false, 0x0412};
    case Profile::imf4k: return {Kind::imf, 4, false, false, 0x0512};
    case Profile::imf8k: return {Kind::imf, 8, false, false, 0x0612};
    case Profile::imf2kR: return {Kind::imf, 2, true, false, 0x0712};
    case Profile::imf4kR: return {Kind::imf, 4, true, false, 0x0812};
    case Profile::imf8kR: return {Kind::imf, 8, true, false, 0x0912};
    case Profile::broadcastSingle: return {Kind::broadcast, 0, false, false, 0x0101};
    case Profile::broadcastMulti: return {Kind::broadcast, 0, false, false, 0x0201};
    case Profile::broadcastMultiR: return {Kind::broadcast, 0, true, false, 0x0301};
    }
    return {};
}

// Rules reported at the SIZ.
constexpr int sizRules[] = {13002, 13008, 13010, 14000, 14001, 14002, 14003, 14004, 14014};

class Builder {
public:
    explicit Builder(const ProfileStreamRequest& request) : r_(request), s_(shapeOf(request.profile)) {}

    ProfileStream build()
    {
        const bool fourK = s_.kind == Kind::cinema && s_.sizeK == 4;
        const int NL = breaks(14007) ? 0 : 5;
        b_.soc();
        siz();
        if (r_.ht && !breaks(13002))
            cap();
        if (breaks(13007))
            mark().segment(0x59, {0x01, 0x02, 0x00});
        if (breaks(13009)) {
            b_.segment(0x59, {0x00, 0x01});
            mark().segment(0x59, {0x00, 0x01});
        }
        if (breaks(13011))
            mark().segment(0x74, {0x00, 0x00});
        cod(NL);
        qcd(NL, fourK);
        if (fourK || breaks(14013))
            progressionChange(NL, fourK);
        const size_t tlm = b_.size();
        const int tiles = breaks(14002) ? 2 : 1;
        int parts = s_.kind == Kind::cinema ? (fourK ? 6 : 3) : 1;
        parts -= breaks(14015) ? 1 : 0;
        if (s_.kind == Kind::cinema && !breaks(14014))
            b_.segment(0x55, Bytes(2 + 5 * tiles * parts, 0));
        if (breaks(14016))
            mark().segment(s_.kind == Kind::imf ? 0x5E : 0x63, s_.kind == Kind::imf ? Bytes{0, 0, 1} : Bytes(12, 0));
        tileParts(tiles, parts, fourK, tlm);
        if (breaks(14017) && fourK)
            mark();
        b_.eoc();
        out_.bytes = b_.bytes();
        out_.needsProfileOption = s_.dcp || breaks(14000);
        return std::move(out_);
    }

private:
    bool breaks(int code) const { return r_.broken == code; }
    // The next element is where the broken rule is reported.
    StreamBuilder& mark()
    {
        out_.brokenAt = b_.size();
        return b_;
    }

    void siz()
    {
        SizFields f;
        f.Rsiz = s_.P | (r_.ht && !breaks(13003) ? 0x4000 : 0);
        if (breaks(14000))
            f.Rsiz = static_cast<uint16_t>((f.Rsiz & 0x4000) | (s_.kind == Kind::cinema ? 0x0101 : 0x0003));
        if (breaks(13008))
            f.Rsiz |= 0x0FFF;
        if (breaks(13010))
            f.Rsiz = static_cast<uint16_t>((f.Rsiz & 0xFF00) | 0x21);  // main level 1, sub level 2
        f.Xsiz = f.XTsiz = 64;
        f.Ysiz = f.YTsiz = 32;
        f.Csiz = 3;
        f.Ssiz = s_.kind == Kind::broadcast ? 9 : s_.kind == Kind::none ? 7 : 11;
        if (breaks(14001))
            f.XOsiz = 1;
        if (breaks(14002))
            f.XTsiz = 32;
        if (breaks(14003))
            f.Ysiz = f.YTsiz = (s_.kind == Kind::cinema ? (s_.sizeK == 2 ? 1080 : 2160) : 778 * s_.sizeK) + 1;
        if (std::find(std::begin(sizRules), std::end(sizRules), r_.broken) != std::end(sizRules))
            mark();
        b_.siz(f);
        if (breaks(14004))
            b_.patchU8(42, 0x80 | 11);  // the first component signed
    }

    void cap()
    {
        uint16_t Ccap15 = 0x0020;  // every code-block HT, irreversible transforms allowed
        if (breaks(13003))
            Ccap15 = 0xC020;  // mixed, so that code-blocks without HT are allowed
        if (breaks(13004))
            Ccap15 |= 0x0040;
        if (breaks(13005))
            Ccap15 &= ~0x0020;
        Bytes cap{0x00, 0x02, 0x00, 0x00, static_cast<uint8_t>(Ccap15 >> 8), static_cast<uint8_t>(Ccap15)};
        if (breaks(13001))
            cap.insert(cap.end(), {0x00, 0x00});
        if (breaks(13001) || breaks(13003) || breaks(13004))
            mark();
        b_.segment(0x50, cap);
    }

    void cod(int NL)
    {
        uint8_t style = r_.ht && !breaks(13003) && !breaks(13006) ? 0x40 : 0x00;
        if (breaks(14008))
            style |= 0x01;
        const uint8_t transform = (s_.reversible ? 1 : 0) ^ (breaks(14009) ? 1 : 0);
        Bytes cod{0x01, static_cast<uint8_t>(breaks(14005) ? 0 : 4), 0x00, static_cast<uint8_t>(breaks(14006) ? 2 : 1),
                  static_cast<uint8_t>(breaks(14011) ? 0 : 1), static_cast<uint8_t>(NL), 0x03, 0x03, style, transform};
        cod.push_back(0x77);
        cod.insert(cod.end(), NL, 0x88);
        if (breaks(14010))
            cod[11] = 0x77;
        for (int code : {13005, 13006, 14005, 14006, 14007, 14008, 14009, 14010, 14011})
            if (breaks(code))
                mark();
        b_.segment(0x52, cod);
    }

    // Two guard bits, one for cinema 2K; expounded steps, or exponents when reversible.
    void qcd(int NL, bool fourK)
    {
        int guardBits = s_.kind == Kind::cinema && !fourK ? 1 : 2;
        if (breaks(14012)) {
            guardBits = 3 - guardBits;
            mark();
        }
        Bytes qcd{static_cast<uint8_t>(guardBits << 5 | (s_.reversible ? 0 : 2))};
        for (int band = 0; band < 3 * NL + 1; ++band) {
            qcd.push_back(static_cast<uint8_t>((8 + band % 4) << 3));
            if (!s_.reversible)
                qcd.push_back(0x20);
        }
        b_.segment(0x5C, qcd);
    }

    // 4K: the 2K image, then the 4K level; elsewhere one change, which breaks the rule.
    void progressionChange(int NL, bool fourK)
    {
        const auto entry = [](int RS, int RE, int CE) {
            return Bytes{static_cast<uint8_t>(RS), 0, 0, 1, static_cast<uint8_t>(RE), static_cast<uint8_t>(CE), 4};
        };
        Bytes poc = entry(0, fourK ? NL : NL + 1, breaks(14013) && fourK ? 2 : 3);
        if (fourK) {
            const Bytes second = entry(NL, NL + 1, 3);
            poc.insert(poc.end(), second.begin(), second.end());
        }
        if (breaks(14013))
            mark();
        b_.segment(0x5F, poc);
    }

    // Tile by tile; the TLM at `tlm` (ST 1, SP 1) gets each tile-part's length.
    void tileParts(int tiles, int parts, bool fourK, size_t tlm)
    {
        size_t pair = tlm + 6;
        for (int tile = 0; tile < tiles; ++tile) {
            for (int part = 0; part < parts; ++part) {
                const bool first = tile == 0 && part == 0;
                size_t data = 16;
                if (breaks(14017) && !fourK && first)
                    data = 1041700;
                if (breaks(14017) && fourK && part == parts - 1)
                    data = 1302100;
                if (first && (breaks(14015) || (breaks(14017) && !fourK)))
                    mark();
                const size_t sot = b_.size();
                b_.beginTilePart(static_cast<uint16_t>(tile), static_cast<uint8_t>(part), static_cast<uint8_t>(parts));
                b_.sod().fill(data).endTilePart();
                if (s_.kind == Kind::cinema && !breaks(14014)) {
                    b_.patchU8(pair, static_cast<uint8_t>(tile));
                    b_.patchBe32(pair + 1, static_cast<uint32_t>(b_.size() - sot));
                    pair += 5;
                }
            }
        }
        if (s_.kind == Kind::cinema && !breaks(14014))
            b_.patchU8(tlm + 5, 0x50);
    }

    const ProfileStreamRequest& r_;
    const Shape s_;
    StreamBuilder b_;
    ProfileStream out_;
};

}  // namespace

std::vector<int> breakableRules(std::optional<Profile> profile, bool ht)
{
    const Shape s = shapeOf(profile);
    std::vector<int> rules;
    const auto add = [&](bool when, std::initializer_list<int> codes) {
        if (when)
            rules.insert(rules.end(), codes);
    };
    if (s.kind == Kind::cinema && ht)
        return rules;
    add(ht, {13001, 13002, 13003, 13004});
    add(ht && !s.reversible, {13005});
    add(ht && !profile, {13006});
    add(!s.dcp, {13007});
    add(!profile, {13008});
    add(!s.dcp, {13009});
    add(s.kind == Kind::imf, {13010});
    add(!s.dcp, {13011});
    if (!profile)
        return rules;
    add(true, {14000, 14001, 14002});
    add(s.kind != Kind::broadcast, {14003});
    add(true, {14004, 14005, 14006, 14007, 14008, 14009, 14010});
    add(s.kind == Kind::cinema, {14011});
    add(s.dcp, {14012});
    add(true, {14013});
    add(s.dcp, {14014, 14015});
    add(s.dcp || s.kind == Kind::imf, {14016});
    add(s.kind == Kind::cinema, {14017});
    return rules;
}

ProfileStream buildProfileStream(const ProfileStreamRequest& request)
{
    const Shape s = shapeOf(request.profile);
    if (s.kind == Kind::cinema && request.ht)
        throw std::invalid_argument("digital cinema has no HT block coder");
    const auto rules = breakableRules(request.profile, request.ht);
    if (request.broken != 0 && std::find(rules.begin(), rules.end(), request.broken) == rules.end())
        throw std::invalid_argument("rule " + std::to_string(request.broken) + " cannot be broken alone in this stream");
    return Builder(request).build();
}
