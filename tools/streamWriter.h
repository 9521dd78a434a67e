#pragma once
// Writes synthetic codestreams that the checker accepts as clean, unless told to leave tiles out:
// SOC, SIZ, COD, QCD, optional TLM segments, then tile-parts of SOT, optional PLT, SOD and
// bit-stream bytes, then EOC; raw, or as the codestream box of a JP2 file. Large streams go to disk with their bit-stream as holes, so a gigabyte
// is written in a moment.

#include <cstdint>
#include <string>
#include <vector>

struct StreamShape {
    uint32_t tiles = 1;             // 1 to 65535, laid out as one row of tiles
    uint32_t tilePartsPerTile = 1;  // 1 to 255
    uint64_t dataBytes = 16;        // bit-stream bytes in every tile-part
    uint32_t packets = 0;           // packet lengths in one PLT per tile-part; 0: no PLT
    bool tlm = false;               // TLM segments in the main header, one pair per tile-part
    bool interleaved = false;       // tile-parts ordered part by part across the tiles
    bool noise = false;             // bit-stream bytes pseudo-random (never 0xFF) instead of zeros
    uint32_t missingTiles = 0;      // tiles of the row that SIZ declares after the last one written
    bool jp2 = false;               // in a JP2 file: signature, file type, JP2 header, codestream box
};

// Throws std::invalid_argument when the shape cannot be written as a valid stream below 4 GiB.
void validateShape(const StreamShape& shape);

uint64_t tilePartCount(const StreamShape& shape);
// Entries the engine makes for the stream: every marker and one per data block.
uint64_t elementCount(const StreamShape& shape);
// The file's size: the codestream and, in a JP2 file, the boxes before it.
uint64_t streamSize(const StreamShape& shape);

std::vector<uint8_t> buildStream(const StreamShape& shape);
// Throws std::runtime_error when the file cannot be written.
void writeStream(const StreamShape& shape, const std::string& path);
