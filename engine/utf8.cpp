#include "engine/utf8.h"

size_t utf8SequenceLength(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return 0;
    const uint8_t lead = bytes[0];
    if (lead < 0x80)
        return 1;
    // The range of the second byte narrows for E0, ED, F0 and F4: no overlong forms, no
    // surrogates, nothing past U+10FFFF.
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || bytes[1] < low || bytes[1] > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if (bytes[k] < 0x80 || bytes[k] > 0xBF)
            return 0;
    return length;
}

bool isUtf8(std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        const size_t length = utf8SequenceLength(bytes);
        if (length == 0)
            return false;
        bytes = bytes.subspan(length);
    }
    return true;
}
