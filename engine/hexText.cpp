#include "engine/jpcAnalyzer.h"

#include <array>
#include <cstring>

namespace {

// "hh " for every byte value, four bytes wide so that each is one aligned copy.
constexpr std::array<std::array<char, 4>, 256> buildPairs()
{
    constexpr char digits[] = "0123456789abcdef";
    std::array<std::array<char, 4>, 256> pairs{};
    for (int b = 0; b < 256; ++b)
        pairs[b] = {digits[b >> 4], digits[b & 15], ' ', ' '};
    return pairs;
}

constexpr auto pairs = buildPairs();

}  // namespace

// Byte k starts at character 3k and line n holds bytes 8n to 8n + 7: the offset column relies on it.
std::string jpcAnalyzer::buildHexText()
{
    hexLineCount = fileSize == 0 ? 1 : static_cast<int>((uint64_t{fileSize} + 7) / 8);
    if (fileSize == 0)
        return {};
    // Three characters per byte; the separator after the last byte is dropped at the end. One spare
    // character lets every pair be written as a four-byte copy.
    std::string text(uint64_t{fileSize} * 3 + 1, '\0');
    char* out = text.data();
    const uint8_t* in = fileData;
    const uint32_t fullLines = fileSize / 8;
    for (uint32_t line = 0; line < fullLines; ++line, in += 8, out += 24) {
        for (int j = 0; j < 8; ++j)
            std::memcpy(out + 3 * j, pairs[in[j]].data(), 4);
        out[23] = '\n';
    }
    for (uint32_t j = 0; j < fileSize % 8; ++j, out += 3)
        std::memcpy(out, pairs[in[j]].data(), 4);
    text.resize(uint64_t{fileSize} * 3 - 1);
    return text;
}
