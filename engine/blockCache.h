#pragma once
// Reads of the analysed file through two reusable blocks, and a store of the header bytes that the
// walk keeps for the passes after it. The engine reads headers scattered through the file and never
// the bit-stream between them, so:
// - a read far from the previous one takes a small block, enough for one tile-part header;
// - each read that runs on from the previous one doubles the block, up to 256 KiB, so that long
//   headers (TLM, PLT, PPT) and tile-parts packed close together take few reads;
// - the segments the walk steps over are copied into the store (up to a budget), where the field
//   checks and the texts find them without reading the file again.
// Not for use by several threads at once.

#include "engine/fileReader.h"
#include "engine/hugePages.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

class BlockCache {
public:
    // Throws as FileReader does.
    explicit BlockCache(const std::string& path);

    uint32_t size() const { return file_.size(); }

    // A run of bytes of the file that holds [pos, pos + count); the range must lie inside size().
    struct Run {
        uint64_t start;
        const uint8_t* data;
        uint64_t length;
        bool kept;  // from the store: valid for the cache's lifetime
    };
    // A run from a block stays valid until the next fetch or keep that reads the file. Throws
    // ImageOverrun when the file no longer holds the bytes (changedOnDisk() then says so).
    Run fetch(uint64_t pos, uint64_t count);

    // Copies [pos, pos + count), cut at the end of the file, into the store, skipping what lies
    // before the end of the bytes stored already; nothing once the budget is spent. Returns whether
    // it had to read the file. Never throws.
    bool keep(uint64_t pos, uint64_t count);

    bool changedOnDisk() const { return file_.changedOnDisk(); }

private:
    struct Block {
        uint64_t start = 0;
        uint64_t length = 0;
        uint64_t capacity = 0;
        std::unique_ptr<uint8_t[]> data;
    };
    // A stored run; positions fit 32 bits, as the file does.
    struct Kept {
        uint32_t start;
        uint32_t length;
        const uint8_t* data;
    };
    std::optional<Run> findInBlocks(uint64_t pos, uint64_t count);
    std::optional<Run> findKept(uint64_t pos, uint64_t count);
    Block& read(uint64_t pos, uint64_t count);
    uint64_t keptEnd() const
    {
        return kept_.empty() ? 0 : kept_.back().start + uint64_t{kept_.back().length};
    }

    FileReader file_;
    std::array<Block, 2> blocks_;
    int lastUsed_ = 0;
    uint64_t readSize_ = 0;
    uint64_t lastReadStart_ = UINT64_MAX;
    uint64_t lastReadEnd_ = 0;

    // Stored runs in file order (a deque grows without copying); their bytes in one buffer, taken at
    // the first keep, of the budget or the file's size where that is smaller.
    std::deque<Kept> kept_;
    size_t keptHint_ = 0;
    FilledBytes store_;
    uint64_t storeUsed_ = 0;
};
