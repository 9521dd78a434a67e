// Texts of the quantization segments QCD and QCC, the region of interest RGN and the progression
// order change POC.

#include "present/decoders.h"
#include "present/segmentText.h"

namespace {

// Guard bits, style line and the SPqcd/SPqcc entries, from the offset of Sqcd/Sqcc. `parameterBytes`
// is the length the segment gives its entries.
void quantizationBody(SegmentText& t, uint32_t styleAt, int parameterBytes, const char* entriesLabel)
{
    const auto S = t.u8(styleAt);
    t.add("\n  Number of guard bits: ", S >> 5).mark(S.bytes);
    const int style = S & 0x1F;
    if (style == 0)
        t.add("\n  No quantization");
    else if (style == 1)
        t.add("\n  Scalar derived (implicit)");
    else if (style == 2)
        t.add("\n  Scalar expounded (explicit)");
    t.add(entriesLabel);
    // Without quantization one exponent byte per sub-band, otherwise 16 bits: mantissa in bits 0–10,
    // exponent in bits 11–15.
    const int width = style == 0 ? 1 : 2;
    const int entries = parameterBytes / width;
    const uint32_t first = styleAt + 1;
    for (int i = 0; i < entries; ++i) {
        if (style == 0) {
            const auto b = t.u8(first + i);
            t.add("\n  ", i).add(" sub-band");
            t.add("\n    Exponent of the reversible dynamic range: ", b >> 3).mark(b.bytes);
        } else {
            const auto v = t.be16(first + 2 * i);
            t.add("\n  ", i).add(" sub-band");
            t.add("\n    Mantissa of the quantization step size value: ", v & 0x7FF).mark(v.bytes);
            t.add("\n    Exponent of the quantization step size value: ", v >> 11).mark(v.bytes);
        }
    }
}

constexpr const char* progressionLines[] = {"\n    LRCP", "\n    RLCP", "\n    RPCL", "\n    PCRL", "\n    CPRL"};

}  // namespace

void qcdText(SegmentText& t)
{
    t.add("QCD marker");
    const auto Lqcd = t.be16(2);
    t.add("\nLqcd: ", Lqcd);
    t.add("\nSqcd: ", t.u8(4));
    quantizationBody(t, 4, Lqcd - 3, "\nSPqcd: ");
}

void qccText(SegmentText& t)
{
    t.add("QCC marker");
    const auto Lqcc = t.be16(2);
    t.add("\nLqcc: ", Lqcc);
    const int width = t.componentIndexWidth();
    t.add("\nCqcc: ", t.componentIndex(4, width));
    const uint32_t sqccAt = 4 + width;
    t.add("\nSqcc: ", t.u8(sqccAt));
    quantizationBody(t, sqccAt, Lqcc - 3 - width, "\nSPqcc: ");
}

void rgnText(SegmentText& t)
{
    t.add("RGN marker");
    t.add("\nLrgn: ", t.be16(2));
    const int width = t.componentIndexWidth();
    t.add("\nCrgn: ", t.componentIndex(4, width));
    t.add("\nSrgn: ", t.u8(4 + width));
    t.add("\nSPrgn:\n  Implicit ROI shift: ", t.u8(5 + width));
}

void pocText(SegmentText& t)
{
    t.add("POC marker");
    const auto Lpoc = t.be16(2);
    t.add("\nLpoc: ", Lpoc);
    const int width = t.componentIndexWidth();
    const int recordSize = 5 + 2 * width;
    const int records = (Lpoc - 2) / recordSize;  // a remainder is ignored
    for (int i = 0; i < records; ++i) {
        const uint32_t r = 4 + i * recordSize;
        const auto RSpoc = t.u8(r);
        const auto CSpoc = t.componentIndex(r + 1, width);
        const auto LYEpoc = t.be16(r + 1 + width);
        const auto REpoc = t.u8(r + 3 + width);
        const auto CEpoc = t.componentIndex(r + 4 + width, width);
        const auto Ppoc = t.u8(r + 4 + 2 * width);
        t.add("\n", i).add("progression order change");
        t.add("\n  RSpoc: ", RSpoc);
        t.add("\n  CSpoc: ", CSpoc);
        t.add("\n  LYEpoc: ", LYEpoc);
        t.add("\n  REpoc: ", REpoc);
        t.add("\n  CEpoc: ", CEpoc);
        t.add("\n  Ppoc: ", Ppoc);
        if (Ppoc <= 4)
            t.add(progressionLines[Ppoc]);
    }
}
