// The text of the detail pane: the file summary, or the decoded fields of one element.

#include "present/elementText.h"

#include "engine/headerMarkers.h"
#include "engine/jpcAnalyzer.h"
#include "engine/markerNames.h"
#include "engine/signallingFields.h"
#include "present/boxText.h"
#include "present/decoders.h"
#include "present/profileName.h"
#include "present/segmentText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Shown in place of whatever the segment would still hold past the end of the file.
constexpr std::string_view endOfFileLine = "\n(koniec pliku)";

struct MarkerKind {
    uint8_t code;
    const char* fixedText;  // the whole text, for markers without fields
    int badSizeCode;        // the length check of the field validation; 0 for none
    void (*decode)(SegmentText&);
};

constexpr MarkerKind kinds[] = {
    {0x4F, "SOC marker\nTen marker rozpoczyna strumien jpeg2000, nie zawiera żadnych danych.", 0, nullptr},
    {0x50, nullptr, 0, capText},
    {0x51, nullptr, 10001, sizText},
    {0x52, nullptr, 10201, codText},
    {0x53, nullptr, 10401, cocText},
    {0x55, nullptr, 10801, tlmText},
    {0x56, nullptr, 0, prfText},
    {0x57, nullptr, 10901, plmText},
    {0x58, nullptr, 11001, pltText},
    {0x59, nullptr, 0, cpfText},
    {0x5C, nullptr, 10301, qcdText},
    {0x5D, nullptr, 10501, qccText},
    {0x5E, nullptr, 10601, rgnText},
    {0x5F, nullptr, 10701, pocText},
    {0x60, nullptr, 11101, ppmText},
    {0x61, nullptr, 11201, pptText},
    {0x63, nullptr, 0, crgText},
    {0x64, nullptr, 0, comText},
    {0x90, nullptr, 0, sotText},
    {0x93, "SOD marker\nTen marker sygnalizuje rozpoczecie strumienia bitowego bieżącego tile'a", 0, nullptr},
    {0xD9, "EOC marker\nTen marker kończy strumien jpeg2000, nie zawiera żadnych danych.", 0, nullptr},
};

std::string formatBitsPerPixel(double value)
{
    if (!std::isfinite(value))
        return "nieokreślona";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    return buffer;
}

// PRFnum of the first PRF in the main header, as text.
std::optional<std::string> prfNumber(const jpcAnalyzer& a)
{
    std::optional<std::string> number;
    forEachMainHeaderMarker(a, [&](const HeaderMarker& m) {
        if (m.code != 0x56 || number)
            return;
        const auto sum = signalling::profileWordsSum(a.getImage(), m.p);
        number = sum ? std::to_string(*sum + 4095) : "ponad 2^64";
    });
    return number;
}

// A box file adds its format, boxes and codestream box; a box file without a codestream stops there.
std::string fileSummary(const jpcAnalyzer& a)
{
    std::string head = "Nazwa pliku: " + a.getFilePath() + "\nRozmiar pliku: " + std::to_string(a.getFileSize());
    if (a.isBoxFile()) {
        head += containerSummary(a);
        if (a.getMarkerOffsets().size() < 2)
            return head;
    }
    const uint32_t S = a.getSizMarker();
    SegmentText t(a, S);
    t.add(head);
    try {
        const auto bitsPerPixel = a.getBitsPerPixel();
        if (!bitsPerPixel)
            throw ImageOverrun{};
        t.add("\nBitów na piksel: ").add(formatBitsPerPixel(*bitsPerPixel));
        t.add("\nIlość komponentów: ", t.be16(38));
        if (const auto R = a.getRsiz(); R && *R != 0)
            t.add("\nProfil: ").add(rsizName(*R, prfNumber(a)));
    } catch (const ImageOverrun&) {
        t.add(endOfFileLine);
    }
    return t.take();
}

// A text none of whose lines shows a field.
ElementText withoutFields(std::string text)
{
    const auto lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    return {std::move(text), std::vector<std::optional<FieldBytes>>(lines)};
}

ElementText decoded(const jpcAnalyzer& a, uint32_t p, void (*decode)(SegmentText&))
{
    SegmentText t(a, p);
    try {
        decode(t);
    } catch (const ImageOverrun&) {
        t.add(endOfFileLine);
    }
    return t.takeWithFields();
}

ElementText markerText(const jpcAnalyzer& a, uint32_t p)
{
    const uint8_t code = a.getImage().u8(uint64_t{p} + 1);
    for (const MarkerKind& kind : kinds) {
        if (kind.code != code)
            continue;
        if (kind.fixedText)
            return withoutFields(kind.fixedText);
        // Only the segment in which the length check failed is shown as badly sized.
        if (kind.badSizeCode && a.hasErrorAt(kind.badSizeCode, p))
            return withoutFields("Marker ma zły rozmiar");
        return decoded(a, p, kind.decode);
    }
    if (isExtensionMarker(code))
        return decoded(a, p, extensionText);
    return withoutFields("Ten marker jeszcze nie ma opisu!");
}

}  // namespace

ElementText buildElementTextWithFields(const jpcAnalyzer& a, int index)
{
    if (index == -1)
        return withoutFields(fileSummary(a));
    if (!a.isMarker(index))  // checks the index
        return withoutFields("To są dane binarne");
    return markerText(a, a.getMarkerOffsets()[index]);
}

std::string jpcAnalyzer::buildElementText(int index) const { return buildElementTextWithFields(*this, index).text; }

void sizText(SegmentText& t)
{
    t.add("SIZ marker");
    t.add("\nLsiz: ", t.be16(2));
    t.add("\nRsiz: ", t.be16(4));
    t.add("\nXsiz: ", t.be32(6));
    t.add("\nYsiz: ", t.be32(10));
    t.add("\nXOsiz: ", t.be32(14));
    t.add("\nYOsiz: ", t.be32(18));
    t.add("\nXTsiz: ", t.be32(22));
    t.add("\nYTsiz: ", t.be32(26));
    t.add("\nXTOsiz: ", t.be32(30));
    t.add("\nYTOsiz: ", t.be32(34));
    const auto Csiz = t.be16(38);
    t.add("\nCsiz: ", Csiz);
    for (uint32_t k = 0; k < Csiz; ++k) {
        const uint32_t at = 40 + 3 * k;
        const auto Ssiz = t.u8(at), XRsiz = t.u8(at + 1), YRsiz = t.u8(at + 2);
        t.add("\nKomponent nr: ", k);
        t.add("\n  Ssiz: ", Ssiz);  // raw: sign bit and depth are not separated
        t.add("\n  XRsiz: ", XRsiz);
        t.add("\n  YRsiz: ", YRsiz);
    }
}

void sotText(SegmentText& t)
{
    t.add("SOT marker");
    const auto Lsot = t.be16(2);
    t.add("\nLsot: ", Lsot);
    t.add("\nIsot: ", t.be16(4));
    t.add("\nPsot: ", t.be32(6));
    // TPsot and TNsot are shown only where Lsot says the segment holds them.
    if (Lsot > 8)
        t.add("\nTPsot: ", t.u8(10));
    if (Lsot > 9)
        t.add("\nTNsot: ", t.u8(11));
}
