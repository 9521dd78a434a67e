#pragma once

#include <string>

// The standard's description of the marker with the given code byte (T.800 Annex A), as CR LF terminated lines
// of at most 130 characters, or "Ten marker nie ma opisu" for a marker without one. The byte arrives signed
// (0x90 as -112) because that is how the structure tree hands it over.
std::string markerDescription(signed char code);
