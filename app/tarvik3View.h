#pragma once
// The analysis view: the verdict line, the structure tree, the offset column and hex pane, the
// detail pane and the two buttons. It reads the document's engine and never changes it.

#include "app/formLayout.h"
#include "app/hexGeometry.h"

#include <QModelIndex>
#include <QWidget>

#include <cstdint>

class Ctarvik3Doc;
class HexPane;
class OffsetColumn;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;
class StructureModel;
class jpcAnalyzer;

class Ctarvik3View : public QWidget {
    Q_OBJECT
public:
    explicit Ctarvik3View(Ctarvik3Doc* document, QWidget* parent = nullptr);

    // After every open and new document: empties the controls and fills them from the engine.
    void OnInitialUpdate();
    // The form's own size; the frame starts at it and smaller views scroll.
    QSize formSize() const;

    // Selects, in the tree, the element that holds the file offset (parents expanded, in view).
    void selectElementAt(uint64_t offset);

signals:
    // Bytes in view could not be read or the file changed on disk since it was analysed.
    void fileChangedOnDisk();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnUpdate();
    void fill();
    void OnTreeSelChanged();
    void syncOffsetColumn();
    void OnDescribeMarker();
    void OnShowErrors();
    FormRects formRectsFor(QSize available) const;
    void placeControls();
    QModelIndex selectedItem() const;
    // The bytes a tree row stands for: the element's, or the whole file's for the file row.
    ByteRange bytesOfElement(const jpcAnalyzer& analyzer, int element) const;

    Ctarvik3Doc* m_pDocument;
    // The controls must be filled from the document; a fatal verdict leaves it set.
    bool m_bRefill = true;
    // The hex pane's first visible line as the view last moved the offset column to it.
    qint64 m_nHexTopLine = 0;

    QLineEdit* m_verdict;
    QPlainTextEdit* m_detail;
    OffsetColumn* m_offsets;
    QTreeView* m_tree;
    HexPane* m_hex;
    QPushButton* m_describe;
    QPushButton* m_errors;
    QLabel* m_treeHeading;
    QLabel* m_bytesHeading;
    QLabel* m_detailHeading;
    StructureModel* m_model;
};
