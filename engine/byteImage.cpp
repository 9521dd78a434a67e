#include "engine/byteImage.h"

#include "engine/blockCache.h"

ByteImage::ByteImage(std::span<const uint8_t> bytes)
    : source_(std::make_shared<Source>(Source{nullptr, {bytes.data(), 0, bytes.size()}, {}})),
      size_(static_cast<uint32_t>(bytes.size()))
{
}

ByteImage::ByteImage(BlockCache& file) : source_(std::make_shared<Source>(Source{&file, {}, {}})), size_(file.size()) {}

ByteImage ByteImage::firstBytes(uint32_t size) const
{
    ByteImage narrower;
    narrower.source_ = source_;
    narrower.size_ = size < size_ ? size : size_;
    return narrower;
}

const uint8_t* ByteImage::fetch(uint64_t pos, uint64_t count) const
{
    if (!source_->file)
        throw ImageOverrun{};
    const BlockCache::Run run = source_->file->fetch(pos, count);
    Run& to = run.kept ? source_->keptRun : source_->blockRun;
    to = {run.data, run.start, run.length};
    return to.data + (pos - to.start);
}

void ByteImage::keep(uint64_t pos, uint64_t count) const
{
    // A read for the copy may have reused the block that the block run lies in.
    if (source_ && source_->file && source_->file->keep(pos, count))
        source_->blockRun = {};
}
