#include "app/tree/structureModel.h"

#include "app/numberText.h"
#include "engine/jpcAnalyzer.h"
#include "present/structureTree.h"

#include <array>
#include <map>
#include <string>

StructureModel::StructureModel(QObject* parent) : QAbstractItemModel(parent) {}

void StructureModel::reset(const jpcAnalyzer* analyzer)
{
    beginResetModel();
    analyzer_ = analyzer;
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
    return index.isValid() ? static_cast<int>(index.internalId()) : 0;
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
    return {row.kind, row.id};
}

QModelIndex StructureModel::index(int row, int column, const QModelIndex& parent) const
{
    if (nodes_.empty() || column != 0 || row < 0)
        return {};
    const Row& p = nodes_[nodeOf(parent)];
    if (row >= p.childCount)
        return {};
    return createIndex(row, 0, static_cast<quintptr>(children_[p.firstChild + row]));
}

QModelIndex StructureModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    return indexOfNode(nodes_[nodeOf(child)].parent);
}

int StructureModel::rowCount(const QModelIndex& parent) const
{
    if (nodes_.empty() || parent.column() > 0)
        return 0;
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
    return labels_[nodes_[nodeOf(index)].label];
}

// "SOT, kafel 3, część 1, pozycja 0x000001a2"; the file's row is its name alone.
QString StructureModel::accessibleText(const QModelIndex& index) const
{
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
    if (nodes_[nodeOf(index)].childCount == 0)
        f |= Qt::ItemNeverHasChildren;
    return f;
}
