#pragma once
// The text of one marker segment as it is built: reads fields by offset from the segment's 0xFF
// byte through the bounded image, and appends labels and values. A field past the end of the file
// throws ImageOverrun before its label is written, so the text holds exactly the fields that lie
// inside the file.

#include "engine/jpcAnalyzer.h"
#include "present/fieldText.h"

class SegmentText : public FieldText {
public:
    SegmentText(const jpcAnalyzer& analyzer, uint32_t position) : analyzer_(analyzer), position_(position) {}

    Field<uint8_t> u8(uint64_t offset) const { return {image().u8(position_ + offset), at(offset, 1)}; }
    Field<uint16_t> be16(uint64_t offset) const { return {image().be16(position_ + offset), at(offset, 2)}; }
    Field<uint32_t> be32(uint64_t offset) const { return {image().be32(position_ + offset), at(offset, 4)}; }
    // A big-endian field of 1, 2 or 4 bytes.
    Field<uint32_t> number(uint64_t offset, int width) const
    {
        const uint64_t p = position_ + offset;
        const uint32_t value = width == 1 ? image().u8(p) : width == 2 ? image().be16(p) : image().be32(p);
        return {value, at(offset, static_cast<uint64_t>(width))};
    }
    // The bytes [offset, offset + count) of the segment.
    FieldBytes at(uint64_t offset, uint64_t count) const { return {position_ + offset, position_ + offset + count}; }

    // The validation found this code in this very segment.
    bool hasOwnError(int code) const { return analyzer_.hasErrorAt(code, position_); }
    // Width in bytes of a component index: 1 while Csiz of the main SIZ is below 257, else 2.
    int componentIndexWidth() const { return mainCsiz() < 257 ? 1 : 2; }
    uint16_t mainCsiz() const { return image().be16(uint64_t{analyzer_.getSizMarker()} + 38); }
    // A component index of that width at the offset.
    Field<uint32_t> componentIndex(uint64_t offset, int width) const { return number(offset, width); }
    // The position just past the segment, as its length field states it.
    uint64_t segmentEnd() const { return uint64_t{position_} + 2 + be16(2); }
    uint64_t position() const { return position_; }
    const jpcAnalyzer& analyzer() const { return analyzer_; }

private:
    const ByteImage& image() const { return analyzer_.getImage(); }

    const jpcAnalyzer& analyzer_;
    uint32_t position_;
};
