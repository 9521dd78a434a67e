#pragma once
// Decodes a codestream from a range of an open file into an 8-bit preview, at the resolution that
// fits the requested size, within a budget of decoded samples: the picture never holds more than
// about 4 megapixels. Where the resolution levels do not allow that much reduction, the tiles are
// decoded one at a time and made smaller as they come, or a chosen area is decoded alone; where
// neither fits, the outcome says why. Truncated and damaged streams give what can be decoded, with
// the tiles that were missing, failed or damaged.

#include "decode/pictureRendering.h"
#include "decode/previewReply.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace decodeBudget {
constexpr uint64_t maxPlanePixels = 4ull << 20;
constexpr uint64_t maxSamples = 4 * maxPlanePixels;  // over all components
}  // namespace decodeBudget

struct DecodeRequest {
    int fd = -1;
    uint64_t offset = 0;
    uint64_t length = 0;
    uint32_t fitWidth = 1024;
    uint32_t fitHeight = 1024;
    std::optional<uint32_t> reduction;  // instead of the one that fits
    std::optional<ImageRegion> area;    // on the reference grid
    std::optional<uint32_t> tile;
    std::optional<uint32_t> component;
    ColourHint colour = ColourHint::none;
    int threads = 1;
};

PreviewOutcome decodeCodestream(const DecodeRequest& request);

// The largest reduction whose picture still covers the box the whole image is fitted into, then
// more while its planes exceed the budget; never above maxReduction.
uint32_t chooseReduction(const ImageRegion& region, uint32_t fitWidth, uint32_t fitHeight, uint32_t maxReduction);

// The region's width and height at a reduction, and their product.
std::pair<uint32_t, uint32_t> reducedSides(const ImageRegion& region, uint32_t reduction);
uint64_t reducedPixels(const ImageRegion& region, uint32_t reduction);
// No more than 4 megapixels, and no side longer than a reply may hold.
bool withinBudget(const ImageRegion& region, uint32_t reduction);
