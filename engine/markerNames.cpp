#include "engine/markerNames.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<const char*, 256> buildNameTable()
{
    std::array<const char*, 256> names{};
    names[0x4F] = "SOC";
    names[0x50] = "CAP";
    names[0x51] = "SIZ";
    names[0x52] = "COD";
    names[0x53] = "COC";
    names[0x55] = "TLM";
    names[0x56] = "PRF";
    names[0x57] = "PLM";
    names[0x58] = "PLT";
    names[0x59] = "CPF";
    names[0x5A] = "QPD";
    names[0x5B] = "QPC";
    names[0x5C] = "QCD";
    names[0x5D] = "QCC";
    names[0x5E] = "RGN";
    names[0x5F] = "POD";
    names[0x60] = "PPM";
    names[0x61] = "PPT";
    names[0x63] = "CRG";
    names[0x64] = "COM";
    names[0x65] = "NZD";
    names[0x66] = "OFF";
    names[0x70] = "DCO";
    names[0x71] = "VMS";
    names[0x72] = "DFS";
    names[0x73] = "ADS";
    names[0x74] = "MCT";
    names[0x75] = "MCC";
    names[0x76] = "NLT";
    names[0x77] = "MCO";
    names[0x78] = "CBD";
    names[0x79] = "ATK";
    names[0x90] = "SOT";
    names[0x91] = "SOP";
    names[0x92] = "EPH";
    names[0x93] = "SOD";
    names[0xD9] = "EOC";
    return names;
}

constexpr auto markerNames = buildNameTable();

}  // namespace

std::string markerName(uint8_t code)
{
    if (markerNames[code])
        return markerNames[code];
    char fallback[8];
    std::snprintf(fallback, sizeof fallback, "ff%2x", code);
    return fallback;
}

bool isExtensionMarker(uint8_t code) { return code == 0x5A || code == 0x5B || (code >= 0x70 && code <= 0x79); }
