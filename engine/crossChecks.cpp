// Checks that relate fields to each other and to the stream, where the field checks look at one
// field at a time: the image and tile grid of SIZ, the precinct sizes of each resolution, the
// segments a tile-part header after the first of its tile may hold, the tile-parts against the tile
// count and against each other, TLM and PLT against the tile-parts found, and the text of comments.
// They run once the walk reached EOC, after the field checks, and only record.

#include "engine/jpcAnalyzer.h"
#include "engine/tlmLayout.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

// What the checks keep of one SOT: a few bytes each, as a stream may hold millions of them.
struct TilePart {
    uint32_t sot;
    uint16_t Isot;
    uint8_t TNsot;
    bool inOrder;  // TPsot equals the number of the tile's tile-parts before this one
};

struct Tile {
    uint64_t packetBytes = 0;  // sum of the packet lengths of its PLT segments
    uint32_t dataBytes = 0;    // sum of its data blocks, which lie inside the file
    uint32_t parts = 0;
    uint32_t partsWithPlt = 0;
    uint32_t firstPlt = 0;  // 0 while it has none: offset 0 holds SOC
};

// Latin-1 control characters; tab, line feed and carriage return belong to text.
bool isControlByte(uint8_t b)
{
    return b <= 0x08 || b == 0x0B || b == 0x0C || (b >= 0x0E && b <= 0x1F) || (b >= 0x7F && b <= 0x9F);
}

class CrossChecks {
public:
    // `siz`: the SIZ the walk accepted, if any; `tileCount`: the count the walk stepped by, 0 for none.
    // `dataEntry`: per element, entered for a data block.
    CrossChecks(const jpcAnalyzer& a, const std::vector<bool>& dataEntry, std::optional<uint32_t> siz,
                double tileCount, ErrorLog& log)
        : a_(a), image_(a.getImage()), offsets_(a.getMarkerOffsets()), dataEntry_(dataEntry), siz_(siz),
          tileCount_(tileCount), log_(log)
    {
    }

    void run()
    {
        if (siz_)
            checkGrid(*siz_);
        scanElements();
        for (const auto& [code, p] : segmentFaults_)
            log_.record(code, p);
        if (tilePartsAccounted_) {
            checkTileParts();
            checkEveryTilePresent();
            checkTlm();
            checkPlt();
        }
        for (uint32_t p : commentsWithControls_)
            log_.record(12007, p);
    }

private:
    static constexpr uint32_t noTile = UINT32_MAX;

    uint8_t codeAt(uint32_t p) const { return image_.u8(uint64_t{p} + 1); }
    uint32_t eoc() const { return offsets_.back(); }

    // The image area must lie on the reference grid and the first tile must overlap it:
    // XTOsiz ≤ XOsiz < XTOsiz + XTsiz and XOsiz < Xsiz, likewise vertically.
    void checkGrid(uint64_t S)
    {
        const auto field = [&](uint32_t offset) { return uint64_t{image_.be32(S + offset)}; };
        const uint64_t Xsiz = field(6), Ysiz = field(10), XOsiz = field(14), YOsiz = field(18);
        const uint64_t XTsiz = field(22), YTsiz = field(26), XTOsiz = field(30), YTOsiz = field(34);
        const bool consistent = XOsiz < Xsiz && YOsiz < Ysiz && XTOsiz <= XOsiz && YTOsiz <= YOsiz &&
                                XTOsiz + XTsiz > XOsiz && YTOsiz + YTsiz > YOsiz;
        if (!consistent)
            log_.record(12008, S);
    }

    // Gathers the tile-parts, the main header's TLM segments, each tile's PLT and data bytes, and
    // the comments that fail, in one run over the elements.
    void scanElements()
    {
        // One data block per tile-part, nearly always, so the tables are not moved while they fill;
        // tile numbers usually run from 0 up, so the table by Isot stays as small as the tile count.
        const size_t expectedParts = a_.getDataOffsets().size();
        tileParts_.reserve(expectedParts);
        tiles_.reserve(expectedParts);
        tileOfIsot_.reserve(std::min<size_t>(expectedParts, 65536));
        uint32_t tile = 0;  // of the current tile-part
        bool inTilePartHeader = false;
        bool partHasPlt = false;
        for (size_t i = 0; i < offsets_.size(); ++i) {
            const uint32_t p = offsets_[i];
            if (dataEntry_[i]) {
                // A data block reaches the next element; the walk ends at EOC, so there is one.
                if (tilePartsAccounted_ && !tileParts_.empty() && i + 1 < offsets_.size())
                    tiles_[tile].dataBytes += offsets_[i + 1] - p;
                continue;
            }
            switch (codeAt(p)) {
            case 0x52:  // COD
            case 0x53:  // COC
                if (zeroPrecinctAboveResolution0(p))
                    segmentFaults_.emplace_back(12009, p);
                [[fallthrough]];
            case 0x5C:  // QCD
            case 0x5D:  // QCC
            case 0x5E:  // RGN
                if (inLaterTilePartHeader_)
                    segmentFaults_.emplace_back(12010, p);
                break;
            case 0x64:  // COM
                if (textWithControls(p))
                    commentsWithControls_.push_back(p);
                break;
            case 0x55:  // TLM
                if (tileParts_.empty())
                    tlms_.push_back(p);
                break;
            case 0x60:  // PPM
            case 0x61:  // PPT
                packedHeaders_ = true;
                break;
            case 0x58:  // PLT
                if (!inTilePartHeader)
                    break;
                addPlt(tiles_[tile], p, partHasPlt);
                partHasPlt = true;
                break;
            case 0x93:  // SOD
                inTilePartHeader = inLaterTilePartHeader_ = false;
                break;
            case 0x90: {
                markTilePartOrder(p);
                // An SOT too short to hold TPsot and TNsot leaves nothing to account tile-parts by.
                if (tilePartsAccounted_ && image_.be16(uint64_t{p} + 2) < 10)
                    tilePartsAccounted_ = inTilePartHeader = false;
                if (!tilePartsAccounted_)
                    break;
                const uint16_t Isot = image_.be16(uint64_t{p} + 4);
                if (Isot >= tileOfIsot_.size())
                    tileOfIsot_.resize(std::clamp<size_t>(2 * tileOfIsot_.size(), Isot + 1u, 65536), noTile);
                if (tileOfIsot_[Isot] == noTile) {
                    tileOfIsot_[Isot] = static_cast<uint32_t>(tiles_.size());
                    tiles_.emplace_back();
                    if (Isot < tileCount_)
                        ++tilesInGrid_;
                }
                tile = tileOfIsot_[Isot];
                const bool inOrder = image_.u8(uint64_t{p} + 10) == tiles_[tile].parts++;
                tileParts_.push_back({p, Isot, image_.u8(uint64_t{p} + 11), inOrder});
                inTilePartHeader = true;
                partHasPlt = false;
                break;
            }
            default:
                break;
            }
        }
    }

    // Whether this tile-part follows another of its tile in the stream; the walk let no SOT too short
    // for Isot through.
    void markTilePartOrder(uint64_t sot)
    {
        if (tileSeen_.empty())
            tileSeen_.resize(65536);
        const uint16_t Isot = image_.be16(sot + 4);
        inLaterTilePartHeader_ = tileSeen_[Isot];
        tileSeen_[Isot] = true;
    }

    // PPx and PPy may be 0 at resolution 0 only. The precinct sizes of a COD (Scod bit 0) start at
    // 14; those of a COC (Scoc bit 0) at 11, or 12 where Ccoc takes two bytes.
    bool zeroPrecinctAboveResolution0(uint32_t at) const
    {
        const uint64_t p = at;
        uint64_t S = p + 4, NL = p + 9, sizes = p + 14;
        if (codeAt(at) == 0x53) {
            if (!siz_)
                return false;
            const uint64_t Ccoc = image_.be16(uint64_t{*siz_} + 38) < 257 ? 1 : 2;
            S = p + 4 + Ccoc, NL = p + 5 + Ccoc, sizes = p + 10 + Ccoc;
        }
        const uint64_t end = std::min<uint64_t>(p + 2 + image_.be16(p + 2), image_.size());
        if (NL >= end || !(image_.u8(S) & 1))
            return false;
        const uint8_t levels = image_.u8(NL);
        for (uint64_t r = 1; r <= levels && sizes + r < end; ++r) {
            const uint8_t PP = image_.u8(sizes + r);
            if ((PP & 0x0F) == 0 || (PP >> 4) == 0)
                return true;
        }
        return false;
    }

    // Packet lengths as the PLT text decodes them, within the segment.
    void addPlt(Tile& tile, uint32_t p, bool partCounted)
    {
        const uint64_t end = uint64_t{p} + 2 + image_.be16(uint64_t{p} + 2);
        for (uint64_t q = uint64_t{p} + 5; q < end;) {
            uint32_t used = 0;
            tile.packetBytes += a_.decodeVarLength(q, end, used);
            q += used;
        }
        if (tile.firstPlt == 0)
            tile.firstPlt = p;
        if (!partCounted)
            ++tile.partsWithPlt;
    }

    // Each kind in stream order, all of one kind before the next.
    void checkTileParts()
    {
        if (tileCount_ != 0)
            for (const TilePart& part : tileParts_)
                if (part.Isot >= tileCount_)
                    log_.record(12001, part.sot);
        for (const TilePart& part : tileParts_)
            if (!part.inOrder)
                log_.record(12002, part.sot);
        for (const TilePart& part : tileParts_)
            if (part.TNsot != 0 && part.TNsot != tiles_[tileOfIsot_[part.Isot]].parts)
                log_.record(12003, part.sot);
    }

    void checkEveryTilePresent()
    {
        if (tileCount_ != 0 && tilesInGrid_ < tileCount_)
            log_.record(12004, eoc());
    }

    // The TLM pairs, taken in Ztlm order, stand for the tile-parts in stream order.
    void checkTlm()
    {
        if (tlms_.empty())
            return;
        for (int code : {10801, 10802, 10804, 10805})
            if (log_.contains(code))
                return;
        std::vector<uint32_t> byZtlm = tlms_;
        std::stable_sort(byZtlm.begin(), byZtlm.end(), [&](uint32_t x, uint32_t y) {
            return image_.u8(uint64_t{x} + 4) < image_.u8(uint64_t{y} + 4);
        });
        uint64_t pairs = 0;
        for (uint32_t p : byZtlm)
            pairs += TlmLayout(image_.u8(uint64_t{p} + 5)).pairCount(image_.be16(uint64_t{p} + 2));
        if (pairs != tileParts_.size()) {
            log_.record(12005, tlms_.front());
            return;
        }
        uint32_t index = 0;
        for (uint32_t p : byZtlm) {
            const TlmLayout layout(image_.u8(uint64_t{p} + 5));
            const int count = layout.pairCount(image_.be16(uint64_t{p} + 2));
            for (int j = 0; j < count; ++j, ++index) {
                const uint64_t ttlmAt = uint64_t{p} + layout.ttlmOffset(j);
                const uint64_t ptlmAt = uint64_t{p} + layout.ptlmOffset(j);
                const uint32_t Ttlm = layout.ST == 0 ? index : layout.ST == 1 ? image_.u8(ttlmAt) : image_.be16(ttlmAt);
                const uint32_t Ptlm = layout.longPtlm ? image_.be32(ptlmAt) : image_.be16(ptlmAt);
                const TilePart& part = tileParts_[index];
                // Psot 0: the last tile-part, reaching to EOC.
                const uint32_t Psot = image_.be32(uint64_t{part.sot} + 6);
                const uint32_t length = Psot != 0 ? Psot : eoc() - part.sot;
                if (Ttlm != part.Isot || Ptlm != length) {
                    log_.record(12005, part.sot);
                    return;
                }
            }
        }
    }

    // Packet lengths may be signalled for a later tile-part of the same tile, and a tile-part may
    // signal none: only a sum beyond the data, or a difference where every tile-part has a PLT, is
    // a fault.
    void checkPlt()
    {
        if (packedHeaders_ || log_.contains(11001))
            return;
        for (const Tile& tile : tiles_) {
            if (tile.firstPlt == 0)
                continue;
            const bool everyPart = tile.partsWithPlt == tile.parts;
            if (tile.packetBytes > tile.dataBytes || (everyPart && tile.packetBytes != tile.dataBytes))
                log_.record(12006, tile.firstPlt);
        }
    }

    // A Latin-1 comment (Rcme 1) holds text, which has no control characters.
    bool textWithControls(uint64_t p) const
    {
        const uint16_t Lcom = image_.be16(p + 2);
        if (Lcom < 4 || image_.be16(p + 4) != 1)
            return false;
        const uint64_t end = std::min<uint64_t>(p + 2 + Lcom, image_.size());
        for (uint64_t q = p + 6; q < end; ++q)
            if (isControlByte(image_.u8(q)))
                return true;
        return false;
    }

    const jpcAnalyzer& a_;
    const ByteImage& image_;
    const std::vector<uint32_t>& offsets_;
    const std::vector<bool>& dataEntry_;
    const std::optional<uint32_t> siz_;
    const double tileCount_;
    ErrorLog& log_;

    std::vector<uint32_t> tlms_;  // main header, stream order
    std::vector<TilePart> tileParts_;
    std::vector<Tile> tiles_;  // in order of first appearance
    std::vector<uint32_t> tileOfIsot_;  // index into tiles_, or noTile
    uint32_t tilesInGrid_ = 0;          // distinct Isot below the tile count
    bool tilePartsAccounted_ = true;
    bool packedHeaders_ = false;
    std::vector<uint32_t> commentsWithControls_;
    // Precinct sizes (12009) and segments of a later tile-part header (12010), in element order.
    std::vector<std::pair<int, uint32_t>> segmentFaults_;
    std::vector<bool> tileSeen_;  // by Isot
    bool inLaterTilePartHeader_ = false;
};

}  // namespace

void jpcAnalyzer::runCrossChecks()
{
    // Only SOC and markers without a segment can stand before the SIZ the walk accepted.
    std::optional<uint32_t> siz;
    for (size_t i = 0; i < markerOffsets.size() && !siz; ++i)
        if (!dataEntry[i] && image.u8(uint64_t{markerOffsets[i]} + 1) == 0x51)
            siz = markerOffsets[i];
    // The walk reads the tile grid from element 1; where that is no SIZ, its count means nothing.
    const bool gridAtElement1 = siz && markerOffsets[1] == *siz;
    try {
        CrossChecks(*this, dataEntry, siz, gridAtElement1 ? tileCount() : 0.0, errorList).run();
    } catch (const ImageOverrun&) {
        // Every segment the walk stepped over lies inside the file; should a read still fail, the
        // checks end with what they found.
    }
}
