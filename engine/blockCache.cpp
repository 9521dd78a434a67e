#include "engine/blockCache.h"

#include "engine/byteImage.h"

#include <algorithm>
#include <cstring>

namespace {

// A tile-part header (SOT, a PLT of some hundred packets, SOD) fits; a longer one takes a second
// read. A read of 1 KiB costs hardly more than one of 16 bytes (bench/README.md).
constexpr uint64_t farReadSize = 1 << 10;
constexpr uint64_t maxReadSize = 256 << 10;
// Reading through a gap this small costs less than the extra read that skipping it would take.
constexpr uint64_t runOnGap = 16 << 10;
constexpr uint64_t storeBudget = 8 << 20;

bool holds(uint64_t start, uint64_t length, uint64_t pos, uint64_t count)
{
    return pos >= start && pos - start <= length && count <= length - (pos - start);
}

}  // namespace

BlockCache::BlockCache(const std::string& path) : file_(path) {}

BlockCache::Run BlockCache::fetch(uint64_t pos, uint64_t count)
{
    if (const auto run = findInBlocks(pos, count))
        return *run;
    if (const auto kept = findKept(pos, count))
        return *kept;
    const Block& b = read(pos, count);
    if (!holds(b.start, b.length, pos, count))
        throw ImageOverrun{};
    return {b.start, b.data.get(), b.length, false};
}

std::optional<BlockCache::Run> BlockCache::findInBlocks(uint64_t pos, uint64_t count)
{
    for (const int i : {lastUsed_, 1 - lastUsed_}) {
        const Block& b = blocks_[i];
        if (holds(b.start, b.length, pos, count)) {
            lastUsed_ = i;
            return Run{b.start, b.data.get(), b.length, false};
        }
    }
    return std::nullopt;
}

std::optional<BlockCache::Run> BlockCache::findKept(uint64_t pos, uint64_t count)
{
    if (pos >= keptEnd())
        return std::nullopt;
    const auto found = [&](size_t i) -> std::optional<Run> {
        const Kept& k = kept_[i];
        if (!holds(k.start, k.length, pos, count))
            return std::nullopt;
        keptHint_ = i;
        return Run{k.start, k.data, k.length, true};
    };
    // The passes after the walk go forward through the file: the run found last, or the next one;
    // the SIZ fields that every SOT needs lie in the first.
    for (size_t i = keptHint_; i < kept_.size() && i < keptHint_ + 2; ++i)
        if (auto run = found(i))
            return run;
    if (auto run = found(0))
        return run;
    const auto after = std::upper_bound(kept_.begin(), kept_.end(), pos,
                                        [](uint64_t p, const Kept& k) { return p < k.start; });
    if (after == kept_.begin())
        return std::nullopt;
    return found(static_cast<size_t>(after - kept_.begin()) - 1);
}

BlockCache::Block& BlockCache::read(uint64_t pos, uint64_t count)
{
    // The bytes asked for reach past the last block, or start shortly after it.
    const bool runsOn = pos + count > lastReadStart_ && pos <= lastReadEnd_ + runOnGap;
    readSize_ = runsOn ? std::min(2 * readSize_, maxReadSize) : farReadSize;
    const uint64_t length = std::min(std::max(readSize_, count), uint64_t{size()} - pos);
    lastUsed_ = 1 - lastUsed_;
    Block& b = blocks_[lastUsed_];
    if (b.capacity < length) {
        // Room for the largest block at once: pages not read into are never touched.
        b.capacity = std::max(length, std::min(maxReadSize, uint64_t{size()}));
        b.data = std::make_unique_for_overwrite<uint8_t[]>(b.capacity);
    }
    b.start = pos;
    b.length = file_.read(pos, b.data.get(), length);
    lastReadStart_ = pos;
    lastReadEnd_ = pos + b.length;
    return b;
}

bool BlockCache::keep(uint64_t pos, uint64_t count)
{
    const uint64_t from = std::max(pos, keptEnd());
    const uint64_t end = std::min(pos + std::min<uint64_t>(count, size()), uint64_t{size()});
    const uint64_t storeCapacity = std::min(storeBudget, uint64_t{size()});
    if (from >= end || storeUsed_ + (end - from) > storeCapacity)
        return false;
    const uint64_t length = end - from;
    std::optional<Run> source = findInBlocks(from, length);
    const bool reads = !source;
    if (reads) {
        const Block& b = read(from, length);
        if (!holds(b.start, b.length, from, length))
            return true;  // the file no longer holds them
        source = Run{b.start, b.data.get(), b.length, false};
    }
    if (!store_)
        store_ = allocateForFilling(storeCapacity);
    uint8_t* target = store_.get() + storeUsed_;
    std::memcpy(target, source->data + (from - source->start), length);
    storeUsed_ += length;
    if (!kept_.empty() && from == keptEnd())
        kept_.back().length += static_cast<uint32_t>(length);
    else
        kept_.push_back({static_cast<uint32_t>(from), static_cast<uint32_t>(length), target});
    return reads;
}
