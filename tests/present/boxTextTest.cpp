// What a box file shows: the exact text of each kind of box, of lengths that LBox does not give and
// of boxes too short for their fields; the file summary; and the structure tree with the boxes and
// the codestream's tree under its box.

#include "present/structureTree.h"
#include "support/analysis.h"
#include "support/boxBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Bytes = StreamBuilder::Bytes;

namespace {

const Bytes stream = StreamBuilder().mainHeader().tilePart().eoc().bytes();

std::vector<std::string> treeOf(const jpcAnalyzer& a)
{
    std::vector<std::string> rows;
    for (const TreeItem& item : buildStructureTree(a))
        rows.push_back(std::to_string(item.depth) + " " + item.label + " " + std::to_string(item.index) + " " +
                       std::to_string(item.box));
    return rows;
}

}  // namespace

TEST(BoxText, BoxesOfAMinimalJp2FileGiveTheirFields)
{
    const auto a = analyze(minimalJp2().bytes());
    const std::vector<std::string> texts = {
        "JPEG 2000 Signature box (jP  )\nLBox: 12\nSygnatura: 0d 0a 87 0a",
        "File Type box (ftyp)\nLBox: 20\nBR: jp2 \nMinV: 0\nWpisów CL: 1\n  CL: jp2 ",
        "JP2 Header box (jp2h)\nLBox: 45\nSuperboks, boksów w nim: 2",
        "Image Header box (ihdr)\nLBox: 22\nHEIGHT: 64\nWIDTH: 64\nNC: 1\nBPC: 7 (8 bits, unsigned)\nC: 7\nUnkC: 0\nIPR: 0",
        "Colour box (colr)\nLBox: 15\nMETH: 1 (Enumerated colourspace)\nPREC: 0\nAPPROX: 0\n"
        "EnumCS: 17 (greyscale)",
        "Contiguous Codestream box (jp2c)\nLBox: 120\nPozycja strumienia kodowego: 85\nDługość strumienia kodowego: "
        "112\nTen strumień kodowy jest analizowany; jego elementy są w drzewie pod tym boksem.",
    };
    for (int i = 0; i < static_cast<int>(texts.size()); ++i)
        EXPECT_EQ(a->buildBoxText(i), texts[i]) << "box " << i;
    EXPECT_THROW(a->buildBoxText(6), std::invalid_argument);
    EXPECT_THROW(a->buildBoxText(-1), std::invalid_argument);
}

// Each box added after a minimal JP2 file, as its seventh box.
TEST(BoxText, EachKindOfBoxAndEachWayOfGivingItsLength)
{
    const struct {
        const char* what;
        BoxBuilder file;
        std::string text;
    } cases[] = {
        {"bits per component", minimalJp2().box("bpcc", {0x07, 0x87}),
         "Bits Per Component box (bpcc)\nLBox: 10\nKomponent nr: 0\n  BPC: 7 (8 bits, unsigned)\nKomponent nr: 1\n"
         "  BPC: 135 (8 bits, signed)"},
        {"restricted ICC", minimalJp2().box("colr", {0x02, 0xFF, 0x01, 'p', 'r'}),
         "Colour box (colr)\nLBox: 13\nMETH: 2 (Restricted ICC profile)\nPREC: -1\nAPPROX: 1\n"
         "Długość profilu ICC (PROFILE): 2"},
        {"palette", minimalJp2().box("pclr", {0x00, 0x02, 0x01, 0x0B, 1, 2, 3, 4}),
         "Palette box (pclr)\nLBox: 16\nNE: 2\nNPC: 1\nKolumna nr: 0\n  B: 11 (12 bits, unsigned)"},
        {"component mapping", minimalJp2().box("cmap", {0x00, 0x01, 0x00, 0x00}),
         "Component Mapping box (cmap)\nLBox: 12\nKanał nr: 0\n  CMP: 1\n  MTYP: 0 (direct use)\n  PCOL: 0"},
        {"channel definition", minimalJp2().box("cdef", {0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0xFF, 0xFF}),
         "Channel Definition box (cdef)\nLBox: 16\nN: 1\nKanał nr: 0\n  Cn: 0\n  Typ: 2 (premultiplied opacity)\n"
         "  Asoc: 65535 (no colour)"},
        {"display resolution", minimalJp2().box("resd", {0x0B, 0xB8, 0x00, 0x01, 0x0B, 0xB8, 0x00, 0x00, 0xFE, 0x00}),
         "Default Display Resolution box (resd)\nLBox: 18\nVRdN: 3000\nVRdD: 1\nHRdN: 3000\nHRdD: 0\nVRdE: -2\n"
         "HRdE: 0\nRozdzielczość pionowa: 30.000 punktów na metr\nRozdzielczość pozioma: nieokreślona"},
        {"XML", minimalJp2().box("xml ", {'<', 'a', '>', 0x01, '<', '/', 'a', '>'}),
         "XML box (xml )\nLBox: 16\nDługość danych XML: 8\nPoczątek: <a>.</a>"},
        {"UUID", minimalJp2().box("uuid", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 'x'}),
         "UUID box (uuid)\nLBox: 25\nUUID: 00010203-0405-0607-0809-0a0b0c0d0e0f\nDługość danych: 1\n"
         "Początek danych: 78"},
        {"URL", minimalJp2().box("url ", {0x00, 0x00, 0x00, 0x01, 'h', 't', 0x00}),
         "Data Entry URL box (url )\nLBox: 15\nVERS: 0\nFLAG: 1\nLOC: ht"},
        {"a type the system does not know", minimalJp2().box("\x01""bcd", {0x01, 0x02}),
         "\\x01bcd box\nLBox: 10\nPoczątek zawartości: 01 02"},
        {"a second codestream box", minimalJp2().codestream(stream),
         "Contiguous Codestream box (jp2c)\nLBox: 120\nPozycja strumienia kodowego: 205\nDługość strumienia kodowego: "
         "112\nTen strumień kodowy nie jest analizowany: analizowany jest tylko pierwszy boks jp2c."},
        {"LBox 0", minimalJp2().boxWithLength(0, "xml ", {'<', 'a', '/', '>'}),
         "XML box (xml )\nLBox: 0 (do końca pliku)\nDługość boksu: 12\nDługość danych XML: 4\nPoczątek: <a/>"},
        {"XLBox", minimalJp2().longBox("xml ", {'<', 'a', '/', '>'}),
         "XML box (xml )\nLBox: 1\nXLBox: 20\nDługość danych XML: 4\nPoczątek: <a/>"},
        {"past the end of the file", minimalJp2().boxWithLength(100, "xml ", {'a'}),
         "XML box (xml )\nLBox: 100\nDługość boksu w pliku: 9 (boks wykracza poza plik lub superboks)\n"
         "Długość danych XML: 1\nPoczątek: a"},
        {"too short for its fields", minimalJp2().box("ihdr", {0x00, 0x00, 0x00, 0x40, 0x00, 0x00}),
         "Image Header box (ihdr)\nLBox: 14\nHEIGHT: 64\n(koniec boksu)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(analyze(c.file.bytes())->buildBoxText(6), c.text) << c.what;
}

TEST(BoxText, FileSummaryAddsFormatBoxesAndTheCodestreamsPlace)
{
    EXPECT_EQ(analyze(minimalJp2().bytes())->buildElementText(-1),
              "Nazwa pliku: test.j2k\nRozmiar pliku: 197\nFormat pliku: JP2\nLiczba boksów: 6\n"
              "Pozycja strumienia kodowego: 85\nDługość strumienia kodowego: 112\nBitów na piksel: 0.219\n"
              "Ilość komponentów: 1");
    EXPECT_EQ(analyze(BoxBuilder().jp2Head().bytes())->buildElementText(-1),
              "Nazwa pliku: test.j2k\nRozmiar pliku: 77\nFormat pliku: JP2\nLiczba boksów: 5\nStrumień kodowy: brak");
    BoxBuilder jpx;
    jpx.signature().fileType("jpx ", {"jpx "}).codestream(stream);
    const std::string summary = analyze(jpx.bytes())->buildElementText(-1);
    EXPECT_NE(summary.find("\nFormat pliku: JPX\n"), std::string::npos) << summary;
}

TEST(BoxText, TreeHoldsTheBoxesAndTheCodestreamUnderItsBox)
{
    EXPECT_EQ(treeOf(*analyze(minimalJp2().box("xml ", {'<', 'a', '/', '>'}).bytes())),
              (std::vector<std::string>{"0 JP2 file -1 -1", "1 jP   -1 0", "1 ftyp -1 1", "1 jp2h -1 2",
                                        "2 ihdr -1 3", "2 colr -1 4", "1 jp2c -1 5", "2 SOC 0 -1", "3 SIZ 1 -1",
                                        "3 COD 2 -1", "3 QCD 3 -1", "2 SOT 4 -1", "3 SOD 5 -1", "3 <dane> 6 -1",
                                        "2 EOC 7 -1", "1 xml  -1 6"}));
    // Markers before the first SOC, SOT or EOC: under the box, at the top of a raw file.
    const Bytes early = StreamBuilder().marker(0x30).mainHeader().tilePart().eoc().bytes();
    const auto inBox = treeOf(*analyze(BoxBuilder().jp2Head().codestream(early).bytes()));
    EXPECT_EQ(inBox[7], "2 ff30 0 -1");
    const auto raw = treeOf(*analyze(early));
    EXPECT_EQ((std::vector<std::string>(raw.begin(), raw.begin() + 3)),
              (std::vector<std::string>{"0 JPC file -1 -1", "0 ff30 0 -1", "1 SOC 1 -1"}));
}
