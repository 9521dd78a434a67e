#include "engine/packetCoding.h"

#include "engine/packetFaults.h"

#include <algorithm>

void CodingSegments::add(uint8_t code, uint32_t offset)
{
    switch (code) {
    case 0x52: cod.push_back(offset); break;
    case 0x53: coc.push_back(offset); break;
    case 0x5C: qcd.push_back(offset); break;
    case 0x5D: qcc.push_back(offset); break;
    case 0x5E: rgn.push_back(offset); break;
    case 0x5F: poc.push_back(offset); break;
    case 0x72:  // DFS
    case 0x73:  // ADS
        decompositionStyles = true;
        break;
    default: break;
    }
}

std::optional<int> ComponentCoding::bitPlanes(int resolution, int band) const
{
    if (!quantized || !roiShift)
        return std::nullopt;
    int exponent = 0;
    if (derived) {
        if (exponents.empty())
            return std::nullopt;
        // The LL exponent, less one for each level above the lowest.
        exponent = exponents[0] - (resolution == 0 ? 0 : resolution - 1);
    } else {
        const size_t index = resolution == 0 ? 0 : 1 + 3 * size_t(resolution - 1) + band;
        if (index >= exponents.size())
            return std::nullopt;
        exponent = exponents[index];
    }
    return guardBits + exponent - 1 + *roiShift;
}

namespace {

// The faults that stop a tile, thrown inside this file only.
struct Stop {
    int code;
};

class Assembler {
public:
    Assembler(const ByteImage& image, uint16_t Csiz) : image_(image), Csiz_(Csiz), wide_(Csiz >= 257) {}

    CodingOutcome run(const CodingSegments& main, const CodingSegments& tile)
    {
        CodingOutcome out;
        try {
            if (main.decompositionStyles || tile.decompositionStyles)
                throw Stop{packetFault::unsupported};
            for (const CodingSegments* header : {&main, &tile})
                if (header->cod.size() > 1 || header->qcd.size() > 1)
                    throw Stop{packetFault::unusableCoding};
            const uint32_t cod = !tile.cod.empty() ? tile.cod[0] : !main.cod.empty() ? main.cod[0] : 0;
            if (cod == 0)
                throw Stop{packetFault::unusableCoding};
            readCod(cod, out.coding);
            const Tables mainTables = tables(main), tileTables = tables(tile);
            for (uint16_t c = 0; c < Csiz_; ++c)
                out.coding.components.push_back(component(c, cod, main, mainTables, tile, tileTables));
            readProgression(!tile.poc.empty() ? tile.poc : main.poc, out.coding);
        } catch (const Stop& stop) {
            out.stop = stop.code;
        } catch (const ImageOverrun&) {
            out.stop = packetFault::unusableCoding;
        }
        return out;
    }

private:
    uint16_t length(uint32_t p) const { return image_.be16(uint64_t{p} + 2); }
    uint16_t componentAt(uint64_t at) const { return wide_ ? image_.be16(at) : image_.u8(at); }
    int indexWidth() const { return wide_ ? 2 : 1; }

    void readCod(uint32_t p, TileCoding& coding) const
    {
        if (length(p) < 12)
            throw Stop{packetFault::unusableCoding};
        coding.Scod = image_.u8(uint64_t{p} + 4);
        // Bits 3 and up: partition anchors and other coding the map does not follow.
        if (coding.Scod & 0xF8)
            throw Stop{packetFault::unsupported};
        coding.layers = image_.be16(uint64_t{p} + 6);
        if (coding.layers == 0 || image_.u8(uint64_t{p} + 5) > 4)
            throw Stop{packetFault::unusableCoding};
        coding.progression.push_back({0, 0, coding.layers, 33, Csiz_, image_.u8(uint64_t{p} + 5)});
    }

    // SPcod or SPcoc from `at` (NL first), with `precincts` bytes after them when defined.
    void readStyle(uint32_t p, uint64_t at, bool precincts, ComponentCoding& c) const
    {
        c.NL = image_.u8(at);
        const uint8_t xcb = image_.u8(at + 1), ycb = image_.u8(at + 2);
        c.style = image_.u8(at + 3);
        if (c.NL > 32 || xcb > 8 || ycb > 8 || xcb + ycb > 8)
            throw Stop{packetFault::unusableCoding};
        if (c.style & 0x80)
            throw Stop{packetFault::unsupported};
        c.xcb = xcb + 2;
        c.ycb = ycb + 2;
        c.PPx.fill(15);
        c.PPy.fill(15);
        if (!precincts)
            return;
        const uint64_t first = at + 5;
        if (first + c.NL + 1 > uint64_t{p} + 2 + length(p))
            throw Stop{packetFault::unusableCoding};
        for (int r = 0; r <= c.NL; ++r) {
            const uint8_t sizes = image_.u8(first + r);
            c.PPx[r] = sizes & 0x0F;
            c.PPy[r] = sizes >> 4;
            // Above the lowest level a precinct holds a code-block of each sub-band.
            if (r > 0 && (c.PPx[r] == 0 || c.PPy[r] == 0))
                throw Stop{packetFault::unusableCoding};
        }
    }

    // The segment of `list` that names each component, 0 for none; two for one component are a
    // fault nothing can settle.
    std::vector<uint32_t> byComponent(const std::vector<uint32_t>& list) const
    {
        std::vector<uint32_t> table(Csiz_, 0);
        for (uint32_t p : list) {
            const uint16_t c = componentAt(uint64_t{p} + 4);
            if (c >= Csiz_)
                continue;
            if (table[c] != 0)
                throw Stop{packetFault::unusableCoding};
            table[c] = p;
        }
        return table;
    }

    struct Tables {
        std::vector<uint32_t> coc, qcc, rgn;
    };
    Tables tables(const CodingSegments& header) const
    {
        return {byComponent(header.coc), byComponent(header.qcc), byComponent(header.rgn)};
    }

    ComponentCoding component(uint16_t c, uint32_t cod, const CodingSegments& main, const Tables& mainTables,
                              const CodingSegments& tile, const Tables& tileTables) const
    {
        ComponentCoding out;
        // A tile's COD stands above the main header's COC.
        uint32_t coc = tileTables.coc[c];
        if (coc == 0 && tile.cod.empty())
            coc = mainTables.coc[c];
        if (coc != 0) {
            const uint64_t at = uint64_t{coc} + 4 + indexWidth();
            if (length(coc) < 8 + indexWidth())
                throw Stop{packetFault::unusableCoding};
            readStyle(coc, at + 1, image_.u8(at) & 0x01, out);
        } else {
            readStyle(cod, uint64_t{cod} + 9, image_.u8(uint64_t{cod} + 4) & 0x01, out);
        }

        uint32_t qcc = tileTables.qcc[c];
        if (qcc == 0 && tile.qcd.empty())
            qcc = mainTables.qcc[c];
        if (qcc != 0)
            readQuantization(qcc, uint64_t{qcc} + 4 + indexWidth(), out);
        else if (const auto& qcd = !tile.qcd.empty() ? tile.qcd : main.qcd; !qcd.empty())
            readQuantization(qcd[0], uint64_t{qcd[0]} + 4, out);

        const uint32_t rgn = tileTables.rgn[c] != 0 ? tileTables.rgn[c] : mainTables.rgn[c];
        if (rgn != 0) {
            const uint64_t at = uint64_t{rgn} + 4 + indexWidth();
            out.roiShift = image_.u8(at) == 0 ? std::optional<uint8_t>(image_.u8(at + 1)) : std::nullopt;
        }
        return out;
    }

    // Sqcd or Sqcc at `at`, the values after it to the end of the segment.
    void readQuantization(uint32_t p, uint64_t at, ComponentCoding& c) const
    {
        const uint64_t end = uint64_t{p} + 2 + length(p);
        if (at >= end)
            return;
        const uint8_t S = image_.u8(at);
        const int style = S & 0x1F;
        c.guardBits = S >> 5;
        c.quantized = style <= 2;
        c.derived = style == 1;
        if (style == 0)
            for (uint64_t q = at + 1; q < end; ++q)
                c.exponents.push_back(image_.u8(q) >> 3);
        else if (style <= 2)
            for (uint64_t q = at + 1; q + 1 < end; q += 2)
                c.exponents.push_back(image_.be16(q) >> 11);
    }

    void readProgression(const std::vector<uint32_t>& pocs, TileCoding& coding) const
    {
        if (pocs.empty())
            return;
        coding.progression.clear();
        const int entrySize = wide_ ? 9 : 7;
        const uint32_t endOfComponents = wide_ ? 16384 : 256;
        for (uint32_t p : pocs) {
            const uint32_t count = length(p) < 2 ? 0 : (length(p) - 2u) / entrySize;
            for (uint32_t j = 0; j < count; ++j) {
                const uint64_t e = uint64_t{p} + 4 + uint64_t{j} * entrySize;
                ProgressionRange range;
                range.RS = image_.u8(e);
                range.CS = componentAt(e + 1);
                range.LYE = std::min<uint32_t>(image_.be16(e + 1 + indexWidth()), coding.layers);
                range.RE = std::min<uint32_t>(image_.u8(e + 3 + indexWidth()), 33);
                const uint32_t CE = componentAt(e + 4 + indexWidth());
                range.CE = std::min<uint32_t>(CE == 0 ? endOfComponents : CE, Csiz_);
                range.order = image_.u8(e + 4 + 2 * indexWidth());
                if (range.order > 4)
                    throw Stop{packetFault::unusableCoding};
                coding.progression.push_back(range);
            }
        }
    }

    const ByteImage& image_;
    const uint16_t Csiz_;
    const bool wide_;
};

}  // namespace

CodingOutcome assembleTileCoding(const ByteImage& image, uint16_t Csiz, const CodingSegments& main,
                                 const CodingSegments& tile)
{
    return Assembler(image, Csiz).run(main, tile);
}
