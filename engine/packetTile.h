#pragma once
// Reading the packets of one tile: each packet in the order of the progression, its SOP, its
// header (in the data or in the PPM or PPT headers of its tile-part), its EPH and its body, with
// the checks that only a packet map allows. A packet lies in the tile-part whose data (or, with
// packed headers, whose headers) it begins in; packets do not cross tile-parts.

#include "engine/packetBits.h"
#include "engine/packetCoding.h"
#include "engine/packetGeometry.h"
#include "engine/packetHeader.h"
#include "engine/packetOrder.h"

#include <cstdint>
#include <functional>
#include <vector>

struct PacketFinding {
    int code;
    uint64_t position;
};

// One packet; offsets in the file.
struct Packet {
    uint32_t offset = 0;  // its first byte in the tile-part's data: the SOP, else the header, or with
                          // packed headers the body
    uint32_t headerStart = 0, headerEnd = 0;  // in the data, or in the PPM or PPT segments
    uint32_t bodyStart = 0, bodyEnd = 0;      // in the data; bodyEnd is where the next packet may begin
    uint32_t precinct = 0;                    // within its resolution level
    uint16_t layer = 0;
    uint16_t component = 0;
    uint8_t resolution = 0;
    bool sop = false;
    bool eph = false;                         // at headerEnd, two bytes
    uint16_t part = 0;                        // tile-part of its tile, counted in stream order from 0
    uint32_t codeBlocks = 0;                  // included
    uint32_t passes = 0;

    // What a PLT or PLM entry gives: SOP, header, EPH and body, less what lies in packed headers.
    uint32_t length() const { return bodyEnd - offset; }
};

struct TilePartSource {
    uint32_t sot = 0;
    uint32_t dataStart = 0, dataEnd = 0;
    ByteRuns headers;        // its packed packet headers (PPM group or PPT), when the tile has them
    ByteRuns lengths;        // its packet lengths (Iplt, or its Iplm), when given
    uint32_t lengthsAt = 0;  // the first PLT or PLM segment that gives them, 0 for none
    bool lengthsFromPlm = false;
};

struct TileSource {
    uint16_t tile = 0;
    bool packedHeaders = false;
    std::vector<TilePartSource> parts;  // in stream order
};

// Bounds on what one tile may make the pass hold.
struct TileLimits {
    uint64_t precincts = uint64_t{1} << 22;
    uint64_t codeBlocks = uint64_t{1} << 22;
};

// Reads the tile's packets in order, handing each to `visit` (which may be empty), and appends the
// findings in the order met. Returns the code that stopped the tile before its end, or 0.
int readTilePackets(const ByteImage& image, const GridInfo& grid, const TileCoding& coding, TileSource& source,
                    WorkBudget& budget, const std::function<void(const Packet&)>& visit,
                    std::vector<PacketFinding>& findings, const TileLimits& limits = {});

// What each code-block of its precinct contributes to packets[index], a packet of the tile read
// before: the headers of the precinct's earlier packets are read again for their state. Empty when
// a header cannot be read again.
std::vector<CodeBlockContribution> packetCodeBlocks(const ByteImage& image, const GridInfo& grid, const TileCoding& coding,
                                                    const TileSource& source, const std::vector<Packet>& packets,
                                                    size_t index);
