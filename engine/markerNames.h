#pragma once
// Three-letter names of the marker codes (the byte after 0xFF).

#include <cstdint>
#include <string>

// The name of a known code; "ff" and the code as "%2x" otherwise (0x30 -> "ff30", 0x05 -> "ff 5").
std::string markerName(uint8_t code);

// Marker segments of the extensions (ISO/IEC 15444-2): named and stepped over by their length.
bool isExtensionMarker(uint8_t code);
