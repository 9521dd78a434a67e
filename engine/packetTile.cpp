#include "engine/packetTile.h"

#include "engine/packetFaults.h"
#include "engine/packetHeader.h"

#include <optional>

namespace {

class TileReader {
public:
    TileReader(const ByteImage& image, const GridInfo& grid, const TileCoding& coding, TileSource& source,
               WorkBudget& budget, const std::function<void(const Packet&)>& visit,
               std::vector<PacketFinding>& findings, const TileLimits& limits)
        : image_(image), grid_(grid), coding_(coding), source_(source), parts_(source.parts), budget_(budget),
          visit_(visit), findings_(findings), limits_(limits)
    {
    }

    int run()
    {
        if (parts_.empty())
            return 0;
        if (!grid_.hasTile(source_.tile))
            return stop(packetFault::unusableCoding, parts_[0].sot);
        // The tile's tables cost their size before a packet is read.
        uint64_t levels = 0;
        for (const ComponentCoding& c : coding_.components)
            levels += c.NL + 1u;
        if (!budget_.spend(16 * levels))
            return stop(packetFault::tooLarge, parts_[0].sot);
        geometry_ = TileGeometry::build(grid_, source_.tile, coding_);
        if (geometry_.precinctCount > limits_.precincts || !budget_.spend(geometry_.precinctCount))
            return stop(packetFault::tooLarge, parts_[0].sot);
        states_.emplace(geometry_.precinctCount, limits_.codeBlocks);
        pos_ = parts_[0].dataStart;
        const OrderEnd end = forEachPacket(geometry_, coding_, budget_, [this](const PacketId& id) { return onPacket(id); });
        if (stop_ != 0)
            return stop_;
        if (end == OrderEnd::overBudget)
            return stop(packetFault::tooLarge, parts_[part_].sot);
        // Every packet is read: whatever the tile-parts still hold is left over.
        for (;;) {
            finishPart();
            if (++part_ == parts_.size())
                return 0;
            pos_ = parts_[part_].dataStart;
        }
    }

private:
    int stop(int code, uint64_t position)
    {
        findings_.push_back({code, position});
        stop_ = code;
        return code;
    }
    void note(int code, uint64_t position) { findings_.push_back({code, position}); }

    // A tile-part is done when its data, or with packed headers its headers, are used up.
    bool partDone()
    {
        const TilePartSource& part = parts_[part_];
        return source_.packedHeaders ? part.headers.atEnd() : pos_ >= part.dataEnd;
    }

    void finishPart()
    {
        TilePartSource& part = parts_[part_];
        if (pos_ < part.dataEnd)
            note(packetFault::bytesAfterPackets, pos_);
        if (source_.packedHeaders && !part.headers.atEnd())
            note(packetFault::bytesAfterPackets, part.headers.position());
        if (part.lengthsAt != 0 && !part.lengths.atEnd())
            note(lengthCode(part), part.lengths.position());
        lengthsShort_ = false;
    }

    static int lengthCode(const TilePartSource& part)
    {
        return part.lengthsFromPlm ? packetFault::plmMismatch : packetFault::pltMismatch;
    }

    // The next packet length of the tile-part, and where it stands; nothing when none is left whole.
    std::optional<std::pair<uint64_t, uint64_t>> nextLength(TilePartSource& part)
    {
        const uint64_t at = part.lengths.position();
        uint64_t value = 0;
        while (!part.lengths.atEnd()) {
            const uint8_t b = part.lengths.take(image_);
            value = std::min<uint64_t>(value * 128 + (b & 0x7F), uint64_t{1} << 40);
            if (!(b & 0x80))
                return std::make_pair(value, at);
        }
        return std::nullopt;
    }

    void checkLength(const Packet& packet)
    {
        TilePartSource& part = parts_[part_];
        if (part.lengthsAt == 0)
            return;
        const auto entry = nextLength(part);
        if (!entry) {
            if (!lengthsShort_)
                note(lengthCode(part), part.lengthsAt);
            lengthsShort_ = true;
        } else if (entry->first != packet.length()) {
            note(lengthCode(part), entry->second);
        }
    }

    bool onPacket(const PacketId& id)
    {
        while (partDone()) {
            finishPart();
            if (++part_ == parts_.size()) {
                // With packed headers the headers ran out first, wherever the data ends.
                if (source_.packedHeaders)
                    stop(packetFault::packedHeadersShort, pos_);
                else
                    stop(packetFault::tileEndsEarly, parts_.back().sot);
                return false;
            }
            pos_ = parts_[part_].dataStart;
        }
        TilePartSource& part = parts_[part_];
        const uint64_t end = part.dataEnd;
        Packet packet;
        packet.part = static_cast<uint16_t>(part_);
        packet.layer = id.layer;
        packet.resolution = id.resolution;
        packet.component = id.component;
        packet.precinct = static_cast<uint32_t>(id.precinct);
        packet.offset = static_cast<uint32_t>(pos_);

        if (coding_.sopAllowed() && end - pos_ >= 2 && image_.u8(pos_) == 0xFF && image_.u8(pos_ + 1) == 0x91) {
            if (end - pos_ < 6) {
                stop(packetFault::headerPastData, pos_);
                return false;
            }
            if (image_.be16(pos_ + 2) != 4)
                note(packetFault::sopLength, pos_);
            if (image_.be16(pos_ + 4) != (packetIndex_ & 0xFFFF))
                note(packetFault::sopNumber, pos_);
            packet.sop = true;
            pos_ += 6;
        }

        ByteRuns inlineHeader;
        inlineHeader.add(pos_, end);
        ByteRuns& headers = source_.packedHeaders ? part.headers : inlineHeader;
        packet.headerStart = static_cast<uint32_t>(headers.position());
        PacketBits bits(image_, headers);
        HeaderFacts facts;
        const ResolutionGrid& level = geometry_.levels[id.component][id.resolution];
        HeaderEnd read = states_->read(bits, coding_.components[id.component], level, id,
                                       level.firstPrecinct + id.precinct, budget_, facts, nullptr);
        if (read == HeaderEnd::read) {
            bits.align();
            read = bits.ranOut() ? HeaderEnd::ranOut : bits.markerInside() ? HeaderEnd::unreadable : read;
        }
        switch (read) {
        case HeaderEnd::read:
            break;
        case HeaderEnd::ranOut:
            stop(source_.packedHeaders ? packetFault::packedHeadersShort : packetFault::headerPastData, packet.offset);
            return false;
        case HeaderEnd::unreadable:
            stop(packetFault::headerUnreadable, packet.offset);
            return false;
        case HeaderEnd::unsupported:
            stop(packetFault::unsupported, packet.offset);
            return false;
        case HeaderEnd::tooLarge:
        case HeaderEnd::overBudget:
            stop(packetFault::tooLarge, packet.offset);
            return false;
        }
        packet.headerEnd = static_cast<uint32_t>(headers.position());
        if (coding_.ephUsed()) {
            if (headers.peek(image_, 0) == 0xFF && headers.peek(image_, 1) == 0x92) {
                packet.eph = true;
                headers.skip(2);
            } else {
                note(packetFault::ephMissing, packet.headerEnd);
            }
        }
        if (!source_.packedHeaders)
            pos_ = headers.position();
        packet.bodyStart = static_cast<uint32_t>(pos_);
        if (facts.bodyBytes > end - pos_) {
            stop(packetFault::bodyPastData, packet.offset);
            return false;
        }
        pos_ += facts.bodyBytes;
        packet.bodyEnd = static_cast<uint32_t>(pos_);
        packet.codeBlocks = facts.codeBlocks;
        packet.passes = facts.passes;
        if (facts.tooManyPasses)
            note(packetFault::tooManyPasses, packet.offset);
        checkLength(packet);
        if (visit_)
            visit_(packet);
        ++packetIndex_;
        return true;
    }

    const ByteImage& image_;
    const GridInfo& grid_;
    const TileCoding& coding_;
    TileSource& source_;
    std::vector<TilePartSource>& parts_;
    WorkBudget& budget_;
    const std::function<void(const Packet&)>& visit_;
    std::vector<PacketFinding>& findings_;
    const TileLimits& limits_;

    TileGeometry geometry_;
    std::optional<PrecinctStates> states_;
    size_t part_ = 0;
    uint64_t pos_ = 0;  // in the current tile-part's data
    uint64_t packetIndex_ = 0;
    bool lengthsShort_ = false;  // the current tile-part's lengths ran out before its packets
    int stop_ = 0;
};

}  // namespace

int readTilePackets(const ByteImage& image, const GridInfo& grid, const TileCoding& coding, TileSource& source,
                    WorkBudget& budget, const std::function<void(const Packet&)>& visit,
                    std::vector<PacketFinding>& findings, const TileLimits& limits)
{
    try {
        return TileReader(image, grid, coding, source, budget, visit, findings, limits).run();
    } catch (const ImageOverrun&) {
        // Every range read lies inside the codestream; a file cut under the engine ends the tile.
        findings.push_back({packetFault::unusableCoding, source.parts.empty() ? 0 : source.parts[0].sot});
        return packetFault::unusableCoding;
    }
}

std::vector<CodeBlockContribution> packetCodeBlocks(const ByteImage& image, const GridInfo& grid, const TileCoding& coding,
                                                    const TileSource& source, const std::vector<Packet>& packets,
                                                    size_t index)
{
    const Packet& target = packets[index];
    const TileGeometry geometry = TileGeometry::build(grid, source.tile, coding);
    const ResolutionGrid& level = geometry.levels[target.component][target.resolution];
    PrecinctStates states(geometry.precinctCount, TileLimits{}.codeBlocks);
    WorkBudget budget(uint64_t{1} << 32);
    std::vector<CodeBlockContribution> detail;
    try {
        for (size_t i = 0; i <= index; ++i) {
            const Packet& p = packets[i];
            if (p.component != target.component || p.resolution != target.resolution || p.precinct != target.precinct)
                continue;
            ByteRuns runs;
            if (!source.packedHeaders)
                runs.add(p.headerStart, p.headerEnd);
            else if (runs = source.parts[p.part].headers; !runs.seek(p.headerStart))
                return {};
            PacketBits bits(image, runs);
            HeaderFacts facts;
            const PacketId id{p.layer, p.resolution, p.component, p.precinct};
            if (states.read(bits, coding.components[p.component], level, id, level.firstPrecinct + p.precinct, budget,
                            facts, i == index ? &detail : nullptr) != HeaderEnd::read)
                return {};
        }
    } catch (const ImageOverrun&) {
        return {};
    }
    return detail;
}
