// A packet's text: what it stands for, where its parts lie, and each code-block of its precinct, the
// lines of an included one knowing the code-block's bytes in the body (those before it come first).

#include "present/packetText.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The text, each line that shows bytes followed by " @begin+length".
std::string annotated(const ElementText& shown)
{
    std::string out;
    std::istringstream lines(shown.text);
    size_t k = 0;
    for (std::string line; std::getline(lines, line); ++k) {
        const auto& f = shown.lineFields.at(k);
        out += (k ? "\n" : "") + line;
        if (f)
            out += " @" + std::to_string(f->begin) + "+" + std::to_string(f->end - f->begin);
    }
    return out;
}

}  // namespace

TEST(PacketText, ListsPartsAndCodeBlocksWithTheirBytes)
{
    struct Case {
        const char* name;
        Packet packet;
        std::vector<CodeBlockContribution> codeBlocks;
        std::string text;
    };
    const Case cases[] = {
        {"SOP, header, EPH and body in the data; a code-block left out between two included",
         {.offset = 100, .headerStart = 106, .headerEnd = 108, .bodyStart = 110, .bodyEnd = 130, .precinct = 3,
          .layer = 1, .resolution = 2, .sop = true, .eph = true, .part = 1, .codeBlocks = 2, .passes = 5},
         {{.band = 0, .y = 1, .included = true, .firstInclusion = true, .zeroBitPlanes = 3, .passes = 4,
           .Lblock = 4, .segmentLengths = {12, 5}},
          {.band = 1, .segmentLengths = {}},
          {.band = 2, .x = 1, .included = true, .zeroBitPlanes = 2, .passesBefore = 6, .passes = 1,
           .segmentLengths = {3}}},
         "Pakiet\nKafel: 2\nCzęść kafla: 1\nNumer w kaflu: 17\nWarstwa: 1\nPoziom rozdzielczości: 2\nKomponent: 0\n"
         "Precinct: 3\nSOP: 0x00000064, 6 B @100+6\nNagłówek: 0x0000006a, 2 B @106+2\nEPH: 0x0000006c, 2 B @108+2\n"
         "Treść: 0x0000006e, 20 B @110+20\nDługość pakietu: 30 B @100+30\nDołączone code-blocki: 2\n"
         "Przebiegi kodowania: 5\nCode-block HL x 0 y 1 @110+17\n  Dołączony: tak, po raz pierwszy @110+17\n"
         "  Zero bit-planes: 3 @110+17\n  Przebiegi kodowania: 4, wcześniej 0 @110+17\n  Lblock: 4 @110+17\n"
         "  Długości segmentów: 12, 5 @110+17\nCode-block LH x 0 y 0\n  Dołączony: nie\n"
         "Code-block HH x 1 y 0 @127+3\n  Dołączony: tak @127+3\n  Zero bit-planes: 2 @127+3\n"
         "  Przebiegi kodowania: 1, wcześniej 6 @127+3\n  Lblock: 3 @127+3\n  Długości segmentów: 3 @127+3"},
        {"the header in a PPT, the lowest resolution level's band, lengths past the body cut at its end",
         {.offset = 200, .headerStart = 80, .headerEnd = 83, .bodyStart = 200, .bodyEnd = 204, .codeBlocks = 1,
          .passes = 1},
         {{.band = 0, .included = true, .passes = 1, .segmentLengths = {9}}},
         "Pakiet\nKafel: 2\nCzęść kafla: 0\nNumer w kaflu: 17\nWarstwa: 0\nPoziom rozdzielczości: 0\nKomponent: 0\n"
         "Precinct: 0\nNagłówek w PPM lub PPT: 0x00000050, 3 B @80+3\nTreść: 0x000000c8, 4 B @200+4\n"
         "Długość pakietu: 4 B @200+4\nDołączone code-blocki: 1\nPrzebiegi kodowania: 1\n"
         "Code-block LL x 0 y 0 @200+4\n  Dołączony: tak @200+4\n  Zero bit-planes: 0 @200+4\n"
         "  Przebiegi kodowania: 1, wcześniej 0 @200+4\n  Lblock: 3 @200+4\n  Długości segmentów: 9 @200+4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(annotated(buildPacketText(c.packet, 2, 17, c.codeBlocks)), c.text) << c.name;
}
