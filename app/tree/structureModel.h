#pragma once
// The structure tree as an item model over the engine's element table: a row per tree item, each
// with what it stands for, kept in flat arrays so that a stream of a hundred thousand tile-parts
// costs no widget and no object per item. The row of an element or a box is found in constant time.
// A screen reader reads each row with its position in the file, and a tile-part's row with its tile
// and part, which its name alone ("SOT") does not tell apart; these are read from the file when asked.
//
// A data block's row opens to its packets. They are read when the row is first opened (or a byte
// of its data is asked about), a tile at a time, and kept while the file is shown: opening a file
// reads no packet, and only the rows the user opens cost memory.

#include "app/tree/fileItems.h"
#include "engine/packetHeader.h"
#include "engine/packetTile.h"

#include <QAbstractItemModel>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class PacketMap;
class jpcAnalyzer;

class StructureModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit StructureModel(QObject* parent = nullptr);
    ~StructureModel() override;

    // Rebuilds the rows from the engine's tree; null empties the model.
    void reset(const jpcAnalyzer* analyzer);

    QModelIndex fileIndex() const;
    QModelIndex indexOf(FileItem item) const;
    // What a row stands for; the file for no row.
    FileItem itemOf(const QModelIndex& index) const;

    // The packet of the data block `element` whose bytes hold the offset, once the block's row is
    // filled (fetchMore); nothing when no packet holds it.
    std::optional<FileItem> packetAt(int element, uint64_t offset) const;
    struct PacketFacts {
        Packet packet;
        uint16_t tile;
        uint32_t index;  // in the tile's order
    };
    // A packet whose row is filled; nothing for any other item.
    std::optional<PacketFacts> packetOf(FileItem item) const;
    // What each code-block of the packet's precinct contributes to it (reads its tile again when
    // another tile was read since).
    std::vector<CodeBlockContribution> codeBlocksOf(FileItem item);
    // What the packet's precinct covers on the reference grid; nothing for any other item.
    std::optional<Area> precinctOf(FileItem item);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Row {
        ItemKind kind;
        uint32_t label;      // into labels_
        int id;
        int parent;          // node of the parent; 0 is the invisible root
        int rowInParent;
        int firstChild;      // into children_
        int childCount;
    };
    // The packets of one data block, as its row shows them.
    struct PacketRows {
        uint16_t tile = 0;
        uint32_t first = 0;  // the first one's number in the tile's order
        std::vector<Packet> packets;
    };
    // A packet row's internal id holds its data block's node and, above it, its row plus one.
    int nodeOf(const QModelIndex& index) const;
    static bool isPacketRow(const QModelIndex& index);
    QModelIndex indexOfNode(int node) const;
    QString accessibleText(const QModelIndex& index) const;
    // The node of a data block whose packets can be read; 0 for any other.
    int dataNode(const QModelIndex& index) const;
    const PacketRows* rowsOf(int node) const;
    PacketMap& packetMap();

    const jpcAnalyzer* analyzer_ = nullptr;
    std::vector<Row> nodes_;      // node 0 is the invisible root
    std::vector<int> children_;   // the children of each node, contiguous per node
    std::vector<int> nodeOfElement_;
    std::vector<int> nodeOfBox_;
    std::vector<QString> labels_;  // the few distinct texts of the items
    // The walk reached EOC without a fatal fault: the data can be split into packets.
    bool packetsReadable_ = false;
    std::unique_ptr<PacketMap> packetMap_;     // made at the first packet asked for
    std::map<int, PacketRows> packetRows_;      // by the node of the data block, once filled
};
