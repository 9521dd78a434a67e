// The text of the detail pane for a box: its name, its length fields, and its decoded contents, in
// the style of the marker texts; and the lines the file summary adds for a box file.

#include "engine/boxWalk.h"
#include "engine/xmlCheck.h"
#include "present/boxFields.h"
#include "present/boxText.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

using namespace boxTypes;

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
    {colour, "Colour box"},
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

std::string boxTitle(uint32_t type)
{
    for (const BoxName& known : boxNames)
        if (known.type == type)
            return std::string(known.name) + " (" + boxTypeText(type) + ")";
    return boxTypeText(type) + " box";
}

// LBox, XLBox where there is one, and the length the file holds where LBox does not give it.
void lengthFields(BoxText& t)
{
    const Box& box = t.box();
    const auto LBox = t.headerBe32(0);
    t.add("\nLBox: ", LBox);
    uint64_t declared = LBox;
    if (LBox == 0) {
        t.add(" (do końca pliku)");
        declared = box.length;
    } else if (box.headerLength == 16) {
        const auto high = t.headerBe32(8), low = t.headerBe32(12);
        declared = uint64_t{high} << 32 | low;
        t.add("\nXLBox: ", declared).mark({high.bytes.begin, low.bytes.end});
    }
    if (declared > box.length)
        t.add("\nDługość boksu w pliku: ", box.length).add(" (boks wykracza poza plik lub superboks)");
    else if (LBox == 0)
        t.add("\nDługość boksu: ", box.length);
}

void fileTypeText(BoxText& t)
{
    const auto BR = t.be32(0);
    t.add("\nBR: ").add(boxTypeText(BR)).mark(BR.bytes);
    t.add("\nMinV: ", t.be32(4));
    const uint32_t entries = (t.box().contentLength() - 8) / 4;
    t.add("\nWpisów CL: ", entries);
    for (uint32_t k = 0; k < entries && k < shownItems; ++k) {
        const auto CL = t.be32(8 + 4 * k);
        t.add("\n  CL: ").add(boxTypeText(CL)).mark(CL.bytes);
    }
    if (entries > shownItems)
        t.add("\n  (pozostałe wpisy pominięte: ", entries - shownItems).add(")");
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

// The first line, and where the document stops being well-formed when the checks found that.
void xmlText(BoxText& t)
{
    const Box& box = t.box();
    t.add("\nDługość danych XML: ", box.contentLength());
    const auto line = t.utf8Text(0, shownItems, '\n');
    t.add("\nPierwszy wiersz: ").add(line.text).mark(t.contents(0, line.length));
    if (!t.analyzer().hasErrorAt(20130, box.offset))
        return;
    const XmlCheck check = checkXml(t.analyzer().getFileImage(), box.contentOffset(), box.end());
    t.add("\nBłąd XML w wierszu ", check.line).add(", kolumna ", check.column).add(": ").add(check.error);
    if (box.contentLength() > 0 && t.u8(box.contentLength() - 1) == 0)
        t.add("\nDane XML kończą się bajtem 0.");
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
    t.add("\nUUID: ").add(uuidAt(t, 0)).mark(t.contents(0, 16));
    t.add("\nDługość danych: ", t.box().contentLength() - 16);
    if (t.box().contentLength() > 16)
        t.add("\nPoczątek danych: ").add(t.hex(16, shownBytes)).mark(t.contents(16, shownBytes));
}

void uuidListText(BoxText& t)
{
    const auto NU = t.be16(0);
    t.add("\nNU: ", NU);
    for (uint32_t i = 0; i < NU && i < shownItems; ++i)
        t.add("\n  ID: ").add(uuidAt(t, 2 + 16 * i)).mark(t.contents(2 + 16 * i, 16));
}

void urlText(BoxText& t)
{
    t.add("\nVERS: ", t.u8(0));
    t.add("\nFLAG: ", uint32_t{t.u8(1)} << 16 | uint32_t{t.u8(2)} << 8 | t.u8(3)).mark(t.contents(1, 3));
    const auto LOC = t.utf8Text(4, shownItems, 0);
    t.add("\nLOC: ").add(LOC.text).mark(t.contents(4, LOC.length));
    if (!LOC.stopped && 4 + LOC.length == t.box().contentLength())
        t.add("\n(LOC bez kończącego bajtu 0)");
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
        t.add("\nSygnatura: ").add(t.hex(0, 4)).mark(t.contents(0, 4));
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
        t.add("\nEtykieta: ").add(t.ascii(0, shownItems)).mark(t.contents(0, shownItems));
        return;
    default:
        if (isSuperbox(box.type))
            superboxText(t);
        else if (box.contentLength() > 0)
            t.add("\nPoczątek zawartości: ").add(t.hex(0, shownBytes)).mark(t.contents(0, shownBytes));
    }
}

}  // namespace

ElementText buildBoxTextWithFields(const jpcAnalyzer& a, int index)
{
    const auto& boxes = a.getBoxes();
    if (index < 0 || static_cast<size_t>(index) >= boxes.size())
        throw std::invalid_argument("box index " + std::to_string(index) + " outside the box table");
    BoxText t(a, index);
    t.add(boxTitle(boxes[index].type));
    try {
        lengthFields(t);
        contentsText(t);
    } catch (const ImageOverrun&) {
        t.add("\n(koniec boksu)");
    }
    return t.takeWithFields();
}

std::string jpcAnalyzer::buildBoxText(int index) const { return buildBoxTextWithFields(*this, index).text; }

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
