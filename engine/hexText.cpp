#include "engine/hugePages.h"
#include "engine/jpcAnalyzer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t bytesPerLine = 8;
constexpr size_t charsPerLine = 3 * bytesPerLine;
// Lines are formatted in a buffer small enough to stay in the first-level cache and appended to the
// text in one copy each, so every character of the (large) text is written once.
constexpr size_t linesPerChunk = 512;

// The two lower-case hex digits of every byte value, in text order.
constexpr std::array<std::array<char, 2>, 256> buildDigitPairs()
{
    constexpr char digits[] = "0123456789abcdef";
    std::array<std::array<char, 2>, 256> pairs{};
    for (int b = 0; b < 256; ++b)
        pairs[b] = {digits[b >> 4], digits[b & 15]};
    return pairs;
}

constexpr auto digitPairs = buildDigitPairs();

// A chunk of lines with the separators in place; formatting then only writes the digit pairs.
struct LineChunk {
    LineChunk()
    {
        for (size_t line = 0; line < linesPerChunk; ++line) {
            char* out = chars + line * charsPerLine;
            std::memset(out, ' ', charsPerLine - 1);
            out[charsPerLine - 1] = '\n';
        }
    }
    void formatLine(size_t line, const uint8_t* in)
    {
        char* out = chars + line * charsPerLine;
        for (size_t j = 0; j < bytesPerLine; ++j)
            std::memcpy(out + 3 * j, digitPairs[in[j]].data(), 2);
    }
    void formatPart(const uint8_t* in, size_t count)
    {
        for (size_t j = 0; j < count; ++j)
            std::memcpy(chars + 3 * j, digitPairs[in[j]].data(), 2);
    }
    char chars[linesPerChunk * charsPerLine];
};

}  // namespace

// Byte k starts at character 3k and line n holds bytes 8n to 8n + 7: the offset column relies on it.
// The bytes are read a chunk at a time; those the file no longer holds (it shrank on disk since it
// was opened) show as zeros, so that the text keeps its shape.
std::string jpcAnalyzer::buildHexText()
{
    hexLineCount = fileSize == 0 ? 1 : static_cast<int>((uint64_t{fileSize} + 7) / 8);
    if (fileSize == 0)
        return {};
    const size_t length = size_t{fileSize} * 3 - 1;
    std::string text;
    // One spare character for the separator after the last byte, dropped at the end.
    text.reserve(length + 1);
    // A text of many megabytes: without huge pages the faults cost twenty times the formatting.
    if (text.capacity() >= 4 * hugePageSize)
        preferHugePages(text.data(), text.capacity());
    LineChunk chunk;
    // Stands in for the file from the chunk where it turned out to hold fewer bytes.
    std::array<uint8_t, linesPerChunk * bytesPerLine> spare{};
    bool shrunk = false;
    for (uint64_t pos = 0; pos < fileSize;) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(spare.size(), fileSize - pos));
        const uint8_t* in = spare.data();
        if (!shrunk) {
            try {
                in = fileImage.bytes(pos, count).data();
            } catch (const ImageOverrun&) {
                shrunk = true;
                try {
                    for (size_t held = 0; held < count; ++held)
                        spare[held] = fileImage.u8(pos + held);
                } catch (const ImageOverrun&) {
                }
            }
        }
        const size_t lines = count / bytesPerLine;
        for (size_t line = 0; line < lines; ++line, in += bytesPerLine)
            chunk.formatLine(line, in);
        text.append(chunk.chars, lines * charsPerLine);
        if (const size_t rest = count % bytesPerLine) {
            chunk.formatPart(in, rest);
            text.append(chunk.chars, 3 * rest);
        }
        pos += count;
        if (shrunk)
            spare.fill(0);
    }
    text.resize(length);
    return text;
}
