#include "app/hex/byteSearch.h"

#include "engine/byteImage.h"

#include <algorithm>
#include <cstring>

namespace {

// Positions looked at per read: with the pattern's tail the read stays within the engine's largest
// block (256 KiB), so a search leaves its cache as large as the walk made it.
constexpr uint64_t chunkPositions = (uint64_t{256} << 10) - ByteSearch::maxPatternSize;

// The scan runs memchr over one byte of the pattern: better one that is not 0x00, which fills
// headers and empty data, nor 0xFF, which begins every marker; a scan that stops at every byte is
// thirty times slower than one that rarely stops.
size_t scannedByte(const std::vector<uint8_t>& pattern)
{
    for (const bool markerByteToo : {false, true}) {
        const auto found = std::find_if(pattern.begin(), pattern.end(),
                                        [&](uint8_t b) { return b != 0x00 && (markerByteToo || b != 0xFF); });
        if (found != pattern.end())
            return static_cast<size_t>(found - pattern.begin());
    }
    return 0;
}

}  // namespace

ByteSearch::ByteSearch(const ByteImage& image, std::vector<uint8_t> pattern, uint64_t from, Direction direction)
    : image_(image), pattern_(std::move(pattern)), scanned_(scannedByte(pattern_)), direction_(direction)
{
    const uint64_t size = image.size();
    if (pattern_.empty() || pattern_.size() > size) {
        state_ = State::notFound;
        return;
    }
    const uint64_t last = size - pattern_.size();
    positions_ = last + 1;
    from = std::min<uint64_t>(from, size - 1);
    if (direction == Direction::forward) {
        if (from <= last)
            segments_.push_back({from, last});
        firstWrapped_ = segments_.size();
        if (from > 0)
            segments_.push_back({0, std::min(from - 1, last)});
    } else {
        segments_.push_back({std::min(from, last), 0});
        if (from < last)
            segments_.push_back({last, from + 1});
    }
    next_ = segments_.front().first;
}

ByteSearch::State ByteSearch::step(uint64_t budget)
{
    try {
        while (state_ == State::searching && budget > 0) {
            const Segment& s = segments_[segment_];
            const bool forward = direction_ == Direction::forward;
            const uint64_t left = (forward ? s.last - next_ : next_ - s.last) + 1;
            const uint64_t count = std::min({left, budget, chunkPositions});
            const uint64_t end = forward ? next_ + count - 1 : next_ - (count - 1);
            if (forward ? searchForward(next_, end) : searchBackward(next_, end)) {
                state_ = State::found;
                break;
            }
            searched_ += count;
            budget -= count;
            if (count < left) {
                next_ = forward ? end + 1 : end - 1;
            } else if (++segment_ < segments_.size()) {
                next_ = segments_[segment_].first;
            } else {
                state_ = State::notFound;
            }
        }
    } catch (const ImageOverrun&) {
        state_ = State::unreadable;  // the file no longer holds the bytes
    }
    return state_;
}

// Positions first to last, upwards; the bytes they need are read at once. `at` is where the scanned
// byte of the pattern stands when the pattern begins at `first`.
bool ByteSearch::searchForward(uint64_t first, uint64_t last)
{
    const size_t n = pattern_.size();
    const auto bytes = image_.bytes(first, last - first + n);
    const uint8_t* at = bytes.data() + scanned_;
    const uint8_t* const end = at + (last - first + 1);
    while ((at = static_cast<const uint8_t*>(std::memchr(at, pattern_[scanned_], static_cast<size_t>(end - at))))) {
        const uint8_t* start = at - scanned_;
        if (std::memcmp(start, pattern_.data(), n) == 0) {
            hit_ = first + static_cast<uint64_t>(start - bytes.data());
            return true;
        }
        ++at;
    }
    return false;
}

// Positions last down to first.
bool ByteSearch::searchBackward(uint64_t last, uint64_t first)
{
    const size_t n = pattern_.size();
    const auto bytes = image_.bytes(first, last - first + n);
    const uint8_t* const from = bytes.data() + scanned_;
    size_t length = static_cast<size_t>(last - first + 1);
    while (const void* found = ::memrchr(from, pattern_[scanned_], length)) {
        const uint8_t* start = static_cast<const uint8_t*>(found) - scanned_;
        if (std::memcmp(start, pattern_.data(), n) == 0) {
            hit_ = first + static_cast<uint64_t>(start - bytes.data());
            return true;
        }
        length = static_cast<size_t>(start - bytes.data());
    }
    return false;
}
