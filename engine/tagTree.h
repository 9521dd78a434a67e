#pragma once
// A tag tree over a grid of code-blocks: each node holds the least value below it, and a value is
// decoded from the root down, one bit at a time, only as far as a threshold asks. The nodes live in
// a pool shared by the trees of a tile; a tree is its place in the pool and its grid size.

#include "engine/packetBits.h"

#include <array>
#include <cstdint>
#include <vector>

struct TagNode {
    uint16_t low = 0;    // the value is at least this
    bool known = false;  // the value is `low`
};

class TagTree {
public:
    TagTree() = default;
    // Takes its nodes from the back of `pool`.
    TagTree(std::vector<TagNode>& pool, uint32_t columns, uint32_t rows) : base_(pool.size()), columns_(columns), rows_(rows)
    {
        pool.resize(pool.size() + nodeCount(columns, rows));
    }

    static uint64_t nodeCount(uint64_t columns, uint64_t rows)
    {
        uint64_t count = columns * rows;
        while (columns > 1 || rows > 1) {
            columns = (columns + 1) / 2;
            rows = (rows + 1) / 2;
            count += columns * rows;
        }
        return count;
    }

    // Reads bits until the value of leaf (x, y) is known or is found to reach `threshold`; returns
    // whether it is known and below (threshold at most 65535). Every node on the way keeps what it
    // learnt.
    bool decode(std::vector<TagNode>& pool, PacketBits& in, uint32_t x, uint32_t y, uint32_t threshold) const
    {
        // The path from the leaf up: each level's node index, the leaf's level first.
        std::array<uint64_t, 40> path;
        int depth = 0;
        uint64_t offset = base_, columns = columns_, rows = rows_;
        for (;;) {
            path[depth++] = offset + uint64_t{y} * columns + x;
            if (columns == 1 && rows == 1)
                break;
            offset += columns * rows;
            columns = (columns + 1) / 2;
            rows = (rows + 1) / 2;
            x /= 2;
            y /= 2;
        }
        uint16_t low = 0;
        for (int level = depth - 1; level >= 0; --level) {
            TagNode& node = pool[path[level]];
            if (node.low < low)
                node.low = low;
            while (!node.known && node.low < threshold) {
                if (in.bit())
                    node.known = true;
                else
                    ++node.low;
                if (in.ranOut())
                    return false;
            }
            // Nothing below a node is less than it.
            if (node.low >= threshold)
                return false;
            low = node.low;
        }
        return true;
    }

    uint16_t value(const std::vector<TagNode>& pool, uint32_t x, uint32_t y) const
    {
        return pool[base_ + uint64_t{y} * columns_ + x].low;
    }

private:
    uint64_t base_ = 0;
    uint32_t columns_ = 0, rows_ = 0;
};
