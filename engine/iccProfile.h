#pragma once
// ICC profiles of colour boxes (METH 2 and 3), parsed with a colour management library: whether the
// profile can be read at all, and whether it is one of the restricted profiles that every JP2 reader
// must accept. The header's fields are read by offset where they are shown or compared.

#include "engine/byteImage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The profile header: its size field at 0, version at 8, class at 12, colour space at 16 and the
// profile connection space at 20.
constexpr uint32_t iccHeaderLength = 128;
// Longer profiles are not parsed: a real one takes a few hundred kilobytes at most.
constexpr uint32_t maxParsedProfileLength = 16 << 20;

struct IccProfileCheck {
    bool parsed = false;
    // Of the input or display class, and monochrome with a grey tone curve, or RGB with an XYZ
    // connection space, three colorants and three tone curves, each of them readable: what a
    // reader applies without lookup tables.
    bool restricted = false;
    // Why the profile could not be parsed, in the library's words.
    std::string error;
};

IccProfileCheck checkIccProfile(std::span<const uint8_t> profile);

// The profile in [begin, end) of the file; nothing when it is longer than maxParsedProfileLength.
// Throws ImageOverrun where the file no longer holds the bytes.
std::optional<IccProfileCheck> checkIccProfile(const ByteImage& file, uint64_t begin, uint64_t end);
