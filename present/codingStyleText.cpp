// Texts of the coding style segments COD and COC, which share their SPcod/SPcoc block.

#include "engine/profiles.h"
#include "present/decoders.h"
#include "present/segmentText.h"

namespace {

constexpr const char* progressionNames[] = {"LRCP", "RLCP", "RPCL", "PCRL", "CPRL"};

// One line per code-block style bit, bit 0 first: {set, clear}.
constexpr const char* codeBlockStyleLines[][2] = {
    {"\n    Selective arithmetic coding bypass", "\n    No selective arithmetic coding bypass"},
    {"\n    Reset context probabilities on coding pass boundaries",
     "\n    No reset of context probabilities on coding pass boundaries"},
    {"\n    Termination on each coding pass", "\n    No termination on each coding pass"},
    {"\n    Vertically causal context", "\n    No vertically causal context"},
    {"\n    Predictable termination", "\n    No predictable termination"},
    {"\n    Segmentation symbols are used", "\n    No segmentation symbols are used"},
};

constexpr const char* transformLines[] = {"\n    9-7 irreversible wavelet transform",
                                          "\n    5-3 reversible wavelet transform"};

constexpr const char* componentTransformLines[] = {
    "\n    No multiple component transform specified.",
    "\n    Irreversible component transformation used with the 9-7 irreversible filter. Reversible component "
    "transformation used with the 5-3 reversible filter.",
};

// Decomposition levels, code-block size and style, transform: from the offset of NL.
void sharedBlock(SegmentText& t, uint32_t nl, const char* transformLabel)
{
    t.add("\n  Decomposition levels: ", t.u8(nl));
    t.add("\n  Code-block size width (exponent offset value): ", t.u8(nl + 1));
    t.add("\n  Code-block size height (exponent offset value): ", t.u8(nl + 2));
    const auto style = t.u8(nl + 3);
    t.add("\n  Code-block style: ", style);
    for (int bit = 0; bit < 6; ++bit)
        t.add(codeBlockStyleLines[bit][(style >> bit) & 1 ? 0 : 1]);
    // Bits 6 and 7 mean something only with the capabilities of a CAP marker (Rsiz bit 14).
    if ((style & 0x40) && Rsiz{t.analyzer().getRsiz().value_or(0)}.capabilitiesInCap())
        t.add(style & 0x80 ? "\n    HT and Part 1 block coders mixed" : "\n    HT block coder in every code-block");
    const auto transform = t.u8(nl + 4);
    t.add(transformLabel, transform);
    if (transform <= 1)
        t.add(transformLines[transform]);
}

// One PPx/PPy byte per resolution level, NL + 1 of them, from the first precinct byte on. Left out
// when the validation found the segment too short for them.
void precinctBlock(SegmentText& t, uint32_t nl, int tooShortCode)
{
    if (t.hasOwnError(tooShortCode))
        return;
    t.add("\n  Precinct size");
    const uint32_t levels = t.u8(nl);
    for (uint32_t i = 0; i <= levels; ++i) {
        const auto b = t.u8(nl + 5 + i);
        t.add("\n    ", i).add(" sub-band");
        t.add("\n      PPx: ", b & 0x0F).mark(b.bytes);
        t.add("\n      PPy: ", b >> 4).mark(b.bytes);
    }
}

}  // namespace

void codText(SegmentText& t)
{
    t.add("COD marker");
    t.add("\nLcod: ", t.be16(2));
    const auto Scod = t.u8(4);
    t.add("\nScod: ", Scod);
    t.add(Scod & 0x01 ? "\n  Entropy coder, with partitions"
                      : "\n  Entropy coder, without partitions (implies PPx = 2^15 and PPy = 2^15)");
    t.add(Scod & 0x02 ? "\n  SOP marker segments may used" : "\n  No SOP marker segments used");
    t.add(Scod & 0x04 ? "\n  EPH marker segments may used" : "\n  No EPH marker segments used");
    t.add("\nSGcod:");
    const auto order = t.u8(5);
    t.add("\n  Progession order: ").mark(order.bytes);
    if (order <= 4)
        t.add(progressionNames[order]);
    t.add("\n  Number of layers: ", t.be16(6));
    const auto transform = t.u8(8);
    t.add("\n Multiple component transform: ", transform);
    if (transform <= 1)
        t.add(componentTransformLines[transform]);
    t.add("\nSPcod:");
    sharedBlock(t, 9, "\n Transform: ");
    if (Scod & 0x01)
        precinctBlock(t, 9, 10210);
}

void cocText(SegmentText& t)
{
    t.add("COC marker");
    t.add("\nLcoc: ", t.be16(2));
    const int width = t.componentIndexWidth();
    t.add("\nCcoc: ", t.componentIndex(4, width));
    const uint32_t scocAt = 4 + width;
    const auto Scoc = t.u8(scocAt);
    t.add("\nScoc: ", Scoc);
    // The whole byte is compared: other values get no line, unlike Scod's bit test.
    if (Scoc == 0)
        t.add("\n  Entropy coder, without partitions");
    else if (Scoc == 1)
        t.add("\n  Entropy coder, with partitions");
    t.add("\nSPcoc: ");
    sharedBlock(t, scocAt + 1, "\n Transformation: ");
    if (Scoc & 0x01)
        precinctBlock(t, scocAt + 1, 10409);
}
