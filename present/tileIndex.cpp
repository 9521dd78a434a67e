#include "present/tileIndex.h"

#include "engine/jpcAnalyzer.h"

#include <algorithm>

TileIndex::TileIndex(const jpcAnalyzer& analyzer)
{
    constexpr uint8_t soc = 0x4F, sot = 0x90, eoc = 0xD9;
    const std::vector<uint32_t>& offsets = analyzer.getMarkerOffsets();
    const ByteImage& image = analyzer.getImage();
    const int count = static_cast<int>(offsets.size());
    parts_.reserve(analyzer.getDataOffsets().size() + 1);  // a tile-part holds one data block, mostly
    const auto close = [&](int element, uint32_t offset) {
        if (!parts_.empty() && parts_.back().endElement < 0)
            parts_.back().endElement = element, parts_.back().end = offset;
    };
    for (int i = 0; i < count; ++i) {
        if (!analyzer.isMarker(i))
            continue;
        const auto code = static_cast<uint8_t>(analyzer.getMarkerCode(i));
        if (code != soc && code != sot && code != eoc)
            continue;
        close(i, offsets[i]);
        if (code != sot)
            continue;
        TilePart part{i, -1, offsets[i], 0, 0, false};
        try {
            if (image.contains(uint64_t{offsets[i]} + 4, 2))
                part.Isot = image.be16(uint64_t{offsets[i]} + 4), part.hasIsot = true;
        } catch (const ImageOverrun&) {  // the file was cut on disk since the analysis
        }
        parts_.push_back(part);
    }
    close(count, analyzer.getCodestreamEnd());

    for (const TilePart& part : parts_) {
        if (!part.hasIsot)
            continue;
        if (firstSot_.size() <= part.Isot)
            firstSot_.resize(size_t{part.Isot} + 1, -1);
        if (firstSot_[part.Isot] < 0)
            firstSot_[part.Isot] = part.sot;
    }

    const auto& codes = analyzer.getErrorList();
    const auto& positions = analyzer.getErrorPositions();
    for (size_t e = 0; e < codes.size(); ++e) {
        const auto after = std::upper_bound(parts_.begin(), parts_.end(), positions[e],
                                            [](uint64_t p, const TilePart& part) { return p < part.begin; });
        if (after == parts_.begin())
            continue;
        const TilePart& part = *std::prev(after);
        if (positions[e] < part.end && part.hasIsot)
            faults_.emplace_back(part.Isot, codes[e]);
    }
    std::sort(faults_.begin(), faults_.end());
    faults_.erase(std::unique(faults_.begin(), faults_.end()), faults_.end());
}

const TileIndex::TilePart* TileIndex::partOfElement(int element) const
{
    const auto after = std::upper_bound(parts_.begin(), parts_.end(), element,
                                        [](int e, const TilePart& part) { return e < part.sot; });
    if (after == parts_.begin())
        return nullptr;
    const TilePart& part = *std::prev(after);
    return element < part.endElement ? &part : nullptr;
}

std::optional<uint32_t> TileIndex::tileOfElement(int element) const
{
    const TilePart* part = partOfElement(element);
    if (!part || !part->hasIsot)
        return std::nullopt;
    return part->Isot;
}

std::optional<int> TileIndex::firstTilePart(uint32_t tile) const
{
    if (tile >= firstSot_.size() || firstSot_[tile] < 0)
        return std::nullopt;
    return firstSot_[tile];
}

uint64_t TileIndex::tilesWithParts(uint64_t end) const
{
    const auto last = firstSot_.begin() + static_cast<std::ptrdiff_t>(std::min<uint64_t>(end, firstSot_.size()));
    return static_cast<uint64_t>(std::count_if(firstSot_.begin(), last, [](int sot) { return sot >= 0; }));
}

std::vector<int> TileIndex::faultCodes(uint32_t tile) const
{
    std::vector<int> codes;
    const auto first = std::lower_bound(faults_.begin(), faults_.end(), std::pair<uint32_t, int>(tile, INT32_MIN));
    for (auto f = first; f != faults_.end() && f->first == tile; ++f)
        codes.push_back(f->second);
    return codes;
}

std::vector<uint32_t> TileIndex::faultyTiles() const
{
    std::vector<uint32_t> tiles;
    for (const auto& [tile, code] : faults_)
        if (tiles.empty() || tiles.back() != tile)
            tiles.push_back(tile);
    return tiles;
}
