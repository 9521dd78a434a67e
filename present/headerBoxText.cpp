// Texts of the boxes of the JP2 header: image header, bits per component, colour (colr),
// palette, component mapping, channel definition, and capture and display resolution.

#include "engine/iccProfile.h"
#include "present/boxFields.h"

#include <cmath>
#include <iterator>

namespace {

// A component depth as stored in BPC, Ssiz or B: depth less one and the sign in the top bit.
void addDepth(BoxText& t, std::string_view label, const Field<uint8_t>& value)
{
    t.add(label, value).add(" (", (value & 0x7F) + 1u).add(value & 0x80 ? " bits, signed)" : " bits, unsigned)");
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

const char* profileClassName(uint32_t signature)
{
    switch (signature) {
    case boxType("scnr"):
        return " (input device)";
    case boxType("mntr"):
        return " (display device)";
    case boxType("prtr"):
        return " (output device)";
    case boxType("link"):
        return " (device link)";
    case boxType("spac"):
        return " (colour space conversion)";
    case boxType("abst"):
        return " (abstract)";
    case boxType("nmcl"):
        return " (named colour)";
    default:
        return "";
    }
}

// A signature of four characters, without the spaces that pad it ("RGB ").
std::string signatureText(uint32_t signature)
{
    std::string text = boxTypeText(signature);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The fields of the profile header (from offset 3 of the contents), and why the profile cannot be
// read where the checks found that.
void profileHeaderText(BoxText& t, uint32_t length)
{
    if (length < iccHeaderLength) {
        t.add("\nProfil ICC krótszy niż jego nagłówek (128 bajtów)");
        return;
    }
    t.add("\nRozmiar profilu w nagłówku: ", t.be32(3));
    const auto version = t.be32(11);
    char number[16];
    std::snprintf(number, sizeof number, "%u.%u.%u", version >> 24, version >> 20 & 0x0F, version >> 16 & 0x0F);
    t.add("\nWersja profilu: ").add(number).mark(version.bytes);
    const auto profileClass = t.be32(15);
    t.add("\nKlasa profilu: ").add(signatureText(profileClass)).add(profileClassName(profileClass));
    t.mark(profileClass.bytes);
    const auto colourSpace = t.be32(19);
    t.add("\nPrzestrzeń barw profilu: ").add(signatureText(colourSpace)).mark(colourSpace.bytes);
    const auto PCS = t.be32(23);
    t.add("\nPrzestrzeń połączenia profili (PCS): ").add(signatureText(PCS)).mark(PCS.bytes);
    const Box& box = t.box();
    if (!t.analyzer().hasErrorAt(20128, box.offset))
        return;
    const uint64_t begin = uint64_t{box.contentOffset()} + 3;
    if (const auto check = checkIccProfile(t.analyzer().getFileImage(), begin, box.end()))
        t.add("\nProfilu nie da się odczytać: ").add(check->error);
}

}  // namespace

void imageHeaderText(BoxText& t)
{
    t.add("\nHEIGHT: ", t.be32(0));
    t.add("\nWIDTH: ", t.be32(4));
    t.add("\nNC: ", t.be16(8));
    const auto BPC = t.u8(10);
    if (BPC == 255)
        t.add("\nBPC: 255 (components differ, see the Bits Per Component box)").mark(BPC.bytes);
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

void colourText(BoxText& t)
{
    const auto METH = t.u8(0);
    t.add("\nMETH: ", METH);
    if (METH < std::size(methodNames) && methodNames[METH])
        t.add(methodNames[METH]);
    const auto PREC = t.u8(1);
    t.add("\nPREC: ").add(std::to_string(static_cast<int8_t>(PREC.value))).mark(PREC.bytes);
    t.add("\nAPPROX: ", t.u8(2));
    const uint32_t rest = t.box().contentLength() - 3;
    if (METH == 1) {
        const auto EnumCS = t.be32(3);
        t.add("\nEnumCS: ", EnumCS);
        if (const char* name = colourSpaceName(EnumCS))
            t.add(" (").add(name).add(")");
    } else if (METH == 2 || METH == 3) {
        t.add("\nDługość profilu ICC (PROFILE): ", rest).mark(t.contents(3, rest));
        profileHeaderText(t, rest);
    } else {
        t.add("\nDługość danych metody: ", rest).mark(t.contents(3, rest));
    }
}

void paletteText(BoxText& t)
{
    const auto NE = t.be16(0);
    const auto NPC = t.u8(2);
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
        const auto MTYP = t.u8(4 * i + 2);
        t.add("\n  MTYP: ", MTYP).add(MTYP == 0 ? " (direct use)" : MTYP == 1 ? " (palette mapping)" : "");
        t.add("\n  PCOL: ", t.u8(4 * i + 3));
    }
    if (channels > shownItems)
        t.add("\n(pozostałe kanały pominięte: ", channels - shownItems).add(")");
}

void channelDefinitionText(BoxText& t)
{
    const auto N = t.be16(0);
    t.add("\nN: ", N);
    for (uint32_t i = 0; i < N && i < shownItems; ++i) {
        t.add("\nKanał nr: ", i);
        t.add("\n  Cn: ", t.be16(2 + 6 * i));
        const auto Typ = t.be16(4 + 6 * i);
        t.add("\n  Typ: ", Typ).add(channelTypeName(Typ));
        const auto Asoc = t.be16(6 + 6 * i);
        t.add("\n  Asoc: ", Asoc).add(Asoc == 0 ? " (whole image)" : Asoc == 65535 ? " (no colour)" : "");
    }
    if (N > shownItems)
        t.add("\n(pozostałe kanały pominięte: ", N - shownItems).add(")");
}

// Capture (c) or display (d) resolution: numerator, denominator and exponent, in grid points a metre.
void resolutionText(BoxText& t, char kind)
{
    const std::string k(1, kind);
    const auto VRN = t.be16(0), VRD = t.be16(2), HRN = t.be16(4), HRD = t.be16(6);
    const auto VRE = t.u8(8), HRE = t.u8(9);
    t.add("\nVR" + k + "N: ", VRN).add("\nVR" + k + "D: ", VRD).add("\nHR" + k + "N: ", HRN);
    t.add("\nHR" + k + "D: ", HRD);
    // The exponents are signed.
    t.add("\nVR" + k + "E: ").add(std::to_string(static_cast<int8_t>(VRE.value))).mark(VRE.bytes);
    t.add("\nHR" + k + "E: ").add(std::to_string(static_cast<int8_t>(HRE.value))).mark(HRE.bytes);
    const auto perMetre = [](uint16_t N, uint16_t D, int8_t E) -> std::string {
        if (D == 0)
            return "nieokreślona";
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.3f", N / static_cast<double>(D) * std::pow(10.0, E));
        return std::string(buffer) + " punktów na metr";
    };
    t.add("\nRozdzielczość pionowa: ").add(perMetre(VRN, VRD, static_cast<int8_t>(VRE.value)));
    t.add("\nRozdzielczość pozioma: ").add(perMetre(HRN, HRD, static_cast<int8_t>(HRE.value)));
}

