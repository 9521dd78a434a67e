#include "present/packetText.h"

#include "present/fieldText.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::string hexOffset(uint64_t offset)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llx", static_cast<unsigned long long>(offset));
    return text;
}

// The place and size of a run of bytes: "0x000001ac, 4 B".
std::string placeText(uint64_t begin, uint64_t end)
{
    return hexOffset(begin) + ", " + std::to_string(end - begin) + " B";
}

// Band 0 is the LL band at resolution level 0 and the HL band above it.
const char* bandName(uint8_t resolution, uint8_t band)
{
    static const char* const names[] = {"HL", "LH", "HH"};
    return resolution == 0 ? "LL" : names[band % 3];
}

// The code-block's bytes follow those of the code-blocks before it in the header's order.
void codeBlockText(FieldText& t, const CodeBlockContribution& block, uint8_t resolution, FieldBytes bytes)
{
    const size_t firstLine = t.currentLine() + 1;
    t.add("\nCode-block ").add(bandName(resolution, block.band)).add(" x ", block.x).add(" y ", block.y);
    if (!block.included) {
        t.add("\n  Dołączony: nie");
        return;
    }
    t.add(block.firstInclusion ? "\n  Dołączony: tak, po raz pierwszy" : "\n  Dołączony: tak");
    t.add("\n  Zero bit-planes: ", block.zeroBitPlanes);
    t.add("\n  Przebiegi kodowania: ", block.passes).add(", wcześniej ", block.passesBefore);
    t.add("\n  Lblock: ", block.Lblock);
    t.add("\n  Długości segmentów:");
    for (size_t k = 0; k < block.segmentLengths.size(); ++k)
        t.add(k == 0 ? " " : ", ", block.segmentLengths[k]);
    if (bytes.end > bytes.begin)
        t.markFrom(firstLine, bytes);
}

}  // namespace

ElementText buildPacketText(const Packet& packet, uint16_t tile, uint32_t index,
                            const std::vector<CodeBlockContribution>& codeBlocks)
{
    FieldText t;
    t.add("Pakiet");
    t.add("\nKafel: ", tile);
    t.add("\nCzęść kafla: ", packet.part);
    t.add("\nNumer w kaflu: ", index);
    t.add("\nWarstwa: ", packet.layer);
    t.add("\nPoziom rozdzielczości: ", packet.resolution);
    t.add("\nKomponent: ", packet.component);
    t.add("\nPrecinct: ", packet.precinct);
    if (packet.sop)
        t.add("\nSOP: " + placeText(packet.offset, packet.offset + 6)).mark({packet.offset, packet.offset + 6u});
    // Packed headers stand in PPM or PPT segments, away from the body.
    const bool packed = packet.headerStart < packet.offset;
    t.add(packed ? "\nNagłówek w PPM lub PPT: " : "\nNagłówek: ")
        .add(placeText(packet.headerStart, packet.headerEnd))
        .mark({packet.headerStart, packet.headerEnd});
    if (packet.eph)
        t.add("\nEPH: " + placeText(packet.headerEnd, packet.headerEnd + 2))
            .mark({packet.headerEnd, packet.headerEnd + 2u});
    t.add("\nTreść: " + placeText(packet.bodyStart, packet.bodyEnd)).mark({packet.bodyStart, packet.bodyEnd});
    t.add("\nDługość pakietu: ", packet.length()).add(" B").mark({packet.offset, packet.bodyEnd});
    t.add("\nDołączone code-blocki: ", packet.codeBlocks);
    t.add("\nPrzebiegi kodowania: ", packet.passes);
    uint64_t at = packet.bodyStart;
    for (const CodeBlockContribution& block : codeBlocks) {
        uint64_t length = 0;
        for (uint64_t segment : block.segmentLengths)
            length += segment;
        const uint64_t end = std::min<uint64_t>(at + length, packet.bodyEnd);
        codeBlockText(t, block, packet.resolution, {at, end});
        at = end;
    }
    return t.takeWithFields();
}
