#pragma once
// The text of one marker segment as it is built: reads fields by offset from the segment's 0xFF
// byte through the bounded image, and appends labels and values. A field past the end of the file
// throws ImageOverrun before its label is written, so the text holds exactly the fields that lie
// inside the file.

#include "engine/jpcAnalyzer.h"

#include <string>
#include <string_view>

class SegmentText {
public:
    SegmentText(const jpcAnalyzer& analyzer, uint32_t position) : analyzer_(analyzer), position_(position) {}

    uint8_t u8(uint64_t offset) const { return analyzer_.getImage().u8(position_ + offset); }
    uint16_t be16(uint64_t offset) const { return analyzer_.getImage().be16(position_ + offset); }
    uint32_t be32(uint64_t offset) const { return analyzer_.getImage().be32(position_ + offset); }

    SegmentText& add(std::string_view literal)
    {
        text_ += literal;
        return *this;
    }
    // A label followed directly by a decimal number.
    SegmentText& add(std::string_view label, uint64_t number)
    {
        text_ += label;
        text_ += std::to_string(number);
        return *this;
    }

    // The validation found this code in this very segment.
    bool hasOwnError(int code) const { return analyzer_.hasErrorAt(code, position_); }
    // Width in bytes of a component index: 1 while Csiz of the main SIZ is below 257, else 2.
    int componentIndexWidth() const { return mainCsiz() < 257 ? 1 : 2; }
    uint16_t mainCsiz() const { return analyzer_.getImage().be16(uint64_t{analyzer_.getSizMarker()} + 38); }
    // A component index of that width at the offset.
    uint32_t componentIndex(uint64_t offset, int width) const { return width == 1 ? u8(offset) : be16(offset); }
    // The position just past the segment, as its length field states it.
    uint64_t segmentEnd() const { return uint64_t{position_} + 2 + be16(2); }
    uint64_t position() const { return position_; }
    const jpcAnalyzer& analyzer() const { return analyzer_; }

    std::string take() { return std::move(text_); }

private:
    const jpcAnalyzer& analyzer_;
    uint32_t position_;
    std::string text_;
};
