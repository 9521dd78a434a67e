#include "engine/packetMap.h"

#include "engine/jpcAnalyzer.h"
#include "engine/packetFaults.h"

#include <algorithm>

namespace {

constexpr uint32_t none = UINT32_MAX;

// Segments of one kind in the order their Z index gives (stream order among equal ones).
std::vector<uint32_t> byZIndex(const ByteImage& image, std::vector<uint32_t> segments)
{
    std::stable_sort(segments.begin(), segments.end(), [&](uint32_t a, uint32_t b) {
        return image.u8(uint64_t{a} + 4) < image.u8(uint64_t{b} + 4);
    });
    return segments;
}

// The bytes after a segment's Z index, within the image.
std::pair<uint64_t, uint64_t> bytesAfterZ(const ByteImage& image, uint32_t p)
{
    const uint64_t end = std::min<uint64_t>(uint64_t{p} + 2 + image.be16(uint64_t{p} + 2), image.size());
    return {std::min<uint64_t>(uint64_t{p} + 5, end), end};
}

}  // namespace

struct PacketMap::Part {
    uint32_t sotElement;
    uint32_t dataElement;  // none for a tile-part without SOD
    uint16_t Isot;
    uint16_t partOfTile;
};

// The data of the PPM or PLM segments, one run on from the next in Z order, cut into one group of
// bytes per tile-part in stream order: Nppm (four bytes) or Nplm (one) before each.
struct PacketMap::Packed {
    struct Chunk {
        uint64_t at;  // in the joined data
        uint64_t start, end;
        uint32_t segment;
    };
    struct Group {
        uint64_t start, length;
    };
    std::vector<Chunk> chunks;
    std::vector<Group> groups;
    uint64_t size = 0;

    Packed(const ByteImage& image, const std::vector<uint32_t>& segments, int countBytes)
    {
        for (uint32_t p : byZIndex(image, segments)) {
            const auto [start, end] = bytesAfterZ(image, p);
            if (start < end) {
                chunks.push_back({size, start, end, p});
                size += end - start;
            }
        }
        for (uint64_t at = 0; at + countBytes <= size;) {
            uint64_t count = 0;
            for (int k = 0; k < countBytes; ++k)
                count = count << 8 | image.u8(fileAt(at + k));
            const uint64_t start = at + countBytes;
            groups.push_back({start, std::min(count, size - start)});
            at = start + count;
        }
    }

    const Chunk& chunkAt(uint64_t at) const
    {
        return *(std::upper_bound(chunks.begin(), chunks.end(), at,
                                  [](uint64_t v, const Chunk& c) { return v < c.at; }) -
                 1);
    }
    uint64_t fileAt(uint64_t at) const
    {
        const Chunk& c = chunkAt(at);
        return c.start + (at - c.at);
    }
    ByteRuns runs(size_t group) const
    {
        ByteRuns out;
        if (group >= groups.size())
            return out;
        const uint64_t start = groups[group].start, end = start + groups[group].length;
        for (auto c = chunks.begin() + (&chunkAt(start) - chunks.data()); c != chunks.end() && c->at < end; ++c) {
            const uint64_t from = std::max(start, c->at), to = std::min(end, c->at + (c->end - c->start));
            if (from < to)
                out.add(c->start + (from - c->at), c->start + (to - c->at));
        }
        return out;
    }
    uint32_t segmentOf(size_t group) const
    {
        return group < groups.size() && groups[group].start < size ? chunkAt(groups[group].start).segment : 0;
    }
};

PacketMap::PacketMap(const jpcAnalyzer& analyzer) : analyzer_(analyzer), main_(std::make_unique<CodingSegments>())
{
    const ByteImage& image = analyzer.getImage();
    const auto& offsets = analyzer.getMarkerOffsets();
    const int n = static_cast<int>(offsets.size());
    std::vector<uint32_t> ppms, plms;
    int i = 0;
    try {
        for (; i < n; ++i) {
            if (!analyzer.isMarker(i))
                continue;
            const uint8_t code = analyzer.getElementCode(i).value_or(0);
            if (code == 0x90 || code == 0xD9)
                break;
            if (code == 0x51 && !grid_)
                if (auto grid = GridInfo::read(image, offsets[i]))
                    grid_ = std::make_unique<GridInfo>(*grid);
            if (code == 0x60)
                ppms.push_back(offsets[i]);
            if (code == 0x57)
                plms.push_back(offsets[i]);
            main_->add(code, offsets[i]);
        }
        std::vector<uint16_t> partsSoFar(65536, 0);
        for (; i < n; ++i) {
            if (!analyzer.isMarker(i) || analyzer.getElementCode(i) != 0x90)
                continue;
            Part part{static_cast<uint32_t>(i), none, image.be16(uint64_t{offsets[i]} + 4), 0};
            part.partOfTile = partsSoFar[part.Isot]++;
            for (int j = i + 1; j < n; ++j) {
                if (!analyzer.isMarker(j)) {
                    part.dataElement = static_cast<uint32_t>(j);
                    break;
                }
                const auto code = analyzer.getElementCode(j);
                if (code == 0x90 || code == 0xD9)
                    break;
            }
            if (part.partOfTile == 0)
                tiles_.push_back(part.Isot);
            parts_.push_back(part);
        }
        ppm_ = std::make_unique<Packed>(image, ppms, 4);
        plm_ = std::make_unique<Packed>(image, plms, 1);
    } catch (const ImageOverrun&) {
        // The walk entered every element inside the file; a file cut under the engine leaves the
        // tiles found so far.
        if (!ppm_)
            ppm_ = std::make_unique<Packed>(image, std::vector<uint32_t>{}, 4);
        if (!plm_)
            plm_ = std::make_unique<Packed>(image, std::vector<uint32_t>{}, 1);
    }
    partsByTile_.resize(parts_.size());
    for (uint32_t k = 0; k < parts_.size(); ++k)
        partsByTile_[k] = k;
    std::stable_sort(partsByTile_.begin(), partsByTile_.end(),
                     [&](uint32_t a, uint32_t b) { return parts_[a].Isot < parts_[b].Isot; });
    tileFirst_.assign(tiles_.empty() ? 0 : *std::max_element(tiles_.begin(), tiles_.end()) + 1u, none);
    for (uint32_t k = parts_.size(); k-- > 0;)
        tileFirst_[parts_[partsByTile_[k]].Isot] = k;
}

PacketMap::~PacketMap() = default;

std::optional<TilePartPlace> PacketMap::placeOfData(int index) const
{
    const auto after = std::upper_bound(parts_.begin(), parts_.end(), index,
                                        [](int i, const Part& p) { return i < int(p.sotElement); });
    if (after == parts_.begin() || int((after - 1)->dataElement) != index)
        return std::nullopt;
    return TilePartPlace{(after - 1)->Isot, (after - 1)->partOfTile};
}

TileSource PacketMap::sourceOf(uint16_t tile, CodingSegments& segments, bool& misplaced) const
{
    const ByteImage& image = analyzer_.getImage();
    const auto& offsets = analyzer_.getMarkerOffsets();
    const int n = static_cast<int>(offsets.size());
    TileSource source;
    source.tile = tile;
    source.packedHeaders = !ppm_->chunks.empty();
    if (tile >= tileFirst_.size() || tileFirst_[tile] == none)
        return source;
    for (uint32_t k = tileFirst_[tile]; k < partsByTile_.size() && parts_[partsByTile_[k]].Isot == tile; ++k) {
        const uint32_t ordinal = partsByTile_[k];
        const Part& part = parts_[ordinal];
        TilePartSource out;
        out.sot = offsets[part.sotElement];
        if (part.dataElement != none) {
            out.dataStart = offsets[part.dataElement];
            out.dataEnd = part.dataElement + 1 < offsets.size() ? offsets[part.dataElement + 1]
                                                                : analyzer_.getCodestreamEnd();
        }
        std::vector<uint32_t> ppts, plts;
        const int last = part.dataElement != none ? int(part.dataElement) : n;
        for (int j = int(part.sotElement) + 1; j < last; ++j) {
            const uint8_t code = analyzer_.getElementCode(j).value_or(0);
            if (code == 0x90 || code == 0xD9)
                break;
            if (code == 0x61)
                ppts.push_back(offsets[j]);
            else if (code == 0x58)
                plts.push_back(offsets[j]);
            else if (part.partOfTile == 0)
                segments.add(code, offsets[j]);
            else if (code == 0x5F)
                segments.poc.push_back(offsets[j]);
            else {
                // Only the first tile-part of a tile may set its coding.
                CodingSegments later;
                later.add(code, offsets[j]);
                misplaced = misplaced || later.setsComponentCoding();
            }
        }
        if (source.packedHeaders) {
            out.headers = ppm_->runs(ordinal);
        } else if (!ppts.empty()) {
            source.packedHeaders = true;
            for (uint32_t p : byZIndex(image, ppts)) {
                const auto [start, end] = bytesAfterZ(image, p);
                out.headers.add(start, end);
            }
        }
        if (!plts.empty()) {
            for (uint32_t p : byZIndex(image, plts)) {
                const auto [start, end] = bytesAfterZ(image, p);
                out.lengths.add(start, end);
            }
            out.lengthsAt = plts.front();
        } else if (ordinal < plm_->groups.size()) {
            out.lengths = plm_->runs(ordinal);
            out.lengthsAt = plm_->segmentOf(ordinal);
            out.lengthsFromPlm = true;
        }
        source.parts.push_back(std::move(out));
    }
    return source;
}

CodingOutcome PacketMap::codingOf(uint16_t tile, TileSource& source) const
{
    CodingSegments segments;
    bool misplaced = false;
    source = sourceOf(tile, segments, misplaced);
    if (!grid_ || misplaced)
        return {{}, packetFault::unusableCoding};
    return assembleTileCoding(analyzer_.getImage(), grid_->Csiz, *main_, segments);
}

int PacketMap::readTile(uint16_t tile, WorkBudget& budget, const std::function<void(const Packet&)>& visit,
                        std::vector<PacketFinding>& findings)
{
    try {
        TileSource source;
        const CodingOutcome coding = codingOf(tile, source);
        if (source.parts.empty())
            return 0;
        if (coding.stop == 0 && !budget.spend(4 * uint64_t{grid_->Csiz})) {
            findings.push_back({packetFault::tooLarge, source.parts[0].sot});
            return packetFault::tooLarge;
        }
        if (coding.stop != 0) {
            findings.push_back({coding.stop, source.parts[0].sot});
            return coding.stop;
        }
        return readTilePackets(analyzer_.getImage(), *grid_, coding.coding, source, budget, visit, findings);
    } catch (const ImageOverrun&) {
        return 0;  // the file changed under the engine; the engine reports that
    }
}

const TilePackets& PacketMap::tilePackets(uint16_t tile)
{
    WorkBudget budget(budgetFor(analyzer_.getCodestreamEnd() - analyzer_.getCodestreamStart()));
    return tilePackets(tile, budget);
}

const TilePackets& PacketMap::tilePackets(uint16_t tile, WorkBudget& budget)
{
    if (cached_ && cached_->tile == tile)
        return *cached_;
    cached_.reset();
    TilePackets out;
    out.tile = tile;
    out.stop = readTile(tile, budget, [&](const Packet& p) { out.packets.push_back(p); }, out.findings);
    uint32_t parts = 0;
    if (tile < tileFirst_.size() && tileFirst_[tile] != none)
        for (uint32_t k = tileFirst_[tile]; k < partsByTile_.size() && parts_[partsByTile_[k]].Isot == tile; ++k)
            ++parts;
    out.partStart.assign(parts + 1, 0);
    for (const Packet& p : out.packets)
        ++out.partStart[p.part + 1];
    for (uint32_t k = 0; k < parts; ++k)
        out.partStart[k + 1] += out.partStart[k];
    cached_ = std::move(out);
    return *cached_;
}

std::optional<std::pair<uint16_t, uint32_t>> PacketMap::packetAt(uint64_t offset)
{
    const auto& offsets = analyzer_.getMarkerOffsets();
    const auto after = std::upper_bound(offsets.begin(), offsets.end(), offset);
    if (after == offsets.begin())
        return std::nullopt;
    int index = int(after - offsets.begin()) - 1;
    // An empty data block shares its offset with the marker after it.
    while (index > 0 && offsets[index - 1] == offsets[index] && analyzer_.isMarker(index))
        --index;
    const auto place = placeOfData(index);
    if (!place)
        return std::nullopt;
    const TilePackets& tile = tilePackets(place->tile);
    if (place->part + 1u >= tile.partStart.size())
        return std::nullopt;
    const auto first = tile.packets.begin() + tile.partStart[place->part];
    const auto last = tile.packets.begin() + tile.partStart[place->part + 1];
    const auto at = std::upper_bound(first, last, offset, [](uint64_t o, const Packet& p) { return o < p.offset; });
    if (at == first || offset >= (at - 1)->bodyEnd)
        return std::nullopt;
    return std::make_pair(place->tile, uint32_t(at - 1 - tile.packets.begin()));
}

std::vector<CodeBlockContribution> PacketMap::codeBlocks(uint16_t tile, uint32_t index)
{
    const TilePackets& packets = tilePackets(tile);
    if (index >= packets.packets.size())
        return {};
    try {
        TileSource source;
        const CodingOutcome coding = codingOf(tile, source);
        if (coding.stop != 0)
            return {};
        return packetCodeBlocks(analyzer_.getImage(), *grid_, coding.coding, source, packets.packets, index);
    } catch (const ImageOverrun&) {
        return {};
    }
}

std::optional<Area> PacketMap::precinctArea(uint16_t tile, const Packet& packet) const
{
    try {
        TileSource source;
        const CodingOutcome coding = codingOf(tile, source);
        if (coding.stop != 0)
            return std::nullopt;
        const Area area =
            TileGeometry::build(*grid_, tile, coding.coding).precinctOnGrid(packet.component, packet.resolution, packet.precinct);
        return area.empty() ? std::nullopt : std::optional(area);
    } catch (const ImageOverrun&) {
        return std::nullopt;
    }
}
