// Field checks of each marker segment, run once the walk reached EOC: lengths, ranges, reserved
// bits, and lengths that must agree with a count or a style (T.800 Annex A). A check either
// records its code and the next check runs, or raises it and the segment's checks end.

#include "engine/jpcAnalyzer.h"
#include "engine/markerNames.h"
#include "engine/profiles.h"
#include "engine/tlmLayout.h"

namespace {

// One segment under test: reads by offset from its 0xFF byte, through the bounded image.
class Segment {
public:
    Segment(const ByteImage& image, uint32_t p, ErrorLog& log) : image_(image), p_(p), log_(log) {}

    uint8_t u8(uint32_t offset) const { return image_.u8(uint64_t{p_} + offset); }
    int be16(uint32_t offset) const { return image_.be16(uint64_t{p_} + offset); }
    uint32_t be32(uint32_t offset) const { return image_.be32(uint64_t{p_} + offset); }

    void record(int code) { log_.record(code, p_); }
    [[noreturn]] static void raise(int code) { throw jpcAnalyzerException{code}; }

private:
    const ByteImage& image_;
    uint32_t p_;
    ErrorLog& log_;
};

// Offsets of fields that follow a component index: one byte for Csiz below 257, two from 257.
struct IndexWidth {
    bool wide;
    uint32_t after(uint32_t offset) const { return offset + (wide ? 2 : 1); }
};

void checkSotFields(Segment& s, bool lastSot)
{
    if (s.be16(2) != 10)
        s.raise(10101);
    const uint32_t Psot = s.be32(6);
    if (Psot != 0 && Psot < 14)
        s.raise(10102);
    // Psot 0 means "to the end of the codestream", allowed for the last tile-part only.
    if (Psot == 0 && !lastSot)
        s.raise(10103);
    if (s.u8(10) == 255)
        s.record(10104);
}

// Code-block and transform fields shared by SPcod and SPcoc, from the offset of NL.
struct CodingStyleCodes {
    int levels, blockSize, blockSum, blockStyle, transform;
};

// With capabilities in CAP (Rsiz bit 14), bit 6 selects the HT block coder and bits 6 and 7 together
// allow it beside the other; bit 7 alone means nothing.
bool codeBlockStyleDefined(uint8_t style, bool htAllowed)
{
    return htAllowed ? (style & 0xC0) != 0x80 : !(style & 0xC0);
}

void checkCodingStyleParameters(Segment& s, uint32_t nlOffset, const CodingStyleCodes& codes, bool htAllowed)
{
    if (s.u8(nlOffset) > 32)
        s.record(codes.levels);
    const int xcb = s.u8(nlOffset + 1);
    const int ycb = s.u8(nlOffset + 2);
    if (ycb > 8 || xcb > 8)
        s.record(codes.blockSize);
    // The offsets as stored: xcb + ycb + 4 <= 10 for the exponents themselves.
    if (xcb + ycb > 12)
        s.record(codes.blockSum);
    if (!codeBlockStyleDefined(s.u8(nlOffset + 3), htAllowed))
        s.record(codes.blockStyle);
    if (s.u8(nlOffset + 4) > 1)
        s.record(codes.transform);
}

void checkCod(Segment& s, bool htAllowed)
{
    const int Lcod = s.be16(2);
    if (Lcod < 12)
        s.raise(10201);
    const int Scod = s.u8(4);
    if (Scod & 0xF8)
        s.record(10202);
    if (s.u8(5) > 4)
        s.record(10204);
    if (s.u8(8) > 1)
        s.record(10209);
    if (s.be16(6) == 0)
        s.record(10211);
    checkCodingStyleParameters(s, 9, {10203, 10205, 10206, 10207, 10208}, htAllowed);
    const int NL = s.u8(9);
    // One precinct byte per resolution level: NL + 1 of them.
    if ((Scod & 0x01) && Lcod < 13 + NL)
        s.record(10210);
}

void checkCoc(Segment& s, IndexWidth width, bool htAllowed)
{
    const int Lcoc = s.be16(2);
    if (Lcoc < (width.wide ? 10 : 9))
        s.raise(10401);
    if (width.wide && s.be16(4) > 16383)
        s.record(10408);
    const uint32_t scocOffset = width.after(4);
    const int Scoc = s.u8(scocOffset);
    if (Scoc > 1)
        s.record(10402);
    const int NL = s.u8(scocOffset + 1);
    checkCodingStyleParameters(s, scocOffset + 1, {10403, 10404, 10405, 10406, 10407}, htAllowed);
    if (Scoc == 1 && Lcoc != NL + (width.wide ? 11 : 10))
        s.record(10409);
}

// Length of the SPqcd/SPqcc part against the style: one byte per sub-band without quantization,
// one 16-bit value when derived, one per sub-band when expounded (3·NL + 1 sub-bands).
bool quantizationLengthFits(int style, int parameterBytes)
{
    switch (style) {
    case 0:
        return (parameterBytes - 1) % 3 == 0;
    case 1:
        return parameterBytes == 2;
    case 2:
        return (parameterBytes - 2) % 6 == 0;
    default:
        return true;
    }
}

// In a reversible (style 0) step size the exponent sits in bits 3–7; bits 0–2 are reserved.
bool reservedExponentBitsSet(uint8_t firstParameterByte) { return firstParameterByte & 0x07; }

void checkQcd(Segment& s)
{
    const int Lqcd = s.be16(2);
    if (Lqcd < 4 || Lqcd > 197)
        s.raise(10301);
    const int style = s.u8(4) & 0x1F;
    if (style > 2)
        s.record(10302);
    if (style == 0 && reservedExponentBitsSet(s.u8(5)))
        s.record(10303);
    if (!quantizationLengthFits(style, Lqcd - 3))
        s.record(10304);
}

void checkQcc(Segment& s, IndexWidth width)
{
    const int Lqcc = s.be16(2);
    if (Lqcc < (width.wide ? 6 : 5))
        s.raise(10501);
    if (width.wide && s.be16(4) > 16383)
        s.record(10504);
    const uint32_t sqccOffset = width.after(4);
    const int Sqcc = s.u8(sqccOffset);
    const int style = Sqcc & 0x1F;
    if (style > 2)
        s.record(10502);
    if (!quantizationLengthFits(style, Lqcc - static_cast<int>(sqccOffset) + 1))
        s.record(10505);
    if (Sqcc == 0 && reservedExponentBitsSet(s.u8(sqccOffset + 1)))
        s.record(10503);
}

void checkRgn(Segment& s, IndexWidth width)
{
    if (s.be16(2) != (width.wide ? 6 : 5))
        s.raise(10601);
    if (width.wide && s.be16(4) > 16383)
        s.record(10603);
    if (s.u8(width.after(4)) != 0)
        s.record(10602);
}

void checkPod(Segment& s, IndexWidth width)
{
    const int Lpoc = s.be16(2);
    const int entrySize = width.wide ? 9 : 7;
    if (Lpoc < 2 + entrySize)
        s.raise(10701);
    if ((Lpoc - 2) % entrySize)
        s.raise(10702);
    for (int j = 0; j < (Lpoc - 2) / entrySize; ++j) {
        const uint32_t entry = 4 + j * entrySize;
        if (width.wide) {
            if (s.be16(entry + 1) > 16383)
                s.record(10704);
            if (s.be16(entry + 6) > 16383)
                s.record(10705);
        }
        if (s.u8(entry + (width.wide ? 8 : 6)) > 4)
            s.record(10703);
    }
}

void checkTlm(Segment& s)
{
    const int Ltlm = s.be16(2);
    if (Ltlm < 6)
        s.raise(10801);
    const int Stlm = s.u8(5);
    const TlmLayout layout(Stlm);
    if ((Stlm & 0x8F) || layout.ST == 3) {
        s.record(10802);
        if (layout.ST == 3)
            return;
    }
    if ((Ltlm - 4) % layout.pairSize())
        s.raise(10805);
    for (int j = 0; j < layout.pairCount(Ltlm); ++j) {
        const uint32_t ptlmOffset = layout.ptlmOffset(j);
        const uint32_t Ptlm = layout.longPtlm ? s.be32(ptlmOffset) : static_cast<uint32_t>(s.be16(ptlmOffset));
        // The smallest tile-part: SOT (12 bytes) and SOD (2).
        if (Ptlm < 14)
            s.record(10804);
    }
}

void checkLengthAtLeast(Segment& s, int minimum, int code)
{
    if (s.be16(2) < minimum)
        s.record(code);
}

void checkCme(Segment& s)
{
    checkLengthAtLeast(s, 5, 11301);
    // Rcme 0 is binary data, 1 Latin-1 text; other values are not defined.
    if (s.be16(4) > 1)
        s.record(11302);
}

}  // namespace

void jpcAnalyzer::validateSegment(uint32_t p)
{
    Segment s(image, p, errorList);
    const uint8_t code = image.u8(uint64_t{p} + 1);
    const auto width = [this] { return IndexWidth{mainCsiz() >= 257}; };
    const auto htAllowed = [this] { return Rsiz{getRsiz().value_or(0)}.capabilitiesInCap(); };
    switch (code) {
    case 0x4F:  // SOC
    case 0x63:  // CRG
    case 0x93:  // SOD
    case 0xD9:  // EOC
        return;
    case 0x51:
        validateSiz(p);
        return;
    case 0x90:
        checkSotFields(s, currentSot == p);
        return;
    case 0x52:
        checkCod(s, htAllowed());
        return;
    case 0x53:
        checkCoc(s, width(), htAllowed());
        return;
    case 0x5C:
        checkQcd(s);
        return;
    case 0x5D:
        checkQcc(s, width());
        return;
    case 0x5E:
        checkRgn(s, width());
        return;
    case 0x5F:
        checkPod(s, width());
        return;
    case 0x55:
        checkTlm(s);
        return;
    case 0x57:
        checkLengthAtLeast(s, 5, 10901);
        return;
    case 0x58:
        checkLengthAtLeast(s, 4, 11001);
        return;
    case 0x60:
        checkLengthAtLeast(s, 7, 11101);
        return;
    case 0x61:
        checkLengthAtLeast(s, 4, 11201);
        return;
    case 0x64:
        checkCme(s);
        return;
    default:
        // 0xFF30 to 0xFF3F are reserved markers without parameters that a reader skips.
        if (code >= 0x30 && code <= 0x3F)
            return;
        // CAP, PRF, CPF and the extension markers have rules of their own, after the cross-checks.
        if (code == 0x50 || code == 0x56 || code == 0x59 || isExtensionMarker(code)) {
            signallingMarkersSeen = true;
            return;
        }
        errorList.record(1018, p);
    }
}

void jpcAnalyzer::validateSiz(uint32_t p)
{
    Segment s(image, p, errorList);
    const int Lsiz = s.be16(2);
    if (Lsiz > 49190 || Lsiz < 41)
        s.raise(10001);
    const int Csiz = s.be16(38);
    const bool lengthFitsComponents = Lsiz == 38 + 3 * Csiz;
    if (!lengthFitsComponents)
        s.record(10011);
    if (s.be32(6) == 0 || s.be32(10) == 0)
        s.record(10002);
    if (s.be32(14) == UINT32_MAX || s.be32(18) == UINT32_MAX)
        s.record(10003);
    if (s.be32(22) == 0 || s.be32(26) == 0)
        s.record(10004);
    if (s.be32(30) == UINT32_MAX || s.be32(34) == UINT32_MAX)
        s.record(10005);
    if (Csiz == 0 || Csiz > 16384)
        s.record(10006);
    if (!Rsiz{static_cast<uint16_t>(s.be16(4))}.defined())
        s.record(10007);
    // Component bytes are read only where the length says they are.
    if (!lengthFitsComponents)
        return;
    for (int i = 0; i < Csiz; ++i) {
        if (s.u8(41 + 3 * i) == 0 || s.u8(42 + 3 * i) == 0)
            s.record(10008);
        // Ssiz holds the depth less one in bits 0–6: at most 38 bits.
        if ((s.u8(40 + 3 * i) & 0x7F) > 38)
            s.record(10009);
    }
}
