#include "app/hex/hexGeometry.h"

#include <algorithm>
#include <cstdio>

ByteRange HexGeometry::bytesOfLine(uint64_t line) const
{
    const uint64_t begin = std::min(line * bytesPerLine_, size_);
    return {begin, std::min(begin + bytesPerLine_, size_)};
}

CharRange HexGeometry::charsOf(ByteRange bytes) const
{
    const uint64_t begin = std::min(bytes.begin, size_);
    const uint64_t end = std::min(bytes.end, size_);
    if (end <= begin)
        return {begin * charsPerByte, begin * charsPerByte};
    return {begin * charsPerByte, end * charsPerByte - 1};
}

ByteRange HexGeometry::bytesOfChars(CharRange chars) const
{
    const uint64_t end = std::min(chars.end, textLength());
    if (end <= chars.begin)
        return {};
    return {chars.begin / charsPerByte, (end - 1) / charsPerByte + 1};
}

CharRange HexGeometry::columnsOnLine(uint64_t line, CharRange chars) const
{
    const uint64_t first = line * charsPerLine();
    const uint64_t begin = std::max(chars.begin, first);
    const uint64_t end = std::min(chars.end, first + charsPerLine());
    if (end <= begin)
        return {};
    return {begin - first, end - first};
}

std::string HexGeometry::text(CharRange chars, std::span<const uint8_t> bytes) const
{
    static constexpr char digits[] = "0123456789abcdef";
    const uint64_t end = std::min(chars.end, textLength());
    const uint64_t firstByte = chars.begin / charsPerByte;
    const uint64_t endByte = std::min(end == 0 ? 0 : (end - 1) / charsPerByte + 1, firstByte + bytes.size());
    if (end <= chars.begin || endByte <= firstByte)
        return {};
    // Whole bytes with their separators, a byte at a time; then cut to the range.
    std::string out((endByte - firstByte) * charsPerByte, ' ');
    char* o = out.data();
    for (uint64_t k = firstByte; k < endByte; ++k, o += charsPerByte) {
        const uint8_t b = bytes[k - firstByte];
        o[0] = digits[b >> 4];
        o[1] = digits[b & 15];
        if (k % bytesPerLine_ == bytesPerLine_ - 1)
            o[2] = '\n';
    }
    out.resize(std::min(end, endByte * charsPerByte) - firstByte * charsPerByte);
    out.erase(0, chars.begin - firstByte * charsPerByte);
    return out;
}

std::string HexGeometry::offsetLabel(uint64_t line) const
{
    char label[24];
    std::snprintf(label, sizeof label, "%08llx:", static_cast<unsigned long long>(line * bytesPerLine_));
    return label;
}

std::string HexGeometry::offsetText(CharRange chars) const
{
    const uint64_t end = std::min(chars.end, offsetTextLength());
    std::string out;
    for (uint64_t line = chars.begin / offsetCharsPerLine; line * offsetCharsPerLine < end; ++line)
        out += offsetLabel(line) + '\n';
    const uint64_t skip = chars.begin - chars.begin / offsetCharsPerLine * offsetCharsPerLine;
    return end <= chars.begin ? std::string() : out.substr(skip, end - chars.begin);
}
