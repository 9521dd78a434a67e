// The text of the detail pane for a box: its name, its length fields, and the decoded contents of the
// boxes of the JP2 family, in the style of the marker texts.

#include "engine/boxWalk.h"
#include "engine/jpcAnalyzer.h"
#include "present/boxText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace {

using namespace boxTypes;

// Lists in a box (compatibility entries, UUIDs, components) are shown up to this many items.
constexpr uint32_t shownItems = 256;
// Of XML, UUID and unknown contents, this many first bytes are shown.
constexpr uint32_t shownBytes = 32;

struct BoxName {
    uint32_t type;
    const char* name;
};

// The standard's names of the boxes of the JP2 and JPX families.
constexpr BoxName boxNames[] = {
    {signature, "JPEG 2000 Signature box"},
    {fileType, "File Type box"},
    {header, "JP2 Header box"},
    {imageHeader, "Image Header box"},
    {bitsPerComponent, "Bits Per Component box"},
    {colour, "Colour Specification box"},
    {palette, "Palette box"},
    {componentMapping, "Component Mapping box"},
    {channelDefinition, "Channel Definition box"},
    {resolution, "Resolution box"},
    {captureResolution, "Capture Resolution box"},
    {displayResolution, "Default Display Resolution box"},
    {codestream, "Contiguous Codestream box"},
    {intellectualProperty, "Intellectual Property box"},
    {xml, "XML box"},
    {uuid, "UUID box"},
    {uuidInfo, "UUID Info box"},
    {uuidList, "UUID List box"},
    {url, "Data Entry URL box"},
    {boxType("rreq"), "Reader Requirements box"},
    {boxType("jpch"), "Codestream Header box"},
    {boxType("jplh"), "Compositing Layer Header box"},
    {boxType("cgrp"), "Colour Group box"},
    {boxType("ftbl"), "Fragment Table box"},
    {boxType("flst"), "Fragment List box"},
    {boxType("comp"), "Composition box"},
    {boxType("asoc"), "Association box"},
    {boxType("lbl "), "Label box"},
    {boxType("nlst"), "Number List box"},
    {boxType("free"), "Free box"},
    {boxType("drep"), "Desired Reproductions box"},
    {boxType("opct"), "Opacity box"},
    {boxType("creg"), "Codestream Registration box"},
    {boxType("dtbl"), "Data Reference box"},
};

// Reads fields by offset from the first byte of a box's contents; a field past the contents throws
// ImageOverrun before its label is written, so the text holds exactly the fields the box holds.
class BoxText {
public:
    BoxText(const jpcAnalyzer& analyzer, int index)
        : analyzer_(analyzer), file_(analyzer.getFileImage()), index_(index), box_(analyzer.getBoxes()[index])
    {
    }

    uint8_t u8(uint64_t offset) const { return file_.u8(field(offset, 1)); }
    uint16_t be16(uint64_t offset) const { return file_.be16(field(offset, 2)); }
    uint32_t be32(uint64_t offset) const { return file_.be32(field(offset, 4)); }
    // Up to `count` bytes of the contents from `offset` on as text: printable ASCII as it is, other
    // bytes as dots; a C string ends at its NUL.
    std::string ascii(uint64_t offset, uint32_t count, bool cString = false) const
    {
        std::string text;
        for (uint64_t k = offset; k < offset + count && k < box_.contentLength(); ++k) {
            const uint8_t c = u8(k);
            if (cString && c == 0)
                break;
            text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
        }
        return text;
    }
    // Up to `count` bytes of the contents from `offset` on, as two hex digits each with spaces.
    std::string hex(uint64_t offset, uint32_t count) const
    {
        std::string text;
        char digits[4];
        for (uint64_t k = offset; k < offset + count && k < box_.contentLength(); ++k) {
            std::snprintf(digits, sizeof digits, "%02x", u8(k));
            if (!text.empty())
                text += ' ';
            text += digits;
        }
        return text;
    }

    BoxText& add(std::string_view literal)
    {
        text_ += literal;
        return *this;
    }
    BoxText& add(std::string_view label, uint64_t number)
    {
        text_ += label;
        text_ += std::to_string(number);
        return *this;
    }

    const Box& box() const { return box_; }
    int index() const { return index_; }
    const jpcAnalyzer& analyzer() const { return analyzer_; }
    std::string take() { return std::move(text_); }

private:
    uint64_t field(uint64_t offset, uint64_t count) const
    {
        if (offset + count > box_.contentLength())
            throw ImageOverrun{};
        return box_.contentOffset() + offset;
    }

    const jpcAnalyzer& analyzer_;
    const ByteImage& file_;
    int index_;
    const Box& box_;
    std::string text_;
};

std::string boxTitle(uint32_t type)
{
    for (const BoxName& known : boxNames)
        if (known.type == type)
            return std::string(known.name) + " (" + boxTypeText(type) + ")";
    return boxTypeText(type) + " box";
}

// A component depth as stored in BPC, Ssiz or B: depth less one and the sign in the top bit.
void addDepth(BoxText& t, std::string_view label, uint8_t value)
{
    t.add(label, value).add(" (", (value & 0x7F) + 1u).add(value & 0x80 ? " bits, signed)" : " bits, unsigned)");
}

// LBox, XLBox where there is one, and the length the file holds where LBox does not give it.
void lengthFields(BoxText& t)
{
    const Box& box = t.box();
    const ByteImage& file = t.analyzer().getFileImage();
    const uint32_t LBox = file.be32(box.offset);
    t.add("\nLBox: ", LBox);
    uint64_t declared = LBox;
    if (LBox == 0) {
        t.add(" (do końca pliku)");
        declared = box.length;
    } else if (box.headerLength == 16) {
        declared = uint64_t{file.be32(uint64_t{box.offset} + 8)} << 32 | file.be32(uint64_t{box.offset} + 12);
        t.add("\nXLBox: ", declared);
    }
    if (declared > box.length)
        t.add("\nDługość boksu w pliku: ", box.length).add(" (boks wykracza poza plik lub superboks)");
    else if (LBox == 0)
        t.add("\nDługość boksu: ", box.length);
}

void fileTypeText(BoxText& t)
{
    t.add("\nBR: ").add(boxTypeText(t.be32(0)));
    t.add("\nMinV: ", t.be32(4));
    const uint32_t entries = (t.box().contentLength() - 8) / 4;
    t.add("\nWpisów CL: ", entries);
    for (uint32_t k = 0; k < entries && k < shownItems; ++k)
        t.add("\n  CL: ").add(boxTypeText(t.be32(8 + 4 * k)));
    if (entries > shownItems)
        t.add("\n  (pozostałe wpisy pominięte: ", entries - shownItems).add(")");
}

void imageHeaderText(BoxText& t)
{
    t.add("\nHEIGHT: ", t.be32(0));
    t.add("\nWIDTH: ", t.be32(4));
    t.add("\nNC: ", t.be16(8));
    const uint8_t BPC = t.u8(10);
    if (BPC == 255)
        t.add("\nBPC: 255 (components differ, see the Bits Per Component box)");
    else
        addDepth(t, "\nBPC: ", BPC);
    t.add("\nC: ", t.u8(11));
    t.add("\nUnkC: ", t.u8(12));
    t.add("\nIPR: ", t.u8(13));
}

void bitsPerComponentText(BoxText& t)
{
    const uint32_t count = t.box().contentLength();
    for (uint32_t k = 0; k < count && k < shownItems; ++k) {
        t.add("\nKomponent nr: ", k);
        addDepth(t, "\n  BPC: ", t.u8(k));
    }
    if (count > shownItems)
        t.add("\n(pozostałe komponenty pominięte: ", count - shownItems).add(")");
}

const char* colourSpaceName(uint32_t EnumCS)
{
    switch (EnumCS) {
    case 0:
        return "bi-level";
    case 1:
        return "YCbCr(1)";
    case 3:
        return "YCbCr(2)";
    case 4:
        return "YCbCr(3)";
    case 9:
        return "PhotoYCC";
    case 11:
        return "CMY";
    case 12:
        return "CMYK";
    case 13:
        return "YCCK";
    case 14:
        return "CIELab";
    case 15:
        return "bi-level(2)";
    case 16:
        return "sRGB";
    case 17:
        return "greyscale";
    case 18:
        return "sYCC";
    case 19:
        return "CIEJab";
    case 20:
        return "e-sRGB";
    case 21:
        return "ROMM-RGB";
    case 22:
        return "YPbPr(1125/60)";
    case 23:
        return "YPbPr(1250/50)";
    case 24:
        return "e-sYCC";
    case 25:
        return "scRGB";
    case 26:
        return "scRGB gray scale";
    default:
        return nullptr;
    }
}

constexpr const char* methodNames[] = {nullptr, " (Enumerated colourspace)", " (Restricted ICC profile)",
                                       " (Any ICC profile)", " (Vendor colour method)", " (Parameterized colourspace)"};

void colourText(BoxText& t)
{
    const uint8_t METH = t.u8(0);
    t.add("\nMETH: ", METH);
    if (METH < std::size(methodNames) && methodNames[METH])
        t.add(methodNames[METH]);
    t.add("\nPREC: ").add(std::to_string(static_cast<int8_t>(t.u8(1))));
    t.add("\nAPPROX: ", t.u8(2));
    const uint32_t rest = t.box().contentLength() - 3;
    if (METH == 1) {
        const uint32_t EnumCS = t.be32(3);
        t.add("\nEnumCS: ", EnumCS);
        if (const char* name = colourSpaceName(EnumCS))
            t.add(" (").add(name).add(")");
    } else if (METH == 2 || METH == 3) {
        t.add("\nDługość profilu ICC (PROFILE): ", rest);
    } else {
        t.add("\nDługość danych metody: ", rest);
    }
}

void paletteText(BoxText& t)
{
    const uint16_t NE = t.be16(0);
    const uint8_t NPC = t.u8(2);
    t.add("\nNE: ", NE);
    t.add("\nNPC: ", NPC);
    for (uint32_t i = 0; i < NPC; ++i) {
        t.add("\nKolumna nr: ", i);
        addDepth(t, "\n  B: ", t.u8(3 + i));
    }
}

void componentMappingText(BoxText& t)
{
    const uint32_t channels = t.box().contentLength() / 4;
    for (uint32_t i = 0; i < channels && i < shownItems; ++i) {
        t.add("\nKanał nr: ", i);
        t.add("\n  CMP: ", t.be16(4 * i));
        const uint8_t MTYP = t.u8(4 * i + 2);
        t.add("\n  MTYP: ", MTYP).add(MTYP == 0 ? " (direct use)" : MTYP == 1 ? " (palette mapping)" : "");
        t.add("\n  PCOL: ", t.u8(4 * i + 3));
    }
    if (channels > shownItems)
        t.add("\n(pozostałe kanały pominięte: ", channels - shownItems).add(")");
}

const char* channelTypeName(uint16_t Typ)
{
    switch (Typ) {
    case 0:
        return " (colour image data)";
    case 1:
        return " (opacity)";
    case 2:
        return " (premultiplied opacity)";
    case 65535:
        return " (unspecified)";
    default:
        return "";
    }
}

void channelDefinitionText(BoxText& t)
{
    const uint16_t N = t.be16(0);
    t.add("\nN: ", N);
    for (uint32_t i = 0; i < N && i < shownItems; ++i) {
        t.add("\nKanał nr: ", i);
        t.add("\n  Cn: ", t.be16(2 + 6 * i));
        const uint16_t Typ = t.be16(4 + 6 * i);
        t.add("\n  Typ: ", Typ).add(channelTypeName(Typ));
        const uint16_t Asoc = t.be16(6 + 6 * i);
        t.add("\n  Asoc: ", Asoc).add(Asoc == 0 ? " (whole image)" : Asoc == 65535 ? " (no colour)" : "");
    }
    if (N > shownItems)
        t.add("\n(pozostałe kanały pominięte: ", N - shownItems).add(")");
}

// Capture (c) or display (d) resolution: numerator, denominator and exponent, in grid points a metre.
void resolutionText(BoxText& t, char kind)
{
    const std::string k(1, kind);
    const uint16_t VRN = t.be16(0), VRD = t.be16(2), HRN = t.be16(4), HRD = t.be16(6);
    const auto VRE = static_cast<int8_t>(t.u8(8));
    const auto HRE = static_cast<int8_t>(t.u8(9));
    t.add("\nVR" + k + "N: ", VRN).add("\nVR" + k + "D: ", VRD).add("\nHR" + k + "N: ", HRN);
    t.add("\nHR" + k + "D: ", HRD);
    t.add("\nVR" + k + "E: ").add(std::to_string(VRE)).add("\nHR" + k + "E: ").add(std::to_string(HRE));
    const auto perMetre = [](uint16_t N, uint16_t D, int8_t E) -> std::string {
        if (D == 0)
            return "nieokreślona";
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.3f", N / static_cast<double>(D) * std::pow(10.0, E));
        return std::string(buffer) + " punktów na metr";
    };
    t.add("\nRozdzielczość pionowa: ").add(perMetre(VRN, VRD, VRE));
    t.add("\nRozdzielczość pozioma: ").add(perMetre(HRN, HRD, HRE));
}

void codestreamText(BoxText& t)
{
    const Box& box = t.box();
    t.add("\nPozycja strumienia kodowego: ", box.contentOffset());
    t.add("\nDługość strumienia kodowego: ", box.contentLength());
    if (t.analyzer().getCodestreamBox() == t.index())
        t.add("\nTen strumień kodowy jest analizowany; jego elementy są w drzewie pod tym boksem.");
    else
        t.add("\nTen strumień kodowy nie jest analizowany: analizowany jest tylko pierwszy boks jp2c.");
}

void xmlText(BoxText& t)
{
    t.add("\nDługość danych XML: ", t.box().contentLength());
    t.add("\nPoczątek: ").add(t.ascii(0, shownBytes));
}

// A UUID of 16 bytes at the offset, as 8-4-4-4-12 hex digits.
std::string uuidAt(const BoxText& t, uint64_t offset)
{
    t.u8(offset + 15);  // a UUID cut short ends the text here
    std::string id = t.hex(offset, 16);
    id.erase(std::remove(id.begin(), id.end(), ' '), id.end());
    for (size_t at : {20u, 16u, 12u, 8u})
        id.insert(at, "-");
    return id;
}

void uuidText(BoxText& t)
{
    t.add("\nUUID: ").add(uuidAt(t, 0));
    t.add("\nDługość danych: ", t.box().contentLength() - 16);
    if (t.box().contentLength() > 16)
        t.add("\nPoczątek danych: ").add(t.hex(16, shownBytes));
}

void uuidListText(BoxText& t)
{
    const uint16_t NU = t.be16(0);
    t.add("\nNU: ", NU);
    for (uint32_t i = 0; i < NU && i < shownItems; ++i)
        t.add("\n  ID: ").add(uuidAt(t, 2 + 16 * i));
}

void urlText(BoxText& t)
{
    t.add("\nVERS: ", t.u8(0));
    t.add("\nFLAG: ", uint32_t{t.u8(1)} << 16 | uint32_t{t.u8(2)} << 8 | t.u8(3));
    t.add("\nLOC: ").add(t.ascii(4, shownItems, true));
}

void superboxText(BoxText& t)
{
    t.add("\nSuperboks, boksów w nim: ", childrenOf(t.analyzer().getBoxes(), t.index()).size());
    if (t.box().depth + 1 >= maxBoxDepth)
        t.add("\nZawartość nie jest przeglądana: zbyt głębokie zagnieżdżenie.");
}

void contentsText(BoxText& t)
{
    const Box& box = t.box();
    switch (box.type) {
    case signature:
        t.add("\nSygnatura: ").add(t.hex(0, 4));
        return;
    case fileType:
        fileTypeText(t);
        return;
    case imageHeader:
        imageHeaderText(t);
        return;
    case bitsPerComponent:
        bitsPerComponentText(t);
        return;
    case colour:
        colourText(t);
        return;
    case palette:
        paletteText(t);
        return;
    case componentMapping:
        componentMappingText(t);
        return;
    case channelDefinition:
        channelDefinitionText(t);
        return;
    case captureResolution:
        resolutionText(t, 'c');
        return;
    case displayResolution:
        resolutionText(t, 'd');
        return;
    case codestream:
        codestreamText(t);
        return;
    case xml:
        xmlText(t);
        return;
    case uuid:
        uuidText(t);
        return;
    case uuidList:
        uuidListText(t);
        return;
    case url:
        urlText(t);
        return;
    case boxType("lbl "):
        t.add("\nEtykieta: ").add(t.ascii(0, shownItems));
        return;
    default:
        if (isSuperbox(box.type))
            superboxText(t);
        else if (box.contentLength() > 0)
            t.add("\nPoczątek zawartości: ").add(t.hex(0, shownBytes));
    }
}

}  // namespace

std::string jpcAnalyzer::buildBoxText(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= boxes.size())
        throw std::invalid_argument("box index " + std::to_string(index) + " outside the box table");
    BoxText t(*this, index);
    t.add(boxTitle(boxes[index].type));
    try {
        lengthFields(t);
        contentsText(t);
    } catch (const ImageOverrun&) {
        t.add("\n(koniec boksu)");
    }
    return t.take();
}

std::string containerSummary(const jpcAnalyzer& a)
{
    std::string kind = containerName(a.getContainer());
    std::transform(kind.begin(), kind.end(), kind.begin(), [](unsigned char c) { return std::toupper(c); });
    std::string text = "\nFormat pliku: " + kind;
    text += "\nLiczba boksów: " + std::to_string(a.getBoxes().size());
    if (!a.getCodestreamBox())
        return text + "\nStrumień kodowy: brak";
    return text + "\nPozycja strumienia kodowego: " + std::to_string(a.getCodestreamStart()) +
           "\nDługość strumienia kodowego: " + std::to_string(a.getCodestreamEnd() - a.getCodestreamStart());
}
