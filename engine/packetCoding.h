#pragma once
// How one tile is coded, as far as its packets depend on it: the coding style (COD, COC), the
// quantization (QCD, QCC) and region shifts (RGN) that give each sub-band's bit-planes, and the
// progression (COD, POC). A tile-part header's segments take precedence over the main header's, a
// component's over the default: tile COC, tile COD, main COC, main COD, and likewise for QCC, QCD.

#include "engine/byteImage.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The segments of one header that set a tile's coding, by their offsets.
struct CodingSegments {
    std::vector<uint32_t> cod, coc, qcd, qcc, rgn, poc;
    // DFS or ADS: decomposition structures the packet map does not follow.
    bool decompositionStyles = false;

    // Notes a marker of the header; other markers are left alone.
    void add(uint8_t code, uint32_t offset);
    bool setsComponentCoding() const { return !cod.empty() || !coc.empty() || !qcd.empty() || !qcc.empty() || !rgn.empty(); }
};

struct ComponentCoding {
    uint8_t NL = 0;
    uint8_t xcb = 6, ycb = 6;  // code-block size exponents: the stored values plus 2
    uint8_t style = 0;         // code-block style
    std::array<uint8_t, 33> PPx{}, PPy{};
    // Quantization: guard bits and the exponent of each sub-band in QCD order (LL, then HL, LH, HH
    // from the lowest resolution up); a derived quantization gives the LL exponent only.
    bool quantized = false;  // some QCD or QCC applies
    bool derived = false;
    uint8_t guardBits = 0;
    std::vector<uint8_t> exponents;
    std::optional<uint8_t> roiShift = 0;  // nothing for an ROI style other than the implicit one

    bool bypass() const { return style & 0x01; }
    bool terminateEachPass() const { return style & 0x04; }
    bool highThroughput() const { return style & 0x40; }
    // Magnitude bit-planes of a sub-band (0 LL, else 0 HL, 1 LH, 2 HH) of a resolution level, the ROI
    // shift included; nothing when the quantization does not give its exponent.
    std::optional<int> bitPlanes(int resolution, int band) const;
};

// One progression: layers [0, LYE), resolution levels [RS, RE), components [CS, CE), in an order
// 0 LRCP, 1 RLCP, 2 RPCL, 3 PCRL, 4 CPRL.
struct ProgressionRange {
    uint32_t RS = 0, CS = 0, LYE = 0, RE = 0, CE = 0;
    uint8_t order = 0;
};

struct TileCoding {
    uint8_t Scod = 0;
    uint16_t layers = 0;
    std::vector<ComponentCoding> components;
    // The POC entries in force, or COD's order over every packet.
    std::vector<ProgressionRange> progression;

    bool sopAllowed() const { return Scod & 0x02; }
    bool ephUsed() const { return Scod & 0x04; }
};

struct CodingOutcome {
    TileCoding coding;
    int stop = 0;  // 0, or the packet fault that stops the tile (unsupported, unusable coding)
};

// `tile`: the segments of the tile's first tile-part header, with the POC segments of all its
// tile-part headers. `Csiz` gives the components and the width of the component indices.
CodingOutcome assembleTileCoding(const ByteImage& image, uint16_t Csiz, const CodingSegments& main,
                                 const CodingSegments& tile);
