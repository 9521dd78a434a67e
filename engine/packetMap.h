#pragma once
// The packet map of an analysed codestream. Made in one run over the element table, it knows where
// each tile's tile-parts, coding segments, packed headers (PPM, PPT) and packet lengths (PLT, PLM)
// lie; a tile's packets are read only when asked for, so that making the map costs nothing in
// proportion to the bit-stream data, and memory follows one tile's packets. Reads the engine's
// image: one map, like its engine, is not for several threads at once.

#include "engine/packetGeometry.h"
#include "engine/packetHeader.h"
#include "engine/packetTile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class jpcAnalyzer;

// The packets of one tile, as read.
struct TilePackets {
    uint16_t tile = 0;
    std::vector<Packet> packets;          // in the tile's order
    std::vector<PacketFinding> findings;  // in the order found
    int stop = 0;                         // the code that ended the reading before the tile's end, or 0
    // The packets of tile-part k are [partStart[k], partStart[k + 1]).
    std::vector<uint32_t> partStart;
};

// A tile-part: its tile, and its number among the tile's tile-parts in stream order.
struct TilePartPlace {
    uint16_t tile = 0;
    uint16_t part = 0;
};

class PacketMap {
public:
    explicit PacketMap(const jpcAnalyzer& analyzer);
    ~PacketMap();
    PacketMap(const PacketMap&) = delete;
    PacketMap& operator=(const PacketMap&) = delete;

    // The work one reading may do: enough for any real stream of this size, bounded for any other.
    static uint64_t budgetFor(uint64_t codestreamBytes) { return (uint64_t{1} << 24) + 64 * codestreamBytes; }

    // The tiles that have tile-parts (Isot), in the order of their first tile-part.
    const std::vector<uint16_t>& tiles() const { return tiles_; }
    // The tile-part whose data block is element `index`; nothing for any other element.
    std::optional<TilePartPlace> placeOfData(int index) const;

    // Reads the packets of one tile in order, handing each to `visit` (which may be empty), and
    // appends its findings. Returns the code that stopped it before the tile's end, or 0.
    int readTile(uint16_t tile, WorkBudget& budget, const std::function<void(const Packet&)>& visit,
                 std::vector<PacketFinding>& findings);
    // All the packets of one tile; kept until another tile's are asked for. Each reading has a
    // budget of its own, or that of the caller, who reads many tiles and bounds them all.
    const TilePackets& tilePackets(uint16_t tile);
    const TilePackets& tilePackets(uint16_t tile, WorkBudget& budget);
    // The packet whose bytes in the data (SOP to the end of its body) hold `offset`: its tile and its
    // index in tilePackets(). Like codeBlocks(), it reads that tile's packets when they are not the
    // ones kept, which ends the life of a reference to those.
    std::optional<std::pair<uint16_t, uint32_t>> packetAt(uint64_t offset);
    // What each code-block of its precinct contributes to packet `index` of the tile, in header
    // order (sub-bands, then raster order in each); the headers of the precinct's earlier packets
    // are read again to know their state.
    std::vector<CodeBlockContribution> codeBlocks(uint16_t tile, uint32_t index);
    // What the packet's precinct covers on the reference grid, within its tile; nothing when the
    // tile's coding cannot be read.
    std::optional<Area> precinctArea(uint16_t tile, const Packet& packet) const;

private:
    struct Part;
    struct Packed;
    TileSource sourceOf(uint16_t tile, CodingSegments& segments, bool& misplaced) const;
    // The tile's coding, or the code that stops it.
    CodingOutcome codingOf(uint16_t tile, TileSource& source) const;

    const jpcAnalyzer& analyzer_;
    std::vector<Part> parts_;               // every tile-part, in stream order
    std::vector<uint32_t> partsByTile_;     // indices into parts_, grouped by tile, stream order in each
    std::vector<uint32_t> tileFirst_;       // by Isot: the tile's first entry in partsByTile_
    std::vector<uint16_t> tiles_;
    std::unique_ptr<CodingSegments> main_;
    std::unique_ptr<Packed> ppm_, plm_;
    std::unique_ptr<GridInfo> grid_;  // none when SIZ places no tile
    std::optional<TilePackets> cached_;
};
