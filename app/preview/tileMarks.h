#pragma once
// What the preview marks on a tile, and why: from the stream (a tile of the grid with no tile-part;
// codes of the error list inside its tile-parts) and from the decoder (missing, failed, damaged).
// Each kind of mark is drawn with a pattern of its own and reads as text, so that neither needs
// colour to be told apart.

#include "decode/previewReply.h"
#include "present/tileGrid.h"
#include "present/tileIndex.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

enum class TileMark : uint8_t {
    none,
    faulty,  // decoded, but with faults in the stream or in its data: hatched
    failed,  // the decoder could not decode it: cross-hatched
    absent,  // no data of it in the stream: crossed out
};

class TileMarks {
public:
    void setStream(std::shared_ptr<const TileIndex> index, std::optional<TileGrid> grid);
    void setDecoded(std::vector<TileState> tiles);

    TileMark markOf(uint64_t tile) const;
    // "Kafel 3: w strumieniu nie ma żadnej jego części"; the name alone for a tile without marks.
    QString describe(uint64_t tile) const;
    // One sentence per kind of mark, naming the first tiles of each; empty when no tile is marked.
    QString summary() const { return summary_; }

private:
    QString makeSummary() const;
    std::optional<TileFault> decoderFault(uint64_t tile) const;
    bool missingInStream(uint64_t tile) const;

    std::shared_ptr<const TileIndex> index_;
    std::optional<TileGrid> grid_;
    std::vector<TileState> decoded_;  // by tile
    QString summary_;
};
