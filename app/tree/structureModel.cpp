#include "app/tree/structureModel.h"

#include "app/numberText.h"
#include "engine/jpcAnalyzer.h"
#include "engine/packetMap.h"
#include "present/packetLabel.h"
#include "present/structureTree.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>

namespace {

// A packet row's id: the node of its data block in the low half, its row plus one above.
static_assert(sizeof(quintptr) >= 8);
constexpr int packetRowShift = 32;

quintptr packetRowId(int node, int row)
{
    return static_cast<quintptr>(node) | (static_cast<quintptr>(row) + 1) << packetRowShift;
}

}  // namespace

StructureModel::StructureModel(QObject* parent) : QAbstractItemModel(parent) {}

StructureModel::~StructureModel() = default;

void StructureModel::reset(const jpcAnalyzer* analyzer)
{
    beginResetModel();
    // The map reads the engine: it goes first.
    packetMap_.reset();
    packetRows_.clear();
    analyzer_ = analyzer;
    packetsReadable_ = analyzer && analyzer->getStatus() != jpcAnalyzer::statusFatal && analyzer->eocReached();
    nodes_.clear();
    children_.clear();
    nodeOfElement_.clear();
    nodeOfBox_.clear();
    labels_.clear();
    if (analyzer) {
        const std::vector<TreeItem> items = buildStructureTree(*analyzer);
        nodeOfElement_.assign(analyzer->getMarkerOffsets().size(), -1);
        nodeOfBox_.assign(analyzer->getBoxes().size(), -1);
        nodes_.reserve(items.size() + 1);
        nodes_.push_back({ItemKind::File, 0, -1, -1, 0, 0, 0});
        // An item's text follows from what it is: the file, a data block, or a marker's code byte.
        std::array<int, 258> labelOfKind;
        labelOfKind.fill(-1);
        std::map<std::string, int> labelOfBoxType;
        // The tree lists items in display order with their depth: an item's parent is the last item
        // one level up, or the invisible root at the top level. Box files nest deeper than streams.
        std::vector<int> lastAtDepth;
        for (const TreeItem& item : items) {
            const int node = static_cast<int>(nodes_.size());
            const int parent = item.depth == 0 ? 0 : lastAtDepth[item.depth - 1];
            lastAtDepth.resize(item.depth + 1);
            lastAtDepth[item.depth] = node;
            const ItemKind kind = item.box >= 0 ? ItemKind::Box : item.index < 0 ? ItemKind::File : ItemKind::Element;
            int* label = &labelOfKind[257];  // the file
            if (kind == ItemKind::Box)
                label = &labelOfBoxType.try_emplace(item.label, -1).first->second;
            else if (kind == ItemKind::Element)
                label = &labelOfKind[analyzer->isMarker(item.index)
                                         ? static_cast<uint8_t>(analyzer->getMarkerCode(item.index))
                                         : 256];
            if (*label < 0) {
                *label = static_cast<int>(labels_.size());
                labels_.push_back(QString::fromStdString(item.label));
            }
            const int id = kind == ItemKind::Box ? item.box : item.index;
            const int rowInParent = nodes_[parent].childCount++;
            nodes_.push_back({kind, static_cast<uint32_t>(*label), id, parent, rowInParent, 0, 0});
            if (kind == ItemKind::Element)
                nodeOfElement_[item.index] = node;
            else if (kind == ItemKind::Box)
                nodeOfBox_[item.box] = node;
        }
        // Children of each node side by side in one array; the display order keeps them in order.
        int next = 0;
        for (Row& row : nodes_) {
            row.firstChild = next;
            next += row.childCount;
        }
        children_.resize(next);
        for (int node = 1; node < static_cast<int>(nodes_.size()); ++node) {
            const Row& row = nodes_[node];
            children_[nodes_[row.parent].firstChild + row.rowInParent] = node;
        }
    }
    endResetModel();
}

int StructureModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<int>(index.internalId() & 0x7FFFFFFF) : 0;
}

bool StructureModel::isPacketRow(const QModelIndex& index)
{
    return index.isValid() && index.internalId() >> packetRowShift != 0;
}

QModelIndex StructureModel::indexOfNode(int node) const
{
    if (node <= 0)
        return {};
    return createIndex(nodes_[node].rowInParent, 0, static_cast<quintptr>(node));
}

QModelIndex StructureModel::fileIndex() const { return index(0, 0); }

QModelIndex StructureModel::indexOf(FileItem item) const
{
    if (item.kind == ItemKind::File)
        return fileIndex();
    if (item.kind == ItemKind::Packet) {
        const QModelIndex data = indexOf({ItemKind::Element, item.id});
        const PacketRows* rows = rowsOf(nodeOf(data));
        if (!rows || item.packet >= rows->packets.size())
            return {};
        return createIndex(static_cast<int>(item.packet), 0, packetRowId(nodeOf(data), static_cast<int>(item.packet)));
    }
    const std::vector<int>& nodes = item.kind == ItemKind::Box ? nodeOfBox_ : nodeOfElement_;
    if (item.id < 0 || static_cast<size_t>(item.id) >= nodes.size())
        return {};
    return indexOfNode(nodes[item.id]);
}

FileItem StructureModel::itemOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    const Row& row = nodes_[nodeOf(index)];
    if (isPacketRow(index))
        return {ItemKind::Packet, row.id, static_cast<uint32_t>(index.row())};
    return {row.kind, row.id};
}

QModelIndex StructureModel::index(int row, int column, const QModelIndex& parent) const
{
    if (nodes_.empty() || column != 0 || row < 0 || isPacketRow(parent))
        return {};
    if (const PacketRows* rows = rowsOf(nodeOf(parent)))
        return row < static_cast<int>(rows->packets.size()) ? createIndex(row, 0, packetRowId(nodeOf(parent), row))
                                                             : QModelIndex();
    const Row& p = nodes_[nodeOf(parent)];
    if (row >= p.childCount)
        return {};
    return createIndex(row, 0, static_cast<quintptr>(children_[p.firstChild + row]));
}

QModelIndex StructureModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    if (isPacketRow(child))
        return indexOfNode(nodeOf(child));
    return indexOfNode(nodes_[nodeOf(child)].parent);
}

int StructureModel::rowCount(const QModelIndex& parent) const
{
    if (nodes_.empty() || parent.column() > 0 || isPacketRow(parent))
        return 0;
    if (const PacketRows* rows = rowsOf(nodeOf(parent)))
        return static_cast<int>(rows->packets.size());
    return nodes_[nodeOf(parent)].childCount;
}

int StructureModel::columnCount(const QModelIndex&) const { return 1; }

QVariant StructureModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::AccessibleTextRole)
        return accessibleText(index);
    if (role != Qt::DisplayRole)
        return {};
    if (isPacketRow(index))
        return QString::fromStdString(packetLabel(rowsOf(nodeOf(index))->packets[index.row()]));
    return labels_[nodes_[nodeOf(index)].label];
}

// "SOT, kafel 3, część 1, pozycja 0x000001a2"; the file's row is its name alone. A packet's row
// spells out what its short label abbreviates.
QString StructureModel::accessibleText(const QModelIndex& index) const
{
    if (isPacketRow(index)) {
        const Packet& p = rowsOf(nodeOf(index))->packets[index.row()];
        return QString::fromUtf8("pakiet, warstwa %1, rozdzielczość %2, komponent %3, precinct %4, pozycja %5")
            .arg(p.layer)
            .arg(p.resolution)
            .arg(p.component)
            .arg(p.precinct)
            .arg(hexOffsetText(p.offset));
    }
    const Row& row = nodes_[nodeOf(index)];
    QString text = labels_[row.label];
    if (row.kind == ItemKind::File || !analyzer_)
        return text;
    const uint64_t offset =
        row.kind == ItemKind::Box ? analyzer_->getBoxes()[row.id].offset : analyzer_->getMarkerOffsets()[row.id];
    if (row.kind == ItemKind::Element && analyzer_->getElementCode(row.id) == 0x90) {
        // Isot and TPsot, as far as the file still holds them.
        const ByteImage& file = analyzer_->getFileImage();
        try {
            if (file.contains(offset, 11))
                text += QString::fromUtf8(", kafel %1, część %2").arg(file.be16(offset + 4)).arg(file.u8(offset + 10));
        } catch (const ImageOverrun&) {
        }
    }
    return text + QString::fromUtf8(", pozycja ") + hexOffsetText(offset);
}

QVariant StructureModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section != 0 || orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return QStringLiteral("struktura pliku");
}

Qt::ItemFlags StructureModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isPacketRow(index) || (nodes_[nodeOf(index)].childCount == 0 && !dataNode(index)))
        f |= Qt::ItemNeverHasChildren;
    return f;
}

int StructureModel::dataNode(const QModelIndex& index) const
{
    if (!packetsReadable_ || isPacketRow(index))
        return 0;
    const int node = nodeOf(index);
    const Row& row = nodes_[node];
    return node > 0 && row.kind == ItemKind::Element && !analyzer_->isMarker(row.id) ? node : 0;
}

const StructureModel::PacketRows* StructureModel::rowsOf(int node) const
{
    const auto rows = packetRows_.find(node);
    return rows == packetRows_.end() ? nullptr : &rows->second;
}

bool StructureModel::hasChildren(const QModelIndex& parent) const
{
    // A data block's row may open until its packets are read.
    if (dataNode(parent) && !rowsOf(nodeOf(parent)))
        return true;
    return rowCount(parent) > 0;
}

bool StructureModel::canFetchMore(const QModelIndex& parent) const
{
    return dataNode(parent) && !rowsOf(nodeOf(parent));
}

PacketMap& StructureModel::packetMap()
{
    if (!packetMap_)
        packetMap_ = std::make_unique<PacketMap>(*analyzer_);
    return *packetMap_;
}

// The block's tile is read, and its tile-part's share of the packets kept; a block whose packets
// cannot be placed keeps none, and its row closes.
void StructureModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    const int node = nodeOf(parent);
    PacketRows rows;
    if (const auto place = packetMap().placeOfData(nodes_[node].id)) {
        const TilePackets& tile = packetMap().tilePackets(place->tile);
        rows.tile = place->tile;
        if (place->part + 1u < tile.partStart.size()) {
            rows.first = tile.partStart[place->part];
            rows.packets.assign(tile.packets.begin() + rows.first,
                                tile.packets.begin() + tile.partStart[place->part + 1]);
        }
    }
    const int count = static_cast<int>(rows.packets.size());
    if (count == 0) {
        packetRows_.emplace(node, std::move(rows));
        return;
    }
    beginInsertRows(parent, 0, count - 1);
    packetRows_.emplace(node, std::move(rows));
    endInsertRows();
}

std::optional<FileItem> StructureModel::packetAt(int element, uint64_t offset) const
{
    const QModelIndex data = indexOf({ItemKind::Element, element});
    const PacketRows* rows = dataNode(data) ? rowsOf(nodeOf(data)) : nullptr;
    if (!rows)
        return std::nullopt;
    const std::vector<Packet>& packets = rows->packets;
    // The packets of a tile-part follow one another in its data.
    const auto after = std::upper_bound(packets.begin(), packets.end(), offset,
                                        [](uint64_t at, const Packet& p) { return at < p.offset; });
    if (after == packets.begin() || offset >= (after - 1)->bodyEnd)
        return std::nullopt;
    return FileItem{ItemKind::Packet, element, static_cast<uint32_t>(after - 1 - packets.begin())};
}

std::optional<StructureModel::PacketFacts> StructureModel::packetOf(FileItem item) const
{
    if (item.kind != ItemKind::Packet)
        return std::nullopt;
    const PacketRows* rows = rowsOf(nodeOf(indexOf({ItemKind::Element, item.id})));
    if (!rows || item.packet >= rows->packets.size())
        return std::nullopt;
    return PacketFacts{rows->packets[item.packet], rows->tile, rows->first + item.packet};
}

std::optional<Area> StructureModel::precinctOf(FileItem item)
{
    const auto facts = packetOf(item);
    if (!facts)
        return std::nullopt;
    return packetMap().precinctArea(facts->tile, facts->packet);
}

std::vector<CodeBlockContribution> StructureModel::codeBlocksOf(FileItem item)
{
    const auto facts = packetOf(item);
    if (!facts)
        return {};
    return packetMap().codeBlocks(facts->tile, facts->index);
}
