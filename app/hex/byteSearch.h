#pragma once
// Finds a byte pattern in the analysed file: from a start position to one end of the file, then on
// from the other end back to the start, each position once. It reads a chunk at a time through the
// engine's bounded image (no more memory than one chunk, whatever the file's size) and runs in
// steps, so that a window can show its progress and stop it.

#include <cstdint>
#include <vector>

class ByteImage;

class ByteSearch {
public:
    enum class Direction { forward, backward };
    enum class State { searching, found, notFound, unreadable };

    static constexpr size_t maxPatternSize = 256;

    // The pattern holds 1 to maxPatternSize bytes. `from` is the first position looked at; past the
    // end of the file it stands for the end.
    ByteSearch(const ByteImage& image, std::vector<uint8_t> pattern, uint64_t from, Direction direction);

    // Looks at up to `budget` more positions.
    State step(uint64_t budget);
    State state() const { return state_; }
    // Where the pattern begins, once found.
    uint64_t hit() const { return hit_; }
    size_t patternSize() const { return pattern_.size(); }
    // The search went past one end of the file and on from the other before it found the pattern.
    bool wrapped() const { return segment_ >= firstWrapped_; }
    // Positions where the pattern could begin, and how many of them have been looked at.
    uint64_t positions() const { return positions_; }
    uint64_t searched() const { return searched_; }

private:
    // Positions [first, last] in the order of the search.
    struct Segment {
        uint64_t first;
        uint64_t last;
    };
    bool searchForward(uint64_t first, uint64_t last);
    bool searchBackward(uint64_t last, uint64_t first);

    const ByteImage& image_;
    std::vector<uint8_t> pattern_;
    // Where in the pattern the byte stands that the scan looks for.
    size_t scanned_ = 0;
    Direction direction_;
    std::vector<Segment> segments_;
    size_t segment_ = 0;
    size_t firstWrapped_ = 1;  // the first segment past the wrap
    uint64_t next_ = 0;  // the next position of the current segment
    uint64_t positions_ = 0;
    uint64_t searched_ = 0;
    uint64_t hit_ = 0;
    State state_ = State::searching;
};
