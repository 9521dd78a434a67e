#pragma once
// The one bounded accessor to the analysed bytes: no read can leave them, whatever a field says. The
// bytes are either in memory or read by position from the file through a BlockCache. A read is
// served from the run of bytes the last read from a block was served from, else from the run the
// last read from the cache's store was served from (the SIZ fields, read at every SOT, stay there),
// and goes to the cache only outside both. Reads move these runs, even through a const image: one
// image is not for several threads at once, and it cannot be copied. A narrower image of the first
// bytes (a codestream inside a box file) shares the runs of the image it was made from.

#include <cstdint>
#include <memory>
#include <span>

class BlockCache;

// Thrown by ByteImage when a read would leave the image, or when the file no longer holds the bytes.
// It never leaves the library: the walk turns it into the fatal code 7, the field checks end the
// segment's checks, the texts end with a line.
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
    // Bytes the caller keeps alive and unchanged while the image is in use.
    explicit ByteImage(std::span<const uint8_t> bytes);
    // The file behind the cache, which must outlive the image.
    explicit ByteImage(BlockCache& file);
    ByteImage(ByteImage&&) = default;
    ByteImage& operator=(ByteImage&&) = default;

    // The first `size` bytes of the same source, read through the same runs; reads past them overrun.
    ByteImage firstBytes(uint32_t size) const;

    uint32_t size() const { return size_; }

    // Positions are 64-bit so that a position computed from file fields cannot wrap back inside.
    bool contains(uint64_t pos, uint64_t count = 1) const { return pos <= size_ && count <= size_ - pos; }

    uint8_t u8(uint64_t pos) const { return *at(pos, 1); }
    uint16_t be16(uint64_t pos) const { return readBE16(at(pos, 2)); }
    uint32_t be32(uint64_t pos) const { return readBE32(at(pos, 4)); }
    // Valid until the next read through this image.
    std::span<const uint8_t> bytes(uint64_t pos, uint64_t count) const
    {
        return {at(pos, count), static_cast<size_t>(count)};
    }

    // These bytes will be read again after the walk: a file image keeps a copy of them (within a
    // budget) so that the later passes need not read the file again. Never throws.
    void keep(uint64_t pos, uint64_t count) const;

private:
    struct Run {
        const uint8_t* data = nullptr;
        uint64_t start = 0;
        uint64_t length = 0;
        const uint8_t* find(uint64_t pos, uint64_t count) const
        {
            const uint64_t offset = pos - start;
            return pos >= start && offset <= length && count <= length - offset ? data + offset : nullptr;
        }
    };
    // Shared by an image and the narrower images made from it: one cache gives one set of runs, so
    // that no run outlives the block it points into.
    struct Source {
        BlockCache* file = nullptr;  // none when the bytes are in memory
        Run blockRun;                // all of the bytes when they are in memory
        Run keptRun;
    };

    const uint8_t* at(uint64_t pos, uint64_t count) const
    {
        if (!contains(pos, count))
            throw ImageOverrun{};
        if (const uint8_t* p = source_->blockRun.find(pos, count))
            return p;
        if (const uint8_t* p = source_->keptRun.find(pos, count))
            return p;
        return fetch(pos, count);
    }
    const uint8_t* fetch(uint64_t pos, uint64_t count) const;

    std::shared_ptr<Source> source_;
    uint32_t size_ = 0;
};
