#include "decode/shrunkPicture.h"

ShrunkPicture::ShrunkPicture(const SamplePlanes& region, uint32_t factor) : factor_(factor)
{
    x0_ = ceilDivPow2(region.x0, region.reduction);
    y0_ = ceilDivPow2(region.y0, region.reduction);
    width_ = ceilDiv(ceilDivPow2(region.x1, region.reduction) - x0_, factor);
    height_ = ceilDiv(ceilDivPow2(region.y1, region.reduction) - y0_, factor);
}

void ShrunkPicture::add(const SamplePlanes& tile, const RenderedPicture& picture)
{
    if (sums_.empty()) {
        channels_ = picture.channels;
        sums_.assign(size_t{width_} * height_ * channels_, 0);
        counts_.assign(size_t{width_} * height_, 0);
    }
    if (picture.channels != channels_)
        return;
    // A tile reaches past the region where only part of it was asked for.
    const int64_t px0 = int64_t{ceilDivPow2(tile.x0, tile.reduction)} - x0_;
    const int64_t py0 = int64_t{ceilDivPow2(tile.y0, tile.reduction)} - y0_;
    for (uint32_t y = 0; y < picture.height; ++y) {
        const int64_t oy = (py0 + y) / factor_;
        if (py0 + y < 0 || oy >= height_)
            continue;
        for (uint32_t x = 0; x < picture.width; ++x) {
            const int64_t ox = (px0 + x) / factor_;
            if (px0 + x < 0 || ox >= width_)
                continue;
            const size_t out = static_cast<size_t>(oy) * width_ + static_cast<size_t>(ox);
            ++counts_[out];
            for (uint32_t k = 0; k < channels_; ++k)
                sums_[out * channels_ + k] += picture.pixels[(size_t{y} * picture.width + x) * channels_ + k];
        }
    }
}

RenderedPicture ShrunkPicture::result() const
{
    RenderedPicture picture{width_, height_, channels_, std::vector<uint8_t>(size_t{width_} * height_ * channels_)};
    for (size_t i = 0; i < sums_.size(); ++i) {
        const uint32_t n = counts_[i / channels_];
        picture.pixels[i] = n == 0 ? 0 : static_cast<uint8_t>((sums_[i] + n / 2) / n);
    }
    return picture;
}
