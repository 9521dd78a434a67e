#pragma once
// The text of one box as it is built: reads fields by offset from the first byte of the box's
// contents, within the contents, through the file image, and appends labels and values.

#include "engine/jpcAnalyzer.h"
#include "engine/utf8.h"
#include "present/fieldText.h"

#include <algorithm>
#include <cstdio>
#include <string>

// Lists in a box (compatibility entries, UUIDs, components, channels) are shown up to this many items.
constexpr uint32_t shownItems = 256;
// Of XML, UUID and unknown contents, this many first bytes are shown.
constexpr uint32_t shownBytes = 32;

// Reads fields by offset from the first byte of a box's contents; a field past the contents throws
// ImageOverrun before its label is written, so the text holds exactly the fields the box holds.
class BoxText : public FieldText {
public:
    BoxText(const jpcAnalyzer& analyzer, int index)
        : analyzer_(analyzer), file_(analyzer.getFileImage()), index_(index), box_(analyzer.getBoxes()[index])
    {
    }

    Field<uint8_t> u8(uint64_t offset) const { return {file_.u8(field(offset, 1)), contents(offset, 1)}; }
    Field<uint16_t> be16(uint64_t offset) const { return {file_.be16(field(offset, 2)), contents(offset, 2)}; }
    Field<uint32_t> be32(uint64_t offset) const { return {file_.be32(field(offset, 4)), contents(offset, 4)}; }
    // A 32-bit field of the box's header (LBox, the halves of XLBox), by its offset from LBox.
    Field<uint32_t> headerBe32(uint64_t offset) const
    {
        const uint64_t at = uint64_t{box_.offset} + offset;
        return {file_.be32(at), {at, at + 4}};
    }
    // The bytes [offset, offset + count) of the contents, as far as the contents reach.
    FieldBytes contents(uint64_t offset, uint64_t count) const
    {
        const uint64_t begin = box_.contentOffset() + std::min<uint64_t>(offset, box_.contentLength());
        return {begin, std::min<uint64_t>(box_.contentOffset() + offset + count, box_.end())};
    }
    // Up to `count` bytes of the contents from `offset` on as text: printable ASCII as it is, other
    // bytes as dots; a C string ends at its NUL.
    std::string ascii(uint64_t offset, uint32_t count, bool cString = false) const
    {
        std::string text;
        for (uint64_t k = offset; k < offset + count && k < box_.contentLength(); ++k) {
            const uint8_t c = u8(k);
            if (cString && c == 0)
                break;
            text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
        }
        return text;
    }
    // Text of up to `count` bytes of the contents from `offset` on, ending before the first `stop`
    // byte: UTF-8 as it is, control characters and bytes that are no UTF-8 as dots.
    struct TextRun {
        std::string text;
        uint64_t length = 0;   // of the bytes shown
        bool stopped = false;  // at a `stop` byte
    };
    TextRun utf8Text(uint64_t offset, uint32_t count, uint8_t stop) const
    {
        TextRun run;
        const uint64_t end = std::min<uint64_t>(offset + count, box_.contentLength());
        uint8_t sequence[4];
        for (uint64_t k = offset; k < end;) {
            const uint8_t c = u8(k);
            if (c == stop) {
                run.stopped = true;
                break;
            }
            size_t n = 0;
            for (; n < 4 && k + n < end; ++n)
                sequence[n] = u8(k + n);
            n = utf8SequenceLength({sequence, n});
            // C0 and C1 controls and DEL would break the line or show nothing.
            const bool control = c < 0x20 || c == 0x7F || (c == 0xC2 && n == 2 && sequence[1] < 0xA0);
            if (n == 0 || control)
                run.text += '.';
            else
                run.text.append(reinterpret_cast<const char*>(sequence), n);
            n = std::max<size_t>(n, 1);
            k += n;
            run.length += n;
        }
        return run;
    }
    // Up to `count` bytes of the contents from `offset` on, as two hex digits each with spaces.
    std::string hex(uint64_t offset, uint32_t count) const
    {
        std::string text;
        char digits[4];
        for (uint64_t k = offset; k < offset + count && k < box_.contentLength(); ++k) {
            std::snprintf(digits, sizeof digits, "%02x", u8(k).value);
            if (!text.empty())
                text += ' ';
            text += digits;
        }
        return text;
    }

    const Box& box() const { return box_; }
    int index() const { return index_; }
    const jpcAnalyzer& analyzer() const { return analyzer_; }

private:
    uint64_t field(uint64_t offset, uint64_t count) const
    {
        if (offset + count > box_.contentLength())
            throw ImageOverrun{};
        return box_.contentOffset() + offset;
    }

    const jpcAnalyzer& analyzer_;
    const ByteImage& file_;
    int index_;
    const Box& box_;
};

// The decoders of the boxes of the JP2 header; each appends its fields after the length fields.
void imageHeaderText(BoxText& t);
void bitsPerComponentText(BoxText& t);
void colourText(BoxText& t);
void paletteText(BoxText& t);
void componentMappingText(BoxText& t);
void channelDefinitionText(BoxText& t);
// `kind` 'c' for capture, 'd' for display resolution.
void resolutionText(BoxText& t, char kind);
