#pragma once
// Decoded samples to an 8-bit picture, as a viewer shows them: YCC with subsampled chroma (or so
// declared) turned into RGB, subsampled components repeated over the image grid, three components
// of one size shown in colour and anything else as grey, every depth scaled to 8 bits with signed
// samples offset to unsigned first.

#include "decode/samplePlanes.h"

#include <cstdint>
#include <optional>

// What the file says of its colours, where it says anything (the colour box of a JP2 file).
enum class ColourHint { none, srgb, grey, sycc };

struct RenderedPicture {
    uint32_t width = 0, height = 0, channels = 1;
    std::vector<uint8_t> pixels;
};

// `component` asks for one component as grey; nothing when it does not exist.
std::optional<RenderedPicture> renderPicture(SamplePlanes planes, ColourHint hint,
                                             std::optional<uint32_t> component = std::nullopt);

// The same picture made smaller to fit a box, each output pixel the mean of the pixels it covers;
// never enlarged.
RenderedPicture fitPicture(const RenderedPicture& picture, uint32_t maxWidth, uint32_t maxHeight);
