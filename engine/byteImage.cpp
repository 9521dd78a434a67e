#include "engine/byteImage.h"

#include "engine/blockCache.h"

ByteImage::ByteImage(std::span<const uint8_t> bytes)
    : size_(static_cast<uint32_t>(bytes.size())), blockRun_{bytes.data(), 0, bytes.size()}
{
}

ByteImage::ByteImage(BlockCache& file) : file_(&file), size_(file.size()) {}

const uint8_t* ByteImage::fetch(uint64_t pos, uint64_t count) const
{
    if (!contains(pos, count) || !file_)
        throw ImageOverrun{};
    const BlockCache::Run run = file_->fetch(pos, count);
    Run& to = run.kept ? keptRun_ : blockRun_;
    to = {run.data, run.start, run.length};
    return to.data + (pos - to.start);
}

void ByteImage::keep(uint64_t pos, uint64_t count) const
{
    // A read for the copy may have reused the block that the block run lies in.
    if (file_ && file_->keep(pos, count))
        blockRun_ = {};
}
