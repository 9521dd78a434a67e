#pragma once
// UTF-8 as RFC 3629 defines it: shortest forms only, no surrogates, nothing above U+10FFFF.

#include <cstddef>
#include <cstdint>
#include <span>

// The length (1 to 4) of the UTF-8 sequence that `bytes` begins with, or 0 when they begin with none.
size_t utf8SequenceLength(std::span<const uint8_t> bytes);

bool isUtf8(std::span<const uint8_t> bytes);
