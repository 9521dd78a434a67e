#pragma once
// Reading packet headers: the bytes they lie in, and their bits.

#include "engine/byteImage.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

// Bytes read in order from one or more runs of the file: a tile-part's data, or the packed headers
// of PPM or PPT segments that continue one another.
class ByteRuns {
public:
    void add(uint64_t start, uint64_t end)
    {
        if (start >= end)
            return;
        if (runs_.empty())
            pos_ = start;
        runs_.push_back({start, end});
    }

    bool atEnd() const { return run_ == runs_.size(); }
    // The position of the next byte; at the end, the end of the last run.
    uint64_t position() const { return atEnd() ? (runs_.empty() ? 0 : runs_.back().end) : pos_; }
    uint64_t remaining() const
    {
        uint64_t left = atEnd() ? 0 : runs_[run_].end - pos_;
        for (size_t i = run_ + 1; i < runs_.size(); ++i)
            left += runs_[i].end - runs_[i].start;
        return left;
    }

    uint8_t take(const ByteImage& image)
    {
        const uint8_t b = image.u8(pos_);
        skip(1);
        return b;
    }
    // The byte `ahead` bytes on, if the runs hold it.
    std::optional<uint8_t> peek(const ByteImage& image, uint64_t ahead) const
    {
        for (size_t i = run_; i < runs_.size(); ++i) {
            const uint64_t at = i == run_ ? pos_ : runs_[i].start;
            const uint64_t here = runs_[i].end - at;
            if (ahead < here)
                return image.u8(at + ahead);
            ahead -= here;
        }
        return std::nullopt;
    }
    // Moves to a position inside one of the runs, from the start; false when none holds it.
    bool seek(uint64_t position)
    {
        for (run_ = 0; run_ < runs_.size(); ++run_)
            if (position >= runs_[run_].start && position < runs_[run_].end) {
                pos_ = position;
                return true;
            }
        return false;
    }
    // Moves on by `count` bytes; false, at the end, when the runs do not hold them.
    bool skip(uint64_t count)
    {
        while (count > 0 && !atEnd()) {
            const uint64_t here = std::min(count, runs_[run_].end - pos_);
            pos_ += here;
            count -= here;
            if (pos_ == runs_[run_].end && ++run_ < runs_.size())
                pos_ = runs_[run_].start;
        }
        return count == 0;
    }

private:
    struct Run {
        uint64_t start, end;
    };
    std::vector<Run> runs_;
    size_t run_ = 0;
    uint64_t pos_ = 0;
};

// The bits of a packet header, most significant first. A byte after 0xFF carries seven bits: its
// top bit is a stuffed 0, and a 1 there means a marker stands inside the header. Past the end of
// the runs every bit reads as 0 and ranOut() says so.
class PacketBits {
public:
    PacketBits(const ByteImage& image, ByteRuns& runs) : image_(image), runs_(runs) {}

    uint32_t bit()
    {
        if (left_ == 0 && !load())
            return 0;
        --left_;
        return (byte_ >> left_) & 1;
    }
    uint64_t bits(int count)
    {
        uint64_t value = 0;
        while (count-- > 0)
            value = value << 1 | bit();
        return value;
    }
    // Ends the header at a byte boundary; a header whose last byte is 0xFF ends with the byte that
    // holds the stuffed bit.
    void align()
    {
        left_ = 0;
        if (afterFF_)
            load();
        left_ = 0;
        afterFF_ = false;
    }

    bool ranOut() const { return ranOut_; }
    bool markerInside() const { return markerInside_; }

private:
    bool load()
    {
        if (runs_.atEnd()) {
            ranOut_ = true;
            return false;
        }
        byte_ = runs_.take(image_);
        left_ = afterFF_ ? 7 : 8;
        if (afterFF_ && (byte_ & 0x80))
            markerInside_ = true;
        afterFF_ = byte_ == 0xFF;
        return true;
    }

    const ByteImage& image_;
    ByteRuns& runs_;
    uint8_t byte_ = 0;
    int left_ = 0;
    bool afterFF_ = false;
    bool ranOut_ = false;
    bool markerInside_ = false;
};
