#include "app/preview/tileMarks.h"

#include <QStringList>

#include <algorithm>

namespace {

// Past this many, a summary names the first tiles of a kind and counts the rest.
constexpr qsizetype namedTiles = 10;

QString tileList(const std::vector<uint64_t>& first, uint64_t count)
{
    QStringList numbers;
    for (const uint64_t tile : first)
        numbers << QString::number(tile);
    QString text = (count == 1 ? QStringLiteral("kafel ") : QStringLiteral("kafle ")) + numbers.join(QStringLiteral(", "));
    if (count > first.size())
        text += QString::fromUtf8(" i %1 innych").arg(count - first.size());
    return text;
}

}  // namespace

void TileMarks::setStream(std::shared_ptr<const TileIndex> index, std::optional<TileGrid> grid)
{
    index_ = std::move(index);
    grid_ = grid;
    decoded_.clear();
    summary_ = makeSummary();
}

void TileMarks::setDecoded(std::vector<TileState> tiles)
{
    std::sort(tiles.begin(), tiles.end(), [](const TileState& a, const TileState& b) { return a.tile < b.tile; });
    decoded_ = std::move(tiles);
    summary_ = makeSummary();
}

std::optional<TileFault> TileMarks::decoderFault(uint64_t tile) const
{
    const auto at = std::lower_bound(decoded_.begin(), decoded_.end(), tile,
                                     [](const TileState& s, uint64_t t) { return s.tile < t; });
    return at != decoded_.end() && at->tile == tile ? std::optional(at->fault) : std::nullopt;
}

bool TileMarks::missingInStream(uint64_t tile) const
{
    return index_ && grid_ && tile < grid_->count() && !index_->hasTileParts(tile);
}

TileMark TileMarks::markOf(uint64_t tile) const
{
    const auto fault = decoderFault(tile);
    if (missingInStream(tile) || fault == TileFault::missing)
        return TileMark::absent;
    if (fault == TileFault::failed)
        return TileMark::failed;
    const bool codes = index_ && tile <= UINT32_MAX && !index_->faultCodes(static_cast<uint32_t>(tile)).empty();
    return fault == TileFault::damaged || codes ? TileMark::faulty : TileMark::none;
}

QString TileMarks::describe(uint64_t tile) const
{
    QStringList why;
    const auto fault = decoderFault(tile);
    if (missingInStream(tile))
        why << QString::fromUtf8("w strumieniu nie ma żadnej jego części");
    else if (fault == TileFault::missing)
        why << QString::fromUtf8("strumień kończy się przed jego danymi");
    if (fault == TileFault::failed)
        why << QString::fromUtf8("dekoder nie zdołał go zdekodować");
    if (fault == TileFault::damaged)
        why << QString::fromUtf8("dekoder zgłosił błędy w jego danych");
    if (index_ && tile <= UINT32_MAX) {
        QStringList codes;
        for (const int code : index_->faultCodes(static_cast<uint32_t>(tile)))
            codes << QString::number(code);
        if (!codes.isEmpty())
            why << QString::fromUtf8("błędy w jego częściach: ") + codes.join(QStringLiteral(", "));
    }
    const QString name = QStringLiteral("Kafel %1").arg(tile);
    return why.isEmpty() ? name : name + QStringLiteral(": ") + why.join(QStringLiteral("; "));
}

QString TileMarks::makeSummary() const
{
    // Absent tiles: those of the grid without tile-parts, counted without visiting every tile of a
    // grid of millions, and those the decoder found missing.
    const uint64_t gridTiles = grid_ ? grid_->count() : 0;
    uint64_t absent = index_ && grid_ ? gridTiles - index_->tilesWithParts(gridTiles) : 0;
    std::vector<uint64_t> absentNamed;
    for (uint64_t t = 0; t < gridTiles && index_ && absentNamed.size() < namedTiles; ++t)
        if (missingInStream(t))
            absentNamed.push_back(t);
    std::vector<uint64_t> candidates;
    for (const TileState& state : decoded_)
        candidates.push_back(state.tile);
    if (index_)
        for (const uint32_t tile : index_->faultyTiles())
            candidates.push_back(tile);
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    // A tile-part may name a tile the grid does not have (code 12001): there is nothing to mark.
    if (grid_)
        candidates.erase(std::lower_bound(candidates.begin(), candidates.end(), gridTiles), candidates.end());

    std::vector<uint64_t> failed, faulty;
    uint64_t failedCount = 0, faultyCount = 0;
    const auto note = [](std::vector<uint64_t>& named, uint64_t& count, uint64_t tile) {
        ++count;
        if (named.size() < namedTiles)
            named.push_back(tile);
    };
    for (const uint64_t tile : candidates) {
        const TileMark mark = markOf(tile);
        if (mark == TileMark::absent && !missingInStream(tile)) {
            ++absent;
            absentNamed.push_back(tile);
        } else if (mark == TileMark::failed) {
            note(failed, failedCount, tile);
        } else if (mark == TileMark::faulty) {
            note(faulty, faultyCount, tile);
        }
    }
    std::sort(absentNamed.begin(), absentNamed.end());
    absentNamed.resize(std::min<size_t>(absentNamed.size(), namedTiles));

    QStringList sentences;
    if (absent > 0)
        sentences << QString::fromUtf8("Bez danych (przekreślone): %1.").arg(tileList(absentNamed, absent));
    if (failedCount > 0)
        sentences << QString::fromUtf8("Niezdekodowane (w kratkę): %1.").arg(tileList(failed, failedCount));
    if (faultyCount > 0)
        sentences << QString::fromUtf8("Z błędami (kreskowane): %1.").arg(tileList(faulty, faultyCount));
    return sentences.join(QLatin1Char(' '));
}
