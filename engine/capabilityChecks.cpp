// How a codestream signals what a decoder needs: CAP, CPF and PRF against Rsiz and against their
// place, the coding styles that the HTJ2K capabilities (Ccap15) allow, the IMF levels, and the
// markers of the extensions without their Rsiz bit (codes 13001-13011). They run after the
// cross-checks and only record.

#include "engine/headerMarkers.h"
#include "engine/markerNames.h"
#include "engine/orderedFindings.h"
#include "engine/profiles.h"
#include "engine/signallingFields.h"

namespace {

using signalling::htPcapBit;

class CapabilityChecks {
public:
    // `markersPresent`: the stream holds CAP, CPF, PRF or extension markers somewhere.
    CapabilityChecks(const jpcAnalyzer& a, std::optional<uint32_t> siz, bool markersPresent)
        : a_(a), image_(a.getImage()), siz_(siz), rsiz_{a.getRsiz().value_or(0)}, markersPresent_(markersPresent)
    {
    }

    void run(ErrorLog& log)
    {
        findHtCapabilities();
        if (siz_)
            checkSiz(*siz_);
        // Without those markers nothing below can be found: most streams are not walked again.
        if (markersPresent_)
            forEachHeaderMarker(a_, [&](const HeaderMarker& m) { check(m); });
        if (siz_ && rsiz_.profileInPrf() && !prfInMainHeader_)
            found_.add(13008, *siz_);
        found_.recordInto(log);
    }

private:
    // Ccap15 of the first CAP in the main header, which the coding styles must follow.
    void findHtCapabilities()
    {
        forEachMainHeaderMarker(a_, [&](const HeaderMarker& m) {
            if (m.code == 0x50 && !capInMainHeader_)
                ccap15_ = signalling::ccap15(image_, m.p);
            capInMainHeader_ |= m.code == 0x50;
        });
    }

    void checkSiz(uint32_t S)
    {
        if (rsiz_.capabilitiesInCap() && !capInMainHeader_)
            found_.add(13002, S);
        // Main levels 1 to 3 allow sub level 1; from 4 on, the main level less 2.
        const int main = rsiz_.mainLevel();
        if (rsiz_.defined() && rsiz_.isImf() && main > 0 && rsiz_.subLevel() > std::max(1, main - 2))
            found_.add(13010, S);
    }

    void check(const HeaderMarker& m)
    {
        switch (m.code) {
        case 0x50:
            checkPlacement(m, capSeen_);
            checkCap(m.p);
            break;
        case 0x59:
            checkPlacement(m, cpfSeen_);
            checkProfileWords(m.p);
            break;
        case 0x56:
            checkPlacement(m, prfSeen_);
            prfInMainHeader_ |= m.inMainHeader;
            checkProfileWords(m.p);
            if (!rsiz_.profileInPrf())
                found_.add(13008, m.p);
            break;
        case 0x52:
        case 0x53:
            checkHtStyle(m.p);
            break;
        default:
            if (isExtensionMarker(m.code) && !rsiz_.extensions())
                found_.add(13011, m.p);
        }
    }

    // Once, and in the main header.
    void checkPlacement(const HeaderMarker& m, bool& seen)
    {
        if (!m.inMainHeader || seen)
            found_.add(13009, m.p);
        seen = seen || m.inMainHeader;
    }

    void checkCap(uint32_t p)
    {
        const uint32_t Lcap = image_.be16(uint64_t{p} + 2);
        if (Lcap < 6) {
            found_.add(13001, p);
            return;
        }
        const uint32_t Pcap = image_.be32(uint64_t{p} + 4);
        if (Lcap != 6 + 2u * static_cast<uint32_t>(__builtin_popcount(Pcap)))
            found_.add(13001, p);
        if ((Pcap & htPcapBit) && !rsiz_.capabilitiesInCap())
            found_.add(13003, p);
        // Set type 01 is reserved, and so are bits 10 to 6.
        if (const auto c = signalling::ccap15(image_, p); c && ((*c >> 14) == 1 || (*c & 0x07C0)))
            found_.add(13004, p);
    }

    // At least one word, the last (most significant) not 0; so PRFnum is above 4095.
    void checkProfileWords(uint32_t p)
    {
        const uint32_t L = image_.be16(uint64_t{p} + 2);
        if (L < 4 || L % 2 || image_.be16(uint64_t{p} + L) == 0)
            found_.add(13007, p);
    }

    // Bits 15-14 of Ccap15 at 00: every code-block is HT; bit 5 clear: HT only with reversible
    // transforms.
    void checkHtStyle(uint32_t p)
    {
        if (!ccap15_)
            return;
        const auto style = signalling::CodingStyle::read(image_, p, mainCsiz() >= 257);
        if (!style)
            return;
        const bool ht = style->style & 0x40;
        if (!(*ccap15_ & 0x0020) && ht && style->transform == 0)
            found_.add(13005, p);
        if ((*ccap15_ >> 14) == 0 && (!ht || (style->style & 0x80)))
            found_.add(13006, p);
    }

    uint16_t mainCsiz() const { return siz_ ? image_.be16(uint64_t{*siz_} + 38) : 0; }

    const jpcAnalyzer& a_;
    const ByteImage& image_;
    const std::optional<uint32_t> siz_;
    const Rsiz rsiz_;
    const bool markersPresent_;
    std::optional<uint16_t> ccap15_;
    bool capInMainHeader_ = false;
    bool capSeen_ = false, cpfSeen_ = false, prfSeen_ = false;
    bool prfInMainHeader_ = false;
    OrderedFindings<13001, 13011> found_;
};

}  // namespace

void jpcAnalyzer::runCapabilityChecks()
{
    const std::optional<uint32_t> siz = getRsiz() ? std::optional(markerOffsets[1]) : std::nullopt;
    try {
        CapabilityChecks(*this, siz, signallingMarkersSeen).run(errorList);
    } catch (const ImageOverrun&) {
        // Every segment the walk stepped over lies inside the file; should a read still fail, the
        // checks end with what they found.
    }
}
