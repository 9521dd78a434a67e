#pragma once
// Readers of the fields that the capability and profile rules and the texts share: the words of CAP,
// CPF and PRF, and the coding style of a COD or COC. Each reads inside its segment only, as its
// length field states it, and throws ImageOverrun past the end of the image.

#include "engine/byteImage.h"

#include <cstdint>
#include <optional>

namespace signalling {

// The Pcap bit of HTJ2K (ISO/IEC 15444-15): bit i counted from the most significant is part i.
constexpr uint32_t htPcapBit = 0x00020000;

// Offset of Ccap^i from the segment's 0xFF byte for a set Pcap bit: the Ccap words follow Pcap in
// the order of the parts.
inline uint32_t ccapOffset(uint32_t Pcap, uint32_t bit)
{
    const uint32_t above = Pcap & ~(bit | (bit - 1));
    return 8 + 2 * static_cast<uint32_t>(__builtin_popcount(above));
}

// Ccap15 of a CAP segment, when Pcap sets the HTJ2K bit and the segment holds the word.
inline std::optional<uint16_t> ccap15(const ByteImage& image, uint64_t p)
{
    const uint32_t L = image.be16(p + 2);
    if (L < 6)
        return std::nullopt;
    const uint32_t Pcap = image.be32(p + 4);
    const uint32_t at = ccapOffset(Pcap, htPcapBit);
    if (!(Pcap & htPcapBit) || at + 2 > L + 2)
        return std::nullopt;
    return image.be16(p + at);
}

// Σ word^i · 2^(16(i−1)) over the 16-bit words of a CPF or PRF segment (Pcpf^1 first), when it fits
// 64 bits; CPFnum is this less 1, PRFnum this plus 4095.
inline std::optional<uint64_t> profileWordsSum(const ByteImage& image, uint64_t p)
{
    const uint32_t L = image.be16(p + 2);
    const uint32_t words = L >= 2 ? (L - 2) / 2 : 0;
    uint64_t sum = 0;
    for (uint32_t i = 0; i < words; ++i) {
        const uint64_t word = image.be16(p + 4 + 2 * i);
        if (word != 0 && i >= 4)
            return std::nullopt;
        sum |= i < 4 ? word << (16 * i) : 0;
    }
    return sum;
}

// The coding style fields of a COD, or of a COC (whose component index is one byte while Csiz is
// below 257, else two), when its length holds them.
struct CodingStyle {
    bool cod;
    uint8_t S;  // Scod or Scoc
    // COD only.
    uint8_t progression = 0;
    uint16_t layers = 0;
    uint8_t componentTransform = 0;
    uint8_t NL, xcb, ycb, style, transform;
    uint32_t precinctOffset;  // of the first precinct byte
    uint32_t length;          // Lcod or Lcoc

    // The precinct byte of a resolution level, when the segment holds it.
    std::optional<uint8_t> precinct(const ByteImage& image, uint64_t p, uint32_t level) const
    {
        const uint32_t at = precinctOffset + level;
        return at < length + 2 ? std::optional(image.u8(p + at)) : std::nullopt;
    }

    static std::optional<CodingStyle> read(const ByteImage& image, uint64_t p, bool wideIndex)
    {
        CodingStyle c{};
        c.length = image.be16(p + 2);
        c.cod = image.u8(p + 1) == 0x52;
        uint32_t nl = 9;
        if (c.cod) {
            if (c.length < 12)
                return std::nullopt;
            c.S = image.u8(p + 4);
            c.progression = image.u8(p + 5);
            c.layers = image.be16(p + 6);
            c.componentTransform = image.u8(p + 8);
        } else {
            const uint32_t sAt = wideIndex ? 6 : 5;
            if (c.length < sAt + 4)
                return std::nullopt;
            c.S = image.u8(p + sAt);
            nl = sAt + 1;
        }
        c.NL = image.u8(p + nl);
        c.xcb = image.u8(p + nl + 1);
        c.ycb = image.u8(p + nl + 2);
        c.style = image.u8(p + nl + 3);
        c.transform = image.u8(p + nl + 4);
        c.precinctOffset = nl + 5;
        return c;
    }
};

}  // namespace signalling
