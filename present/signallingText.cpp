// Texts of the segments that signal capabilities and profiles (CAP, CPF, PRF), and of the markers of
// the extensions, which show their length only.

#include "engine/markerNames.h"
#include "engine/signallingFields.h"
#include "present/decoders.h"
#include "present/profileName.h"
#include "present/segmentText.h"

#include <cctype>

namespace {

// Bits 15-14 of Ccap15.
constexpr const char* htSetTypes[] = {
    "\n  HTONLY: every code-block is HT",
    "\n  HT set type 01 (reserved)",
    "\n  HTDECLARED: HT or the other block coder, one of them per tile-component",
    "\n  MIXED: HT and other code-blocks mixed",
};

// Bits 4-0 of Ccap15 give the bound B of the magnitudes the HT cleanup pass codes.
uint32_t magnitudeBound(uint32_t P)
{
    if (P < 20)
        return 8 + P;
    return P < 31 ? 4 * P - 49 : 74;
}

void ccap15Lines(SegmentText& t, const Field<uint16_t>& c)
{
    const auto line = [&](const char* text) { t.add(text).mark(c.bytes); };
    line(htSetTypes[c >> 14]);
    line(c & 0x2000 ? "\n  MULTIHT: several HT sets" : "\n  SINGLEHT: one HT set");
    line(c & 0x1000 ? "\n  RGN marker segments may be present" : "\n  No RGN marker segments");
    line(c & 0x0800 ? "\n  HETEROGENEOUS: tile-components of different kinds" : "\n  HOMOGENEOUS: one kind of tile-component");
    t.add("\n  Reserved bits 10-6: ", (c >> 6) & 0x1F).mark(c.bytes);
    line(c & 0x0020 ? "\n  HTIRV: HT code-blocks with irreversible transforms too"
                    : "\n  HTREV: HT code-blocks only with reversible transforms");
    t.add("\n  Magnitude bound B: ", magnitudeBound(c & 0x1F)).mark(c.bytes);
    t.add(" (P: ").add(std::to_string(c & 0x1F)).add(")");
}

// The 16-bit words of a CPF or PRF, then their number: Σ word^i · 2^(16(i−1)), plus `offset`.
void profileWords(SegmentText& t, const char* word, const char* number, int64_t offset)
{
    const auto L = t.be16(2);
    const uint32_t words = L >= 2 ? (L - 2u) / 2 : 0;
    for (uint32_t i = 1; i <= words; ++i)
        t.add("\n").add(word).add(std::to_string(i)).add(": ", t.be16(2 + 2 * i));
    const auto sum = signalling::profileWordsSum(t.analyzer().getImage(), t.position());
    t.add("\n").add(number).add(": ").mark(t.at(4, 2 * words));
    if (!sum)
        t.add("ponad 2^64");
    else if (static_cast<int64_t>(*sum) + offset < 0)
        t.add("brak (same zera)");
    else
        t.add(std::to_string(*sum + offset));
}

}  // namespace

void capText(SegmentText& t)
{
    t.add("CAP marker");
    const auto Lcap = t.be16(2);
    t.add("\nLcap: ", Lcap);
    if (Lcap < 6)
        return;
    const auto Pcap = t.be32(4);
    t.add("\nPcap: ", Pcap);
    for (int part = 1; part <= 32; ++part)
        if (Pcap & (1u << (32 - part)))
            t.add("\n  ISO/IEC 15444-").add(std::to_string(part)).mark(Pcap.bytes);
    // One Ccap word per set bit, in the order of the parts, as far as the segment holds them.
    for (int part = 1; part <= 32; ++part) {
        const uint32_t bit = 1u << (32 - part);
        const uint32_t at = signalling::ccapOffset(Pcap, bit);
        if (!(Pcap & bit) || at + 2 > Lcap + 2u)
            continue;
        const auto Ccap = t.be16(at);
        t.add("\nCcap").add(std::to_string(part)).add(": ", Ccap);
        if (bit == signalling::htPcapBit)
            ccap15Lines(t, Ccap);
    }
}

void cpfText(SegmentText& t)
{
    t.add("CPF marker");
    t.add("\nLcpf: ", t.be16(2));
    profileWords(t, "Pcpf", "CPFnum", -1);
    const auto sum = signalling::profileWordsSum(t.analyzer().getImage(), t.position());
    if (sum && *sum > 0)
        if (const auto name = profileFieldName(*sum - 1))
            t.add("\n  ").add(*name);
}

void prfText(SegmentText& t)
{
    t.add("PRF marker");
    t.add("\nLprf: ", t.be16(2));
    profileWords(t, "Pprf", "PRFnum", 4095);
}

void extensionText(SegmentText& t)
{
    std::string name = markerName(static_cast<uint8_t>(t.analyzer().getImage().u8(t.position() + 1)));
    t.add(name).add(" marker");
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    t.add("\nL").add(name).add(": ", t.be16(2));
    t.add("\n  Rozszerzenie (ISO/IEC 15444-2), pola nie są dekodowane");
}
