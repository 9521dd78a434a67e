#pragma once
// Decoded samples at full precision, one plane per component, as the decoder left them at the
// resolution it decoded.

#include <cstddef>
#include <cstdint>
#include <vector>

inline uint32_t ceilDiv(uint32_t a, uint32_t b) { return static_cast<uint32_t>((uint64_t{a} + b - 1) / b); }
inline uint32_t ceilDivPow2(uint32_t a, uint32_t n)
{
    return static_cast<uint32_t>((uint64_t{a} + (uint64_t{1} << n) - 1) >> n);
}

struct Plane {
    // Of its first sample, in the component's own coordinates (XRsiz, YRsiz) at the decoded resolution.
    uint32_t x0 = 0, y0 = 0;
    uint32_t width = 0, height = 0;
    uint32_t dx = 1, dy = 1;
    uint32_t precision = 8;
    bool isSigned = false;
    std::vector<int32_t> samples;

    int32_t at(uint32_t x, uint32_t y) const { return samples[size_t{y} * width + x]; }
};

// The planes of one rectangle of the image: its corners on the reference grid at full resolution.
struct SamplePlanes {
    uint32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    uint32_t reduction = 0;
    std::vector<Plane> components;
};
