#pragma once
// Which tile each part of the codestream belongs to, for linking the structure with the decoded
// picture: a tile-part runs from its SOT up to the next SOC, SOT or EOC, as the structure tree
// groups it, and belongs to the tile its Isot names. Kept as one small entry per tile-part, so that
// a stream of millions of elements costs no more than its tile-parts.

#include <cstdint>
#include <optional>
#include <vector>

class jpcAnalyzer;

class TileIndex {
public:
    TileIndex() = default;
    explicit TileIndex(const jpcAnalyzer& analyzer);

    // The tile whose tile-part holds the element (its SOT, a marker of its header, its SOD, its data);
    // nothing for an element outside every tile-part or a SOT whose Isot lies past the file's end.
    std::optional<uint32_t> tileOfElement(int element) const;
    // The SOT element of the tile's first tile-part in the stream.
    std::optional<int> firstTilePart(uint32_t tile) const;
    bool hasTileParts(uint64_t tile) const { return tile < firstSot_.size() && firstSot_[tile] >= 0; }
    // How many of the tiles numbered below `end` have tile-parts.
    uint64_t tilesWithParts(uint64_t end) const;
    // The codes of the error list found at positions inside the tile's tile-parts, ascending, each once.
    std::vector<int> faultCodes(uint32_t tile) const;
    // The tiles that have such codes, ascending.
    std::vector<uint32_t> faultyTiles() const;

private:
    struct TilePart {
        int sot;         // element index
        int endElement;  // first element after it
        uint32_t begin;  // its bytes, [begin, end)
        uint32_t end;
        uint16_t Isot;
        bool hasIsot;  // false where Isot lies past the end of the file
    };
    const TilePart* partOfElement(int element) const;

    std::vector<TilePart> parts_;                    // in stream order
    std::vector<int> firstSot_;                      // by tile; -1 for none
    std::vector<std::pair<uint32_t, int>> faults_;   // (tile, code), sorted, without repeats
};
