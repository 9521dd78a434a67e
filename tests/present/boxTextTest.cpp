// What a box file shows: the exact text of each kind of box, with the bytes of the field each line
// shows, of lengths that LBox does not give and of boxes too short for their fields; and the file
// summary.

#include "present/boxText.h"
#include "present/elementText.h"
#include "support/analysis.h"
#include "support/boxBuilder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Bytes = StreamBuilder::Bytes;

namespace {

const Bytes stream = StreamBuilder().mainHeader().tilePart().eoc().bytes();

// A colour box of METH 2 whose profile is a header of version 2.1, display class, RGB to XYZ, and
// no tags.
Bytes colourWithProfileHeader()
{
    Bytes colr = {0x02, 0x00, 0x00, 0, 0, 0, 132};
    colr.resize(3 + 132);
    for (const auto& [at, value] : {std::pair{8, "\x02\x10\0\0"}, {12, "mntr"}, {16, "RGB "}, {20, "XYZ "}})
        std::copy_n(value, 4, colr.begin() + 3 + at);
    return colr;
}

// The box's text with " @offset+length" after each line that shows a field, the offset from LBox.
std::string withFieldBytes(const jpcAnalyzer& a, int box)
{
    const ElementText shown = buildBoxTextWithFields(a, box);
    EXPECT_EQ(shown.text, a.buildBoxText(box));
    std::string out;
    size_t line = 0;
    for (const char c : shown.text + '\n') {
        if (c != '\n') {
            out += c;
            continue;
        }
        if (line < shown.lineFields.size() && shown.lineFields[line]) {
            const FieldBytes& f = *shown.lineFields[line];
            out += " @" + std::to_string(f.begin - a.getBoxes()[box].offset) + "+" + std::to_string(f.end - f.begin);
        }
        out += '\n';
        ++line;
    }
    EXPECT_EQ(shown.lineFields.size(), line);
    out.pop_back();
    return out;
}

}  // namespace

// The boxes of a minimal JP2 file, then each other box added after it as its seventh.
TEST(BoxText, EachKindOfBoxAndEachWayOfGivingItsLengthWithItsFieldBytes)
{
    const struct {
        const char* what;
        BoxBuilder file;
        int box;
        std::string text;
    } cases[] = {
        {"signature", minimalJp2(), 0, "JPEG 2000 Signature box (jP  )\nLBox: 12 @0+4\nSygnatura: 0d 0a 87 0a @8+4"},
        {"file type", minimalJp2(), 1,
         "File Type box (ftyp)\nLBox: 20 @0+4\nBR: jp2  @8+4\nMinV: 0 @12+4\nWpisów CL: 1\n  CL: jp2  @16+4"},
        {"JP2 header", minimalJp2(), 2, "JP2 Header box (jp2h)\nLBox: 45 @0+4\nSuperboks, boksów w nim: 2"},
        {"image header", minimalJp2(), 3,
         "Image Header box (ihdr)\nLBox: 22 @0+4\nHEIGHT: 64 @8+4\nWIDTH: 64 @12+4\nNC: 1 @16+2\n"
         "BPC: 7 (8 bits, unsigned) @18+1\nC: 7 @19+1\nUnkC: 0 @20+1\nIPR: 0 @21+1"},
        {"enumerated colour", minimalJp2(), 4,
         "Colour box (colr)\nLBox: 15 @0+4\nMETH: 1 (Enumerated colourspace) @8+1\nPREC: 0 @9+1\nAPPROX: 0 @10+1\n"
         "EnumCS: 17 (greyscale) @11+4"},
        {"codestream", minimalJp2(), 5,
         "Contiguous Codestream box (jp2c)\nLBox: 120 @0+4\nPozycja strumienia kodowego: 85\n"
         "Długość strumienia kodowego: 112\n"
         "Ten strumień kodowy jest analizowany; jego elementy są w drzewie pod tym boksem."},
        {"bits per component", minimalJp2().box("bpcc", {0x07, 0x87}), 6,
         "Bits Per Component box (bpcc)\nLBox: 10 @0+4\nKomponent nr: 0\n  BPC: 7 (8 bits, unsigned) @8+1\n"
         "Komponent nr: 1\n  BPC: 135 (8 bits, signed) @9+1"},
        {"restricted ICC", minimalJp2().box("colr", {0x02, 0xFF, 0x01, 'p', 'r'}), 6,
         "Colour box (colr)\nLBox: 13 @0+4\nMETH: 2 (Restricted ICC profile) @8+1\nPREC: -1 @9+1\nAPPROX: 1 @10+1\n"
         "Długość profilu ICC (PROFILE): 2 @11+2\nProfil ICC krótszy niż jego nagłówek (128 bajtów)"},
        {"ICC profile header", minimalJp2().box("colr", colourWithProfileHeader()), 6,
         "Colour box (colr)\nLBox: 143 @0+4\nMETH: 2 (Restricted ICC profile) @8+1\nPREC: 0 @9+1\nAPPROX: 0 @10+1\n"
         "Długość profilu ICC (PROFILE): 132 @11+132\nRozmiar profilu w nagłówku: 132 @11+4\n"
         "Wersja profilu: 2.1.0 @19+4\nKlasa profilu: mntr (display device) @23+4\nPrzestrzeń barw profilu: RGB @27+4\n"
         "Przestrzeń połączenia profili (PCS): XYZ @31+4"},
        {"palette", minimalJp2().box("pclr", {0x00, 0x02, 0x01, 0x0B, 1, 2, 3, 4}), 6,
         "Palette box (pclr)\nLBox: 16 @0+4\nNE: 2 @8+2\nNPC: 1 @10+1\nKolumna nr: 0\n"
         "  B: 11 (12 bits, unsigned) @11+1"},
        {"component mapping", minimalJp2().box("cmap", {0x00, 0x01, 0x00, 0x00}), 6,
         "Component Mapping box (cmap)\nLBox: 12 @0+4\nKanał nr: 0\n  CMP: 1 @8+2\n  MTYP: 0 (direct use) @10+1\n"
         "  PCOL: 0 @11+1"},
        {"channel definition", minimalJp2().box("cdef", {0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0xFF, 0xFF}), 6,
         "Channel Definition box (cdef)\nLBox: 16 @0+4\nN: 1 @8+2\nKanał nr: 0\n  Cn: 0 @10+2\n"
         "  Typ: 2 (premultiplied opacity) @12+2\n  Asoc: 65535 (no colour) @14+2"},
        {"capture resolution", minimalJp2().box("resc", {0x0B, 0xB8, 0, 1, 0x0B, 0xB8, 0, 1, 0xFE, 0}), 6,
         "Capture Resolution box (resc)\nLBox: 18 @0+4\nVRcN: 3000 @8+2\nVRcD: 1 @10+2\nHRcN: 3000 @12+2\n"
         "HRcD: 1 @14+2\nVRcE: -2 @16+1\nHRcE: 0 @17+1\nRozdzielczość pionowa: 30.000 punktów na metr\n"
         "Rozdzielczość pozioma: 3000.000 punktów na metr"},
        {"display resolution", minimalJp2().box("resd", {0x0B, 0xB8, 0, 1, 0x0B, 0xB8, 0, 0, 0xFE, 0}), 6,
         "Default Display Resolution box (resd)\nLBox: 18 @0+4\nVRdN: 3000 @8+2\nVRdD: 1 @10+2\nHRdN: 3000 @12+2\n"
         "HRdD: 0 @14+2\nVRdE: -2 @16+1\nHRdE: 0 @17+1\nRozdzielczość pionowa: 30.000 punktów na metr\n"
         "Rozdzielczość pozioma: nieokreślona"},
        {"XML", minimalJp2().box("xml ", {'<', 'a', '>', 0x01, '<', '/', 'a', '>'}), 6,
         "XML box (xml )\nLBox: 16 @0+4\nDługość danych XML: 8\nPierwszy wiersz: <a>.</a> @8+8\n"
         "Błąd XML w wierszu 1, kolumna 3: not well-formed (invalid token)"},
        {"XML ended by a NUL", minimalJp2().box("xml ", {'<', 'a', '/', '>', '\n', 'b', 0}), 6,
         "XML box (xml )\nLBox: 15 @0+4\nDługość danych XML: 7\nPierwszy wiersz: <a/> @8+4\n"
         "Błąd XML w wierszu 2, kolumna 1: not well-formed (invalid token)\nDane XML kończą się bajtem 0."},
        {"UUID", minimalJp2().box("uuid", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 'x'}), 6,
         "UUID box (uuid)\nLBox: 25 @0+4\nUUID: 00010203-0405-0607-0809-0a0b0c0d0e0f @8+16\nDługość danych: 1\n"
         "Początek danych: 78 @24+1"},
        {"URL: the location up to its NUL", minimalJp2().box("url ", {0x00, 0x00, 0x00, 0x01, 'h', 't', 0x00}), 6,
         "Data Entry URL box (url )\nLBox: 15 @0+4\nVERS: 0 @8+1\nFLAG: 1 @9+3\nLOC: ht @12+2"},
        {"URL: UTF-8 and no NUL", minimalJp2().box("url ", {0x00, 0x00, 0x00, 0x00, 'h', 0xC5, 0x82}), 6,
         "Data Entry URL box (url )\nLBox: 15 @0+4\nVERS: 0 @8+1\nFLAG: 0 @9+3\nLOC: hł @12+3\n"
         "(LOC bez kończącego bajtu 0)"},
        {"a type the system does not know", minimalJp2().box("\x01""bcd", {0x01, 0x02}), 6,
         "\\x01bcd box\nLBox: 10 @0+4\nPoczątek zawartości: 01 02 @8+2"},
        {"a second codestream box", minimalJp2().codestream(stream), 6,
         "Contiguous Codestream box (jp2c)\nLBox: 120 @0+4\nPozycja strumienia kodowego: 205\n"
         "Długość strumienia kodowego: 112\n"
         "Ten strumień kodowy nie jest analizowany: analizowany jest tylko pierwszy boks jp2c."},
        {"LBox 0", minimalJp2().boxWithLength(0, "xml ", {'<', 'a', '/', '>'}), 6,
         "XML box (xml )\nLBox: 0 (do końca pliku) @0+4\nDługość boksu: 12\nDługość danych XML: 4\n"
         "Pierwszy wiersz: <a/> @8+4"},
        {"XLBox", minimalJp2().longBox("xml ", {'<', 'a', '/', '>'}), 6,
         "XML box (xml )\nLBox: 1 @0+4\nXLBox: 20 @8+8\nDługość danych XML: 4\nPierwszy wiersz: <a/> @16+4"},
        {"past the end of the file", minimalJp2().boxWithLength(100, "xml ", {'a'}), 6,
         "XML box (xml )\nLBox: 100 @0+4\nDługość boksu w pliku: 9 (boks wykracza poza plik lub superboks)\n"
         "Długość danych XML: 1\nPierwszy wiersz: a @8+1\nBłąd XML w wierszu 1, kolumna 0: syntax error"},
        {"too short for its fields", minimalJp2().box("ihdr", {0x00, 0x00, 0x00, 0x40, 0x00, 0x00}), 6,
         "Image Header box (ihdr)\nLBox: 14 @0+4\nHEIGHT: 64 @8+4\n(koniec boksu)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withFieldBytes(*analyze(c.file.bytes()), c.box), c.text) << c.what;
    const auto a = analyze(minimalJp2().bytes());
    EXPECT_THROW(a->buildBoxText(6), std::invalid_argument);
    EXPECT_THROW(a->buildBoxText(-1), std::invalid_argument);
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
