#include "decode/previewReply.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char magic[4] = {'T', '3', 'P', 'V'};

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void putText(std::vector<uint8_t>& out, const std::string& text)
{
    const size_t length = std::min<size_t>(text.size(), previewReply::maxTextBytes);
    put32(out, static_cast<uint32_t>(length));
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
}

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool u32(uint32_t& value)
    {
        if (bytes_.size() - pos_ < 4)
            return false;
        value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | bytes_[pos_ + static_cast<size_t>(i)];
        pos_ += 4;
        return true;
    }
    bool take(uint64_t count, std::span<const uint8_t>& out)
    {
        if (bytes_.size() - pos_ < count)
            return false;
        out = bytes_.subspan(pos_, static_cast<size_t>(count));
        pos_ += static_cast<size_t>(count);
        return true;
    }
    bool text(std::string& out)
    {
        uint32_t length = 0;
        std::span<const uint8_t> chars;
        if (!u32(length) || length > previewReply::maxTextBytes || !take(length, chars))
            return false;
        out.assign(chars.begin(), chars.end());
        return true;
    }
    bool atEnd() const { return pos_ == bytes_.size(); }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

bool parsePicture(Reader& in, PreviewPicture& picture, std::string& why)
{
    ImageRegion& region = picture.region;
    uint32_t tileCount = 0;
    if (!in.u32(picture.width) || !in.u32(picture.height) || !in.u32(picture.channels) ||
        !in.u32(picture.reduction) || !in.u32(region.x0) || !in.u32(region.y0) || !in.u32(region.x1) ||
        !in.u32(region.y1) || !in.u32(picture.component) || !in.u32(tileCount)) {
        why = "header cut short";
        return false;
    }
    const uint64_t pixelBytes = uint64_t{picture.width} * picture.height * picture.channels;
    if (picture.width == 0 || picture.height == 0 || picture.width > previewReply::maxSide ||
        picture.height > previewReply::maxSide || (picture.channels != 1 && picture.channels != 3) ||
        pixelBytes > previewReply::maxPixelBytes || picture.reduction > 32 || region.x1 <= region.x0 ||
        region.y1 <= region.y0 || tileCount > previewReply::maxTiles) {
        why = "picture header out of range";
        return false;
    }
    picture.tiles.clear();
    for (uint32_t i = 0; i < tileCount; ++i) {
        uint32_t tile = 0, fault = 0;
        if (!in.u32(tile) || !in.u32(fault) || fault < 1 || fault > 3) {
            why = "bad tile list";
            return false;
        }
        picture.tiles.push_back({tile, static_cast<TileFault>(fault)});
    }
    std::span<const uint8_t> pixels;
    if (!in.text(picture.note) || !in.take(pixelBytes, pixels)) {
        why = "pixels cut short";
        return false;
    }
    picture.pixels.assign(pixels.begin(), pixels.end());
    return true;
}

}  // namespace

std::vector<uint8_t> encodeReply(const PreviewOutcome& outcome)
{
    std::vector<uint8_t> out(magic, magic + 4);
    put32(out, previewReply::version);
    put32(out, outcome.decoded ? 0 : 1);
    if (!outcome.decoded) {
        putText(out, outcome.message);
        return out;
    }
    const PreviewPicture& p = outcome.picture;
    for (uint32_t value : {p.width, p.height, p.channels, p.reduction, p.region.x0, p.region.y0, p.region.x1,
                           p.region.y1, p.component, static_cast<uint32_t>(p.tiles.size())})
        put32(out, value);
    for (const TileState& tile : p.tiles) {
        put32(out, tile.tile);
        put32(out, static_cast<uint32_t>(tile.fault));
    }
    putText(out, p.note);
    out.insert(out.end(), p.pixels.begin(), p.pixels.end());
    return out;
}

bool parseReply(std::span<const uint8_t> bytes, PreviewOutcome& outcome, std::string& why)
{
    Reader in(bytes);
    std::span<const uint8_t> head;
    uint32_t version = 0, kind = 0;
    if (!in.take(4, head) || std::memcmp(head.data(), magic, 4) != 0) {
        why = "no reply header";
        return false;
    }
    if (!in.u32(version) || version != previewReply::version || !in.u32(kind) || kind > 1) {
        why = "unknown reply version or kind";
        return false;
    }
    outcome.decoded = kind == 0;
    if (outcome.decoded ? !parsePicture(in, outcome.picture, why) : !in.text(outcome.message)) {
        if (why.empty())
            why = "message cut short";
        return false;
    }
    if (!in.atEnd()) {
        why = "bytes after the reply";
        return false;
    }
    return true;
}
