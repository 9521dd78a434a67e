#pragma once
// The one bounded accessor to the file image: no read can leave it, whatever a field says.

#include <cstdint>
#include <span>

// Thrown by ByteImage when a read would leave the image. It never leaves the library: the walk turns
// it into the fatal code 7, the field checks end the segment's checks, the texts end with a line.
struct ImageOverrun {};

inline uint16_t readBE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t readBE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

class ByteImage {
public:
    ByteImage() = default;
    ByteImage(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}

    const uint8_t* data() const { return data_; }
    uint32_t size() const { return size_; }

    // Positions are 64-bit so that a position computed from file fields cannot wrap back inside.
    bool contains(uint64_t pos, uint64_t count = 1) const { return pos <= size_ && count <= size_ - pos; }

    uint8_t u8(uint64_t pos) const { return *at(pos, 1); }
    uint16_t be16(uint64_t pos) const { return readBE16(at(pos, 2)); }
    uint32_t be32(uint64_t pos) const { return readBE32(at(pos, 4)); }
    std::span<const uint8_t> bytes(uint64_t pos, uint64_t count) const
    {
        return {at(pos, count), static_cast<size_t>(count)};
    }

private:
    const uint8_t* at(uint64_t pos, uint64_t count) const
    {
        if (!contains(pos, count))
            throw ImageOverrun{};
        return data_ + pos;
    }

    const uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
};
