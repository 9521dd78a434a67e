#include "engine/packetOrder.h"

#include <algorithm>
#include <queue>
#include <tuple>
#include <vector>

namespace {

struct Stopped {};
struct OverBudget {};

// One precinct of a position-driven progression, at the place on the reference grid where the
// progression's loop over y and x reaches it first.
struct Place {
    uint64_t y, x;
    uint16_t component;
    uint8_t resolution;
    uint64_t row, column;  // within its level's precinct grid

    bool operator>(const Place& o) const
    {
        return std::tie(y, x, component, resolution) > std::tie(o.y, o.x, o.component, o.resolution);
    }
};

class Sequencer {
public:
    Sequencer(const TileGeometry& g, const TileCoding& coding, WorkBudget& budget,
              const std::function<bool(const PacketId&)>& visit)
        : g_(g), coding_(coding), budget_(budget), visit_(visit), next_(g.precinctCount, 0)
    {
    }

    OrderEnd run()
    {
        try {
            for (const ProgressionRange& range : coding_.progression)
                sequence(range);
        } catch (const Stopped&) {
            return OrderEnd::stopped;
        } catch (const OverBudget&) {
            return OrderEnd::overBudget;
        }
        return OrderEnd::complete;
    }

private:
    void spend(uint64_t steps)
    {
        if (!budget_.spend(steps))
            throw OverBudget{};
    }

    // The level, when the component has it and it holds precincts.
    const ResolutionGrid* level(uint32_t c, uint32_t r) const
    {
        if (r >= g_.levels[c].size())
            return nullptr;
        const ResolutionGrid& level = g_.levels[c][r];
        return level.precincts() > 0 ? &level : nullptr;
    }

    void emit(uint32_t c, uint32_t r, uint64_t p, uint16_t layer)
    {
        if (!visit_({layer, static_cast<uint8_t>(r), static_cast<uint16_t>(c), p}))
            throw Stopped{};
    }

    void sequence(const ProgressionRange& range)
    {
        spend(1);
        const uint32_t CE = std::min<uint32_t>(range.CE, g_.levels.size());
        switch (range.order) {
        case 0:  // LRCP
            for (uint32_t l = 0; l < range.LYE; ++l)
                for (uint32_t r = range.RS; r < range.RE; ++r)
                    for (uint32_t c = range.CS; c < CE; ++c)
                        precinctsInLayer(c, r, l);
            break;
        case 1:  // RLCP
            for (uint32_t r = range.RS; r < range.RE; ++r)
                for (uint32_t l = 0; l < range.LYE; ++l)
                    for (uint32_t c = range.CS; c < CE; ++c)
                        precinctsInLayer(c, r, l);
            break;
        case 2:  // RPCL
            for (uint32_t r = range.RS; r < range.RE; ++r) {
                std::vector<std::pair<uint32_t, uint32_t>> levels;
                for (uint32_t c = range.CS; c < CE; ++c)
                    levels.emplace_back(c, r);
                byPosition(levels, range.LYE);
            }
            break;
        case 3: {  // PCRL
            std::vector<std::pair<uint32_t, uint32_t>> levels;
            for (uint32_t c = range.CS; c < CE; ++c)
                for (uint32_t r = range.RS; r < std::min<uint32_t>(range.RE, g_.levels[c].size()); ++r)
                    levels.emplace_back(c, r);
            byPosition(levels, range.LYE);
            break;
        }
        default:  // CPRL
            for (uint32_t c = range.CS; c < CE; ++c) {
                std::vector<std::pair<uint32_t, uint32_t>> levels;
                for (uint32_t r = range.RS; r < std::min<uint32_t>(range.RE, g_.levels[c].size()); ++r)
                    levels.emplace_back(c, r);
                byPosition(levels, range.LYE);
            }
            break;
        }
    }

    // Layer l of every precinct of a level whose earlier layers are sequenced; every precinct's
    // layers are sequenced from 0 up, so its count of them tells which it has.
    void precinctsInLayer(uint32_t c, uint32_t r, uint32_t l)
    {
        spend(1);
        const ResolutionGrid* g = level(c, r);
        if (!g)
            return;
        spend(g->precincts());
        for (uint64_t p = 0; p < g->precincts(); ++p) {
            uint16_t& next = next_[g->firstPrecinct + p];
            if (next == l) {
                emit(c, r, p, static_cast<uint16_t>(l));
                ++next;
            }
        }
    }

    // Where a level's precinct row (or column) is first reached on the reference grid: at its
    // multiple of the precinct's size there, or at the tile's edge for a first row that the tile
    // cuts.
    static uint64_t reach(uint64_t index, uint64_t first, bool cut, uint64_t tileEdge, uint64_t step)
    {
        return index == 0 && cut ? tileEdge : (first + index) * step;
    }

    Place place(uint32_t c, uint32_t r, uint64_t row, uint64_t column) const
    {
        const ResolutionGrid& g = g_.levels[c][r];
        const unsigned down = static_cast<unsigned>(g_.levels[c].size() - 1 - r);
        const uint64_t dy = uint64_t{g_.YRsiz[c]} << (g.PPy + down);
        const uint64_t dx = uint64_t{g_.XRsiz[c]} << (g.PPx + down);
        const bool cutY = (g.firstRow << g.PPy) != g.area.y0, cutX = (g.firstColumn << g.PPx) != g.area.x0;
        return {reach(row, g.firstRow, cutY, g_.tile.y0, dy), reach(column, g.firstColumn, cutX, g_.tile.x0, dx),
                static_cast<uint16_t>(c), static_cast<uint8_t>(r), row, column};
    }

    // The precincts of the given levels merged by the place where the loop over y, then x reaches
    // them, then by component and level; each precinct's layers below `layerEnd` in turn.
    void byPosition(const std::vector<std::pair<uint32_t, uint32_t>>& levels, uint32_t layerEnd)
    {
        spend(levels.size());
        std::priority_queue<Place, std::vector<Place>, std::greater<>> queue;
        for (auto [c, r] : levels)
            if (level(c, r))
                queue.push(place(c, r, 0, 0));
        while (!queue.empty()) {
            const Place at = queue.top();
            queue.pop();
            const ResolutionGrid& g = g_.levels[at.component][at.resolution];
            const uint64_t p = at.row * g.columns + at.column;
            spend(1);
            for (uint16_t& next = next_[g.firstPrecinct + p]; next < layerEnd; ++next) {
                spend(1);
                emit(at.component, at.resolution, p, next);
            }
            if (at.column + 1 < g.columns)
                queue.push(place(at.component, at.resolution, at.row, at.column + 1));
            else if (at.row + 1 < g.rows)
                queue.push(place(at.component, at.resolution, at.row + 1, 0));
        }
    }

    const TileGeometry& g_;
    const TileCoding& coding_;
    WorkBudget& budget_;
    const std::function<bool(const PacketId&)>& visit_;
    std::vector<uint16_t> next_;  // per precinct of the tile: its layers sequenced so far
};

}  // namespace

OrderEnd forEachPacket(const TileGeometry& geometry, const TileCoding& coding, WorkBudget& budget,
                       const std::function<bool(const PacketId&)>& visit)
{
    return Sequencer(geometry, coding, budget, visit).run();
}
