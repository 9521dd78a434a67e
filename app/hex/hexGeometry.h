#pragma once
// Where the bytes of a file stand in its hex text: two lower-case digits per byte, a blank between
// bytes, a line feed after the last byte of each line, nothing after the last byte. A line holds
// eight bytes (the engine's hex text), or sixteen as the user chooses: byte k starts at character 3k
// and line L holds bytes nL to nL + n - 1. The hex pane and the offset column both draw from this
// one class, so their lines cannot drift apart.

#include <cstdint>
#include <span>
#include <string>

// Bytes [begin, end) of the file.
struct ByteRange {
    uint64_t begin = 0;
    uint64_t end = 0;
    bool empty() const { return end <= begin; }
    bool operator==(const ByteRange&) const = default;
};

// Characters [begin, end) of a text.
struct CharRange {
    uint64_t begin = 0;
    uint64_t end = 0;
    bool empty() const { return end <= begin; }
    bool operator==(const CharRange&) const = default;
};

class HexGeometry {
public:
    static constexpr uint64_t charsPerByte = 3;        // two digits and the separator after them
    static constexpr uint64_t offsetCharsPerLine = 10;  // "%08x:" and a line feed

    explicit HexGeometry(uint64_t fileSize = 0, uint64_t bytesPerLine = 8)
        : size_(fileSize), bytesPerLine_(bytesPerLine)
    {
    }

    uint64_t fileSize() const { return size_; }
    uint64_t bytesPerLine() const { return bytesPerLine_; }
    uint64_t charsPerLine() const { return bytesPerLine_ * charsPerByte; }  // the line feed included
    uint64_t digitsPerLine() const { return charsPerLine() - 1; }           // what one line shows
    uint64_t lineCount() const { return (size_ + bytesPerLine_ - 1) / bytesPerLine_; }
    uint64_t lineOf(uint64_t offset) const { return offset / bytesPerLine_; }
    // The bytes line L shows (fewer than eight on the last line).
    ByteRange bytesOfLine(uint64_t line) const;

    // Characters of the whole hex text: 3n - 1 for n bytes.
    uint64_t textLength() const { return size_ == 0 ? 0 : size_ * charsPerByte - 1; }
    // The digits of the bytes and the separators between them, not the separator after the last.
    CharRange charsOf(ByteRange bytes) const;
    // The bytes whose digits the characters touch.
    ByteRange bytesOfChars(CharRange chars) const;
    // The part of a text range that line L shows, as columns [begin, end) of that line.
    CharRange columnsOnLine(uint64_t line, CharRange chars) const;

    // The hex text of characters [begin, end), given the bytes from byte begin / 3 on (as many as
    // the range touches; fewer give a shorter text).
    std::string text(CharRange chars, std::span<const uint8_t> bytes) const;

    // Offset column: "%08x:" for line L, and its text of 10 characters a line, the last included.
    std::string offsetLabel(uint64_t line) const;
    uint64_t offsetTextLength() const { return lineCount() * offsetCharsPerLine; }
    std::string offsetText(CharRange chars) const;

private:
    uint64_t size_;
    uint64_t bytesPerLine_;
};
