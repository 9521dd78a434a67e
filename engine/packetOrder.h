#pragma once
// The order of a tile's packets: the progression of COD, or the ranges of POC one after the other,
// each sequencing only the packets that no range before it did. Knows nothing of packet headers.

#include "engine/packetGeometry.h"

#include <cstdint>
#include <functional>

// A packet's place: its layer, resolution level, component, and precinct within that level.
struct PacketId {
    uint16_t layer = 0;
    uint8_t resolution = 0;
    uint16_t component = 0;
    uint64_t precinct = 0;
};

// Counts the steps of the packet pass (packets sequenced, code-blocks visited), so that no stream
// can keep it running without bound.
class WorkBudget {
public:
    explicit WorkBudget(uint64_t steps) : left_(steps) {}
    bool spend(uint64_t steps)
    {
        if (steps > left_) {
            left_ = 0;
            exhausted_ = true;
            return false;
        }
        left_ -= steps;
        return true;
    }
    bool exhausted() const { return exhausted_; }

private:
    uint64_t left_;
    bool exhausted_ = false;
};

enum class OrderEnd {
    complete,    // every packet of the progression was visited
    stopped,     // the visitor asked to stop
    overBudget,  // the budget ran out
};

// Visits the tile's packets in their order while `visit` returns true. Keeps two bytes per precinct:
// the caller bounds geometry.precinctCount.
OrderEnd forEachPacket(const TileGeometry& geometry, const TileCoding& coding, WorkBudget& budget,
                       const std::function<bool(const PacketId&)>& visit);
