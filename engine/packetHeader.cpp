#include "engine/packetHeader.h"

#include <bit>

namespace {

// More zero bit-planes than any quantization, guard bits and ROI shift can make.
constexpr uint32_t zeroBitPlaneLimit = 1024;
// A segment length of more bits than this cannot measure bytes of a file.
constexpr int lblockLimit = 32;

// The number of coding passes: 0 → 1, 10 → 2, 11xx → 3 to 5, 1111 then 5 bits → 6 to 36, 1111 11111
// then 7 bits → 37 to 164.
uint32_t readPassCount(PacketBits& in)
{
    if (!in.bit())
        return 1;
    if (!in.bit())
        return 2;
    if (const uint32_t two = static_cast<uint32_t>(in.bits(2)); two < 3)
        return 3 + two;
    if (const uint32_t five = static_cast<uint32_t>(in.bits(5)); five < 31)
        return 6 + five;
    return 37 + static_cast<uint32_t>(in.bits(7));
}

// A codeword segment ends after pass i (counted from 0 over the code-block): after every pass when
// each is terminated; in the bypass mode after the tenth, then after each raw pair (significance
// and refinement) and each cleanup; otherwise only where the code-block's contribution ends.
bool segmentEndsAfter(const ComponentCoding& coding, uint32_t i)
{
    if (coding.terminateEachPass())
        return true;
    if (coding.bypass())
        return i == 9 || (i >= 10 && (i - 10) % 3 != 0);
    return false;
}

}  // namespace

bool PrecinctStates::makeState(const ResolutionGrid& level, uint64_t precinct, uint64_t slot, WorkBudget& budget)
{
    Precinct state;
    uint64_t blocks = 0, nodes = 0;
    for (int b = 0; b < level.bandCount; ++b) {
        state[b].grid = level.blocks(b, precinct);
        blocks += state[b].grid.count();
        nodes += 2 * TagTree::nodeCount(state[b].grid.columns, state[b].grid.rows);
    }
    if (blocks > blockLimit_ - blocks_.size() || precincts_.size() == noState || !budget.spend(blocks + nodes))
        return false;
    for (int b = 0; b < level.bandCount; ++b) {
        BandState& band = state[b];
        band.firstBlock = blocks_.size();
        blocks_.resize(blocks_.size() + band.grid.count());
        band.inclusion = TagTree(nodes_, band.grid.columns, band.grid.rows);
        band.zeroBitPlanes = TagTree(nodes_, band.grid.columns, band.grid.rows);
    }
    slots_[slot] = static_cast<uint32_t>(precincts_.size());
    precincts_.push_back(state);
    return true;
}

HeaderEnd PrecinctStates::read(PacketBits& in, const ComponentCoding& coding, const ResolutionGrid& level,
                               const PacketId& id, uint64_t slot, WorkBudget& budget, HeaderFacts& facts,
                               std::vector<CodeBlockContribution>* detail)
{
    facts.empty = !in.bit();
    if (facts.empty || in.ranOut())
        return in.ranOut() ? HeaderEnd::ranOut : HeaderEnd::read;
    if (slots_[slot] == noState && !makeState(level, id.precinct, slot, budget))
        return budget.exhausted() ? HeaderEnd::overBudget : HeaderEnd::tooLarge;
    Precinct& state = precincts_[slots_[slot]];
    for (int b = 0; b < level.bandCount; ++b) {
        BandState& band = state[b];
        if (!budget.spend(band.grid.count()))
            return HeaderEnd::overBudget;
        const std::optional<int> bitPlanes = coding.bitPlanes(id.resolution, b);
        for (uint32_t y = 0; y < band.grid.rows; ++y)
            for (uint32_t x = 0; x < band.grid.columns; ++x) {
                CodeBlockContribution* block = nullptr;
                if (detail) {
                    block = &detail->emplace_back();
                    block->band = static_cast<uint8_t>(b);
                    block->x = band.grid.x0 + x;
                    block->y = band.grid.y0 + y;
                }
                const HeaderEnd end = readBlock(in, coding, band, bitPlanes, x, y, id.layer, facts, block);
                if (end != HeaderEnd::read)
                    return end;
            }
    }
    return HeaderEnd::read;
}

HeaderEnd PrecinctStates::readBlock(PacketBits& in, const ComponentCoding& coding, BandState& band,
                                    std::optional<int> bitPlanes, uint32_t x, uint32_t y, uint16_t layer,
                                    HeaderFacts& facts, CodeBlockContribution* detail)
{
    BlockState& s = blocks_[band.firstBlock + uint64_t{y} * band.grid.columns + x];
    const bool first = !s.included;
    const bool included = first ? band.inclusion.decode(nodes_, in, x, y, uint32_t{layer} + 1) : in.bit() != 0;
    if (in.ranOut())
        return HeaderEnd::ranOut;
    if (in.markerInside())
        return HeaderEnd::unreadable;
    if (!included)
        return HeaderEnd::read;
    if (first) {
        if (!band.zeroBitPlanes.decode(nodes_, in, x, y, zeroBitPlaneLimit))
            return in.ranOut() ? HeaderEnd::ranOut : HeaderEnd::unreadable;
        s.zeroBitPlanes = band.zeroBitPlanes.value(nodes_, x, y);
        s.included = true;
    }
    const uint32_t count = readPassCount(in);
    while (in.bit()) {
        if (++s.Lblock > lblockLimit)
            return HeaderEnd::unreadable;
    }

    // The passes of each codeword segment in this contribution.
    std::array<uint32_t, 164> segments;
    size_t segmentCount = 0;
    if (coding.highThroughput()) {
        // The first contribution: the cleanup pass, after the placeholder passes of the sets it
        // skips, then its refinement passes. Later ones can only refine the same set.
        if (first) {
            const uint32_t cleanup = 3 * ((count - 1) / 3) + 1;
            s.htCleanup = static_cast<uint16_t>(cleanup - 1);
            segments[segmentCount++] = cleanup;
            if (count > cleanup)
                segments[segmentCount++] = count - cleanup;
        } else {
            if (s.passes + count > uint32_t{s.htCleanup} + 3)
                return HeaderEnd::unsupported;
            segments[segmentCount++] = count;
        }
    } else {
        uint32_t start = s.passes;
        for (uint32_t i = s.passes; i < s.passes + count; ++i)
            if (segmentEndsAfter(coding, i) || i + 1 == s.passes + count) {
                segments[segmentCount++] = i + 1 - start;
                start = i + 1;
            }
    }
    if (detail) {
        detail->included = true;
        detail->firstInclusion = first;
        detail->zeroBitPlanes = s.zeroBitPlanes;
        detail->passesBefore = s.passes;
        detail->passes = count;
        detail->Lblock = s.Lblock;
    }
    for (size_t k = 0; k < segmentCount; ++k) {
        const uint64_t length = in.bits(s.Lblock + std::bit_width(segments[k]) - 1);
        facts.bodyBytes += length;
        if (detail)
            detail->segmentLengths.push_back(length);
    }
    s.passes += count;
    ++facts.codeBlocks;
    facts.passes += count;
    if (bitPlanes && int64_t{s.passes} > 3 * (int64_t{*bitPlanes} - s.zeroBitPlanes) - 2)
        facts.tooManyPasses = true;
    if (in.ranOut())
        return HeaderEnd::ranOut;
    return in.markerInside() ? HeaderEnd::unreadable : HeaderEnd::read;
}
