#pragma once
// A picture made a whole factor smaller than a region at its reduction, from tiles rendered one at a
// time, so that a picture too large to decode whole still fits in memory: each output pixel is the
// mean of the pixels it covers.

#include "decode/pictureRendering.h"

class ShrunkPicture {
public:
    ShrunkPicture(const SamplePlanes& region, uint32_t factor);
    void add(const SamplePlanes& tile, const RenderedPicture& picture);
    RenderedPicture result() const;

private:
    uint32_t factor_, x0_, y0_, width_, height_, channels_ = 1;
    std::vector<uint64_t> sums_;
    std::vector<uint32_t> counts_;
};
