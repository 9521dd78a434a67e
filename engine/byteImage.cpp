#include "engine/byteImage.h"

#include "engine/blockCache.h"

ByteImage::ByteImage(std::span<const uint8_t> bytes)
    : size_(static_cast<uint32_t>(bytes.size())), run_(bytes.data()), runLength_(size_)
{
}

ByteImage::ByteImage(BlockCache& file) : file_(&file), size_(file.size()) {}

const uint8_t* ByteImage::fetch(uint64_t pos, uint64_t count) const
{
    if (!contains(pos, count) || !file_)
        throw ImageOverrun{};
    const BlockCache::Run run = file_->fetch(pos, count);
    run_ = run.data;
    runStart_ = run.start;
    runLength_ = run.length;
    return run_ + (pos - runStart_);
}

void ByteImage::keep(uint64_t pos, uint64_t count) const
{
    if (!file_)
        return;
    // A read for the copy may have reused the block the run lies in.
    if (file_->keep(pos, count)) {
        run_ = nullptr;
        runStart_ = runLength_ = 0;
    }
}
