#pragma once
// The structure tree as an item model over the engine's element table: a row per tree item, each
// with what it stands for, kept in flat arrays so that a stream of a hundred thousand tile-parts
// costs no widget and no object per item. The row of an element or a box is found in constant time.
// A screen reader reads each row with its position in the file, and a tile-part's row with its tile
// and part, which its name alone ("SOT") does not tell apart; these are read from the file when asked.

#include "app/tree/fileItems.h"

#include <QAbstractItemModel>

#include <cstdint>
#include <vector>

class jpcAnalyzer;

class StructureModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit StructureModel(QObject* parent = nullptr);

    // Rebuilds the rows from the engine's tree; null empties the model.
    void reset(const jpcAnalyzer* analyzer);

    QModelIndex fileIndex() const;
    QModelIndex indexOf(FileItem item) const;
    // What a row stands for; the file for no row.
    FileItem itemOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

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
    int nodeOf(const QModelIndex& index) const;
    QModelIndex indexOfNode(int node) const;
    QString accessibleText(const QModelIndex& index) const;

    const jpcAnalyzer* analyzer_ = nullptr;
    std::vector<Row> nodes_;      // node 0 is the invisible root
    std::vector<int> children_;   // the children of each node, contiguous per node
    std::vector<int> nodeOfElement_;
    std::vector<int> nodeOfBox_;
    std::vector<QString> labels_;  // the few distinct texts of the items
};
