#pragma once
// One packet header: which code-blocks of its precinct contribute, with how many coding passes and
// how many bytes in each codeword segment. What a header says depends on the headers of the same
// precinct before it (inclusion, zero bit-planes, Lblock, passes so far); PrecinctStates keeps that
// for a whole tile, made for a precinct at its first header that is not empty.

#include "engine/packetBits.h"
#include "engine/packetGeometry.h"
#include "engine/packetOrder.h"
#include "engine/tagTree.h"

#include <array>
#include <cstdint>
#include <vector>

// What one code-block contributes to one packet.
struct CodeBlockContribution {
    uint8_t band = 0;    // 0 for LL or HL, 1 LH, 2 HH
    uint64_t x = 0, y = 0;  // in the sub-band's code-block grid
    bool included = false;
    bool firstInclusion = false;
    uint16_t zeroBitPlanes = 0;
    uint32_t passesBefore = 0;
    uint32_t passes = 0;
    uint8_t Lblock = 3;
    std::vector<uint64_t> segmentLengths;  // one per codeword segment, in bytes
};

struct HeaderFacts {
    bool empty = true;        // the header's first bit is 0
    uint32_t codeBlocks = 0;  // included
    uint32_t passes = 0;
    uint64_t bodyBytes = 0;
    bool tooManyPasses = false;  // some code-block now has more passes than its bit-planes allow
};

enum class HeaderEnd {
    read,
    ranOut,       // the header's bytes ended first
    unreadable,   // a marker inside, a value out of range
    unsupported,  // an HT code-block with a second set of passes
    tooLarge,     // the code-blocks would pass the tile's bound
    overBudget,
};

class PrecinctStates {
public:
    // `precincts`: of the tile; `blockLimit`: the most code-blocks to keep state for.
    PrecinctStates(uint64_t precincts, uint64_t blockLimit) : slots_(precincts, noState), blockLimit_(blockLimit) {}

    // Reads the header of packet `id` of precinct `slot` (its number among the tile's) from `in`,
    // without its alignment to the byte boundary. `detail`, when given, gets every code-block.
    HeaderEnd read(PacketBits& in, const ComponentCoding& coding, const ResolutionGrid& level, const PacketId& id,
                   uint64_t slot, WorkBudget& budget, HeaderFacts& facts, std::vector<CodeBlockContribution>* detail);

private:
    static constexpr uint32_t noState = UINT32_MAX;

    struct BlockState {
        uint32_t passes = 0;
        uint16_t zeroBitPlanes = 0;
        uint16_t htCleanup = 0;  // HT: the index of the cleanup pass
        uint8_t Lblock = 3;
        bool included = false;
    };
    struct BandState {
        BlockGrid grid;
        TagTree inclusion, zeroBitPlanes;
        uint64_t firstBlock = 0;
    };
    using Precinct = std::array<BandState, 3>;

    bool makeState(const ResolutionGrid& level, uint64_t precinct, uint64_t slot, WorkBudget& budget);
    HeaderEnd readBlock(PacketBits& in, const ComponentCoding& coding, BandState& band, std::optional<int> bitPlanes,
                        uint32_t x, uint32_t y, uint16_t layer, HeaderFacts& facts, CodeBlockContribution* detail);

    std::vector<uint32_t> slots_;  // per precinct of the tile: its state, or noState
    std::vector<Precinct> precincts_;
    std::vector<BlockState> blocks_;
    std::vector<TagNode> nodes_;
    uint64_t blockLimit_;
};
