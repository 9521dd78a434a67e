// The rules of the profile that Rsiz declares, or that the caller asks for (codes 14000-14017):
// digital cinema 2K and 4K (with the DCP delivery rules only when asked for), IMF and broadcast.
// They apply to the SIZ, to every COD, COC, QCD and QCC of the main and the tile-part headers, to
// the progression changes, the markers present and the sizes. They run after the capability checks
// and only record.

#include "engine/headerMarkers.h"
#include "engine/orderedFindings.h"
#include "engine/profiles.h"
#include "engine/signallingFields.h"

#include <algorithm>
#include <vector>

namespace {

using signalling::CodingStyle;

enum class Family { cinema, imf, broadcast };

constexpr uint8_t CPRL = 4;
// At 24 frames a second: a frame, and one component's tile-part of a 2K frame.
constexpr uint64_t cinemaFrameBytes = 1302083;
constexpr uint64_t cinemaComponentBytes = 1041666;

struct ProfileTraits {
    Family family;
    int size;  // 2, 4 or 8 (K); broadcast 0
    bool reversible;
    bool dcp;
    bool multiTile;  // broadcast
};

ProfileTraits traitsOf(Profile p)
{
    switch (p) {
    case Profile::dci2k: return {Family::cinema, 2, false, false, false};
    case Profile::dci4k: return {Family::cinema, 4, false, false, false};
    case Profile::dcp2k: return {Family::cinema, 2, false, true, false};
    case Profile::dcp4k: return {Family::cinema, 4, false, true, false};
    case Profile::imf2k: return {Family::imf, 2, false, false, false};
    case Profile::imf4k: return {Family::imf, 4, false, false, false};
    case Profile::imf8k: return {Family::imf, 8, false, false, false};
    case Profile::imf2kR: return {Family::imf, 2, true, false, false};
    case Profile::imf4kR: return {Family::imf, 4, true, false, false};
    case Profile::imf8kR: return {Family::imf, 8, true, false, false};
    case Profile::broadcastSingle: return {Family::broadcast, 0, false, false, false};
    case Profile::broadcastMulti: return {Family::broadcast, 0, false, false, true};
    case Profile::broadcastMultiR: return {Family::broadcast, 0, true, false, true};
    }
    return {};
}

// The fields of SIZ the rules read.
struct Siz {
    uint32_t p;
    uint64_t Xsiz, Ysiz, XOsiz, YOsiz, XTsiz, YTsiz, XTOsiz, YTOsiz;
    uint16_t Csiz;
    bool componentsListed;  // Lsiz agrees with Csiz

    uint64_t width() const { return Xsiz > XOsiz ? Xsiz - XOsiz : 0; }
    uint64_t height() const { return Ysiz > YOsiz ? Ysiz - YOsiz : 0; }
    // 0 for a grid without tiles (XTsiz or YTsiz 0).
    uint64_t tileCount() const
    {
        if (XTsiz == 0 || YTsiz == 0)
            return 0;
        const auto across = [](uint64_t size, uint64_t offset, uint64_t tile) {
            return size > offset ? (size - offset + tile - 1) / tile : 0;
        };
        return across(Xsiz, XTOsiz, XTsiz) * across(Ysiz, YTOsiz, YTsiz);
    }
};

class ProfileChecks {
public:
    ProfileChecks(const jpcAnalyzer& a, Profile profile, const Siz& siz, bool asked)
        : a_(a), image_(a.getImage()), profile_(profile), t_(traitsOf(profile)), siz_(siz), asked_(asked),
          rsiz_{a.getRsiz().value_or(0)}
    {
    }

    void run(ErrorLog& log)
    {
        checkSiz();
        forEachHeaderMarker(a_, [&](const HeaderMarker& m) { check(m); });
        checkAfterScan();
        found_.recordInto(log);
    }

private:
    void add(int code, uint64_t p) { found_.add(code, p); }

    void checkSiz()
    {
        const uint32_t S = siz_.p;
        if (asked_ && !declared())
            add(14000, S);
        if (siz_.XOsiz || siz_.YOsiz || siz_.XTOsiz || siz_.YTOsiz)
            add(14001, S);
        if (!tileLayoutAllowed())
            add(14002, S);
        if (const auto [w, h] = maximumSize(); w && (siz_.width() > w || siz_.height() > h))
            add(14003, S);
        if (siz_.componentsListed && !componentsAllowed())
            add(14004, S);
    }

    // Rsiz names the profile, or the CPF of the main header does (a codestream of HTJ2K carries the
    // profile of its corresponding codestream there).
    bool declared() const
    {
        bool byCpf = false;
        forEachMainHeaderMarker(a_, [&](const HeaderMarker& m) {
            if (m.code != 0x59)
                return;
            const uint64_t sum = signalling::profileWordsSum(image_, m.p).value_or(0);
            byCpf = byCpf || (sum > 0 && profileNumberMatches(profile_, sum - 1));
        });
        return byCpf || profileNumberMatches(profile_, rsiz_.profileField());
    }

    bool tileLayoutAllowed() const
    {
        const uint64_t tiles = siz_.tileCount();
        if (tiles == 1)
            return true;
        if (t_.family == Family::broadcast)
            return t_.multiTile && tiles == 4;
        // Reversible IMF: square tiles of 1024, also 2048 from 4K, also 4096 at 8K.
        const bool square = siz_.XTsiz == siz_.YTsiz;
        const uint64_t side = siz_.XTsiz;
        return t_.family == Family::imf && t_.reversible && square && tiles != 0 &&
               (side == 1024 || (side == 2048 && t_.size >= 4) || (side == 4096 && t_.size == 8));
    }

    std::pair<uint64_t, uint64_t> maximumSize() const
    {
        if (t_.family == Family::cinema)
            return t_.size == 2 ? std::pair{2048, 1080} : std::pair{4096, 2160};
        if (t_.family == Family::imf)
            return {1024u * t_.size, 778u * t_.size};
        return {0, 0};
    }

    bool componentsAllowed() const
    {
        const uint16_t Csiz = siz_.Csiz;
        const auto component = [&](int i) {
            const uint64_t at = uint64_t{siz_.p} + 40 + 3 * i;
            return std::array<uint8_t, 3>{image_.u8(at), image_.u8(at + 1), image_.u8(at + 2)};
        };
        const auto depthsIn = [&](int low, int high) {
            for (int i = 0; i < Csiz; ++i)
                if (const uint8_t Ssiz = component(i)[0]; (Ssiz & 0x80) || Ssiz + 1 < low || Ssiz + 1 > high)
                    return false;
            return true;
        };
        const auto by = [&](int i, uint8_t x, uint8_t y) { return component(i)[1] == x && component(i)[2] == y; };
        switch (t_.family) {
        case Family::cinema:
            return Csiz == 3 && depthsIn(12, 12) && by(0, 1, 1) && by(1, 1, 1) && by(2, 1, 1);
        case Family::imf: {
            if (Csiz > 3 || !depthsIn(8, 16) || !by(0, 1, 1))
                return false;
            const uint8_t XR = Csiz > 1 ? component(1)[1] : 1;
            return (XR == 1 || XR == 2) && (Csiz < 2 || by(1, XR, 1)) && (Csiz < 3 || by(2, XR, 1));
        }
        case Family::broadcast: {
            if (Csiz > 4 || !depthsIn(8, 12) || !by(0, 1, 1) || (Csiz == 4 && !by(3, 1, 1)))
                return false;
            if (Csiz < 2)
                return true;
            const auto [c, XR, YR] = component(1);
            return (XR == 1 || XR == 2) && (YR == 1 || YR == 2) && (Csiz < 3 || by(2, XR, YR));
        }
        }
        return false;
    }

    void check(const HeaderMarker& m)
    {
        if (!markerAllowed(m.code))
            add(14016, m.p);
        switch (m.code) {
        case 0x52:
        case 0x53:
            if (const auto style = CodingStyle::read(image_, m.p, siz_.Csiz >= 257)) {
                checkCodingStyle(m.p, *style);
                if (m.inMainHeader && style->cod && !mainLevels_)
                    mainLevels_ = style->NL;
            }
            break;
        case 0x5C:
        case 0x5D:
            checkGuardBits(m);
            break;
        case 0x5F:
            pocs_.push_back(m);
            break;
        case 0x55:
            tlmInMainHeader_ |= m.inMainHeader;
            break;
        case 0x90:
            countTilePart(m.p);
            break;
        case 0xD9:
            eoc_ = m.p;
            break;
        default:
            break;
        }
    }

    bool markerAllowed(uint8_t code) const
    {
        if (t_.dcp) {
            constexpr uint8_t allowed[] = {0x4F, 0x51, 0x52, 0x53, 0x55, 0x5C, 0x5D, 0x5F, 0x64, 0x90, 0x93, 0xD9};
            return std::find(std::begin(allowed), std::end(allowed), code) != std::end(allowed);
        }
        return !(t_.family == Family::imf && code == 0x5E);
    }

    void checkCodingStyle(uint32_t p, const CodingStyle& c)
    {
        if (c.cod && c.progression != CPRL)
            add(14005, p);
        if (c.cod && c.layers != 1)
            add(14006, p);
        if (c.NL < 1 || c.NL > maximumLevels())
            add(14007, p);
        if (!codeBlocksAllowed(c))
            add(14008, p);
        if (c.transform != (t_.reversible ? 1 : 0))
            add(14009, p);
        if (!precinctsAllowed(p, c))
            add(14010, p);
        if (c.cod && t_.family == Family::cinema && c.componentTransform != 1)
            add(14011, p);
    }

    int maximumLevels() const
    {
        if (t_.family == Family::broadcast)
            return 5;
        const int lossy = t_.size == 2 ? 5 : t_.size == 4 ? 6 : 7;
        if (t_.family == Family::cinema || !t_.reversible)
            return lossy;
        // Reversible IMF: by the width of a tile (of the image, when it is one tile).
        const uint64_t width = siz_.tileCount() == 1 ? siz_.width() : siz_.XTsiz;
        if (width >= 8192 && t_.size == 8)
            return 7;
        if (width >= 4096 && t_.size >= 4)
            return 6;
        if (width >= 2048)
            return 5;
        return width >= 1024 ? 4 : lossy;
    }

    bool codeBlocksAllowed(const CodingStyle& c) const
    {
        const uint8_t style = t_.family != Family::cinema && rsiz_.capabilitiesInCap() ? 0x40 : 0x00;
        const bool sizes = t_.family == Family::broadcast
                               ? c.xcb >= 3 && c.xcb <= 5 && c.ycb >= 3 && c.ycb <= 5
                               : c.xcb == 3 && c.ycb == 3;
        return sizes && c.style == style;
    }

    // 128 × 128 at resolution 0, 256 × 256 above; cinema allows no SOP or EPH.
    bool precinctsAllowed(uint32_t p, const CodingStyle& c) const
    {
        if (t_.family == Family::cinema ? c.S != 1 : !(c.S & 1))
            return false;
        for (uint32_t r = 0; r <= c.NL; ++r)
            if (c.precinct(image_, p, r) != (r == 0 ? 0x77 : 0x88))
                return false;
        return true;
    }

    void checkGuardBits(const HeaderMarker& m)
    {
        if (!t_.dcp)
            return;
        const uint32_t L = image_.be16(uint64_t{m.p} + 2);
        const uint32_t sAt = m.code == 0x5C ? 4 : siz_.Csiz >= 257 ? 6 : 5;
        if (L + 2 > sAt && (image_.u8(uint64_t{m.p} + sAt) >> 5) != (t_.size == 2 ? 1 : 2))
            add(14012, m.p);
    }

    // 4K: the two entries of the 2K image and then of the 4K level, from the main COD's NL.
    bool progressionChangeAsRequired(uint32_t p) const
    {
        if (!mainLevels_)
            return false;
        const bool wide = siz_.Csiz >= 257;
        const uint32_t entry = wide ? 9 : 7;
        const int NL = *mainLevels_;
        const auto entryIs = [&](uint32_t j, int RS, int RE) {
            const uint64_t e = uint64_t{p} + 4 + j * entry;
            const uint32_t at = wide ? 3 : 2;  // of LYEpoc
            const uint32_t CS = wide ? image_.be16(e + 1) : image_.u8(e + 1);
            const uint32_t CE = wide ? image_.be16(e + at + 3) : image_.u8(e + at + 3);
            return image_.u8(e) == RS && CS == 0 && image_.be16(e + at) == 1 && image_.u8(e + at + 2) == RE &&
                   CE == 3 && image_.u8(e + entry - 1) == CPRL;
        };
        return image_.be16(uint64_t{p} + 2) == 2 + 2 * entry && entryIs(0, 0, NL) && entryIs(1, NL, NL + 1);
    }

    // 4K: one progression change, in the main header; no other profile has one.
    void checkProgressionChanges()
    {
        const bool fourK = t_.family == Family::cinema && t_.size == 4;
        bool inMainHeader = false;
        for (const HeaderMarker& m : pocs_) {
            const bool theOne = fourK && m.inMainHeader && !inMainHeader;
            inMainHeader = inMainHeader || m.inMainHeader;
            if (!theOne || !progressionChangeAsRequired(m.p))
                add(14013, m.p);
        }
        if (fourK && !inMainHeader)
            add(14013, siz_.p);
    }

    void countTilePart(uint32_t p)
    {
        sots_.push_back(p);
        const uint16_t Isot = image_.be16(uint64_t{p} + 4);
        if (Isot >= partsOfTile_.size())
            partsOfTile_.resize(Isot + 1u, 0);
        ++partsOfTile_[Isot];
    }

    void checkAfterScan()
    {
        const bool cinema = t_.family == Family::cinema;
        checkProgressionChanges();
        if (t_.dcp && !tlmInMainHeader_)
            add(14014, siz_.p);
        if (!cinema)
            return;
        const uint32_t parts = t_.size == 2 ? 3 : 6;
        std::vector<bool> reported(partsOfTile_.size());
        for (uint32_t sot : sots_) {
            const uint16_t Isot = image_.be16(uint64_t{sot} + 4);
            if (t_.dcp && partsOfTile_[Isot] != parts && !reported[Isot])
                add(14015, sot);
            reported[Isot] = true;
            const uint32_t Psot = image_.be32(uint64_t{sot} + 6);
            if (t_.size == 2 && eoc_ && (Psot ? Psot : *eoc_ - sot) > cinemaComponentBytes)
                add(14017, sot);
        }
        if (eoc_ && *eoc_ + 2 - a_.getCodestreamStart() > cinemaFrameBytes)
            add(14017, *eoc_);
    }

    const jpcAnalyzer& a_;
    const ByteImage& image_;
    const Profile profile_;
    const ProfileTraits t_;
    const Siz siz_;
    const bool asked_;
    const Rsiz rsiz_;
    std::optional<int> mainLevels_;
    std::vector<HeaderMarker> pocs_;
    bool tlmInMainHeader_ = false;
    std::vector<uint32_t> sots_;
    std::vector<uint32_t> partsOfTile_;  // by Isot
    std::optional<uint32_t> eoc_;
    OrderedFindings<14000, 14017> found_;
};

}  // namespace

void jpcAnalyzer::runProfileChecks()
{
    const auto R = getRsiz();
    const std::optional<Profile> profile = options.profile ? options.profile : Rsiz{R.value_or(0)}.checkedProfile();
    if (!R || !profile)
        return;
    try {
        const uint64_t S = markerOffsets[1];
        const auto field = [&](uint32_t offset) { return uint64_t{image.be32(S + offset)}; };
        const uint16_t Csiz = image.be16(S + 38);
        const Siz siz{markerOffsets[1], field(6),  field(10), field(14), field(18), field(22),
                      field(26),        field(30), field(34), Csiz,      image.be16(S + 2) == 38 + 3u * Csiz};
        ProfileChecks(*this, *profile, siz, options.profile.has_value()).run(errorList);
    } catch (const ImageOverrun&) {
        // As for the cross-checks: the checks end with what they found.
    }
}
