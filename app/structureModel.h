#pragma once
// The structure tree as an item model over the engine's element table: a row per tree item, each
// with its kind and an id (the element index for elements), kept in flat arrays so that a stream of
// a hundred thousand tile-parts costs no widget and no object per item. The row of an element is
// found in constant time.

#include <QAbstractItemModel>

#include <cstdint>
#include <vector>

class jpcAnalyzer;

class StructureModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum class RowKind : uint8_t {
        File,     // the whole file: "JPC file"
        Element,  // a marker or a tile-part data block; the id is its element index
        Box,      // a box of a box file; the id is its index in the engine's box table
    };

    explicit StructureModel(QObject* parent = nullptr);

    // Rebuilds the rows from the engine's tree; null empties the model.
    void reset(const jpcAnalyzer* analyzer);

    QModelIndex fileIndex() const;
    // The row of an element; the file row for -1.
    QModelIndex indexOfElement(int element) const;
    RowKind kindOf(const QModelIndex& index) const;
    int idOf(const QModelIndex& index) const;
    // The element index of a row, -1 for the file row.
    int elementOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        RowKind kind;
        uint32_t label;      // into labels_
        int id;
        int parent;          // node of the parent; 0 is the invisible root
        int rowInParent;
        int firstChild;      // into children_
        int childCount;
    };
    int nodeOf(const QModelIndex& index) const;
    QModelIndex indexOfNode(int node) const;

    std::vector<Row> nodes_;      // node 0 is the invisible root
    std::vector<int> children_;   // the children of each node, contiguous per node
    std::vector<int> nodeOfElement_;
    std::vector<QString> labels_;  // the few distinct texts of the items
};
