// Texts of the tile-part lengths (TLM), packet lengths (PLM, PLT), packed packet headers (PPM, PPT),
// comment (COM) and component registration (CRG) segments.

#include "engine/tlmLayout.h"
#include "present/decoders.h"
#include "present/segmentText.h"

#include <algorithm>

namespace {

// Packet lengths from `from` while fewer than `count` bytes are used; a length is cut at the end of
// the segment's area rather than run on into the next segment.
void packetLengths(SegmentText& t, uint64_t from, uint32_t count, uint64_t areaEnd)
{
    uint32_t k = 0;
    for (uint32_t u = 0; u < count; ++k) {
        uint32_t used = 0;
        const uint32_t length = t.analyzer().decodeVarLength(t.position() + from + u, areaEnd, used);
        if (used == 0)
            return;  // the count reaches past the segment
        t.add("\n  ", k).add(" packet length: ", length).mark(t.at(from + u, used));
        u += used;
    }
}

// A Latin-1 byte as UTF-8: each byte is its own code point.
std::string_view latin1AsUtf8(uint8_t byte, char (&buffer)[2])
{
    if (byte < 0x80) {
        buffer[0] = static_cast<char>(byte);
        return {buffer, 1};
    }
    buffer[0] = static_cast<char>(0xC0 | byte >> 6);
    buffer[1] = static_cast<char>(0x80 | (byte & 0x3F));
    return {buffer, 2};
}

}  // namespace

void tlmText(SegmentText& t)
{
    t.add("TLM marker");
    const auto Ltlm = t.be16(2);
    t.add("\nLtlm: ", Ltlm);
    t.add("\nZtlm: ", t.u8(4));
    const auto Stlm = t.u8(5);
    t.add("\nStlm: ", Stlm);
    const TlmLayout layout(Stlm);
    const int ST = layout.ST;
    if (t.hasOwnError(10805) || ST == 3)
        return;
    const int entries = layout.pairCount(Ltlm);
    for (int j = 0; j < entries; ++j) {
        const uint32_t at = layout.ttlmOffset(j);
        const Field<uint32_t> Ttlm = ST == 0 ? Field<uint32_t>{0, {}} : t.number(at, ST);
        const auto Ptlm = t.number(layout.ptlmOffset(j), layout.longPtlm ? 4 : 2);
        t.add("\n", j).add(" tile part size");
        if (ST != 0)
            t.add("\n  Ttlm: ", Ttlm);
        t.add("\n  Ptlm: ", Ptlm);
    }
}

void plmText(SegmentText& t)
{
    t.add("PLM marker");
    const auto Lplm = t.be16(2);
    t.add("\nLplm: ", Lplm);
    t.add("\nZplm: ", t.u8(4));
    const uint64_t areaEnd = t.segmentEnd();
    // Each record is Nplm and Nplm bytes of lengths; its number is its byte offset in the area.
    for (uint32_t o = 0; static_cast<int>(o) < Lplm - 3;) {
        const auto Nplm = t.u8(5 + o);
        t.add("\n", o).add(" tile-part");
        t.add("\n  Nplm: ", Nplm);
        packetLengths(t, 5 + o + 1, Nplm, areaEnd);
        o += Nplm + 1;
    }
}

void pltText(SegmentText& t)
{
    t.add("PLT marker");
    const auto Lplt = t.be16(2);
    t.add("\nLplt: ", Lplt);
    t.add("\nZplt: ", t.u8(4));
    if (Lplt > 3)
        packetLengths(t, 5, Lplt - 3, t.segmentEnd());
}

void ppmText(SegmentText& t)
{
    t.add("PPM marker");
    t.add("\nLppm: ", t.be16(2));
    t.add("\nZppm: ", t.u8(4));
    t.add("\n rest are packet headers, which this program can't decode");
}

void pptText(SegmentText& t)
{
    t.add("PPT marker");
    t.add("\nLppt: ", t.be16(2));
    t.add("\nZppt: ", t.u8(4));
    t.add("\n  rest are packet headers, which this program can't decode");
}

void comText(SegmentText& t)
{
    t.add("COM marker");
    const auto Lcom = t.be16(2);
    t.add("\nLcom: ", Lcom);
    const auto Rcom = t.be16(4);
    t.add("\nRcom: ", Rcom);
    if (Rcom == 0) {
        t.add("\n  unknown binary extension (you can read data from hex view");
    } else if (Rcom == 1) {
        t.add("\n  text (iso-8859-1) type extension:\n    ");
        // Up to the first zero byte; a length below 4 holds no text.
        char buffer[2];
        const size_t firstLine = t.currentLine();
        int i = 0;
        for (; i < Lcom - 4; ++i) {
            const uint8_t byte = t.u8(6 + i);
            if (byte == 0)
                break;
            t.add(latin1AsUtf8(byte, buffer));
        }
        t.markFrom(firstLine, t.at(6, static_cast<uint64_t>(i)));
    } else {
        t.add("\n  value defined as \"reserved for registration\"");
    }
}

void crgText(SegmentText& t)
{
    t.add("CRG marker");
    const auto Lcrg = t.be16(2);
    t.add("\nLcrg: ", Lcrg);
    // Xcrg and Ycrg of each component in turn, numbered from 1, as far as the segment holds them:
    // read on past it, Csiz pairs would make each CRG's text as long as the rest of the file.
    const uint32_t pairs = std::min<uint32_t>(t.mainCsiz(), Lcrg >= 2 ? (Lcrg - 2u) / 4u : 0);
    for (uint32_t n = 1; n <= pairs; ++n) {
        const auto Xcrg = t.be16(4 * n);
        const auto Ycrg = t.be16(4 * n + 2);
        t.add("\n", n).add(" component");
        t.add("\n  Xcrg: ", Xcrg);
        t.add("\n  Ycrg: ", Ycrg);
    }
}
