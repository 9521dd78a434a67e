#pragma once
// The reply of tarvik3-decode on its standard output, read by the window. Every integer is 32 bits,
// little-endian:
//
//   "T3PV", version (1), kind (0 picture, 1 failure)
//   picture: width, height, channels (1 grey, 3 RGB), reduction, region x0, y0, x1, y1 (the part of
//            the image the picture shows, on the reference grid), component shown as grey (or
//            allComponents), tile count, then per tile: index, fault; note length, note (UTF-8);
//            width × height × channels bytes, rows top-down, RGB interleaved
//   failure: message length, message (UTF-8)
//
// Nothing may follow. A reader takes only what these limits allow, so that a damaged or hostile
// reply cannot make it allocate without end.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace previewReply {

constexpr uint32_t version = 1;
constexpr uint32_t maxSide = 1u << 16;
constexpr uint64_t maxPixelBytes = 64ull << 20;
constexpr uint32_t maxTiles = 1u << 16;
constexpr uint32_t maxTextBytes = 64u << 10;
constexpr uint32_t allComponents = 0xFFFFFFFFu;

}  // namespace previewReply

enum class TileFault : uint32_t {
    missing = 1,  // the stream holds no tile-part of it, or ended before it
    failed = 2,   // its header or data could not be decoded
    damaged = 3,  // decoded, but the decoder reported faults in its data
};

struct TileState {
    uint32_t tile;
    TileFault fault;
    bool operator==(const TileState&) const = default;
};

struct ImageRegion {
    uint32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool operator==(const ImageRegion&) const = default;
};

struct PreviewPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 1;
    uint32_t reduction = 0;
    ImageRegion region;
    uint32_t component = previewReply::allComponents;
    std::vector<TileState> tiles;  // only the tiles that were not decoded cleanly
    std::string note;
    std::vector<uint8_t> pixels;
};

// A picture, or the reason there is none.
struct PreviewOutcome {
    bool decoded = false;
    PreviewPicture picture;
    std::string message;
};

std::vector<uint8_t> encodeReply(const PreviewOutcome& outcome);

// The whole reply, or nothing with `why` set: truncated, trailing bytes, a field out of its range.
bool parseReply(std::span<const uint8_t> bytes, PreviewOutcome& outcome, std::string& why);
