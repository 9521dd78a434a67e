#pragma once
// The analysis view: the verdict line, the structure tree, the offset column and hex pane, the
// detail pane and the two buttons. It reads the document's engine and never changes it.
//
// Beyond showing the element selected in the tree, it works the other way too: the byte under the
// hex cursor selects the element that holds it and the line of the field that holds it, and the
// workbench's commands (go to an offset, find bytes, step through the faults, copy, show what a
// broken file still holds) move the cursor and the selection.

#include "app/hex/hexGeometry.h"
#include "app/tree/fileItems.h"
#include "present/elementText.h"
#include "present/tileIndex.h"

#include <QModelIndex>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class ByteSearch;
class Ctarvik3Doc;
class HexPane;
class OffsetColumn;
class PacketChecks;
class PreviewPane;
class QBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTreeView;
class StructureModel;
class jpcAnalyzer;

class Ctarvik3View : public QWidget {
    Q_OBJECT
public:
    explicit Ctarvik3View(Ctarvik3Doc* document, QWidget* parent = nullptr);

    // After every open and new document: empties the controls and fills them from the engine.
    void OnInitialUpdate();
    // The form's own size (427 × 209 dialog units, wider where the bytes need it); the frame starts
    // at its proportions.
    QSize formSize() const;
    // Eight or sixteen bytes a line in the hex pane and the offset column.
    void setBytesPerLine(int bytesPerLine);
    int bytesPerLine() const;
    // Where feedback shown beside the bytes stands: under the hex cursor when it is in view.
    QPoint feedbackPoint() const;

    // Selects, in the tree, the element or box that holds the file offset (parents expanded, in view).
    void selectItemAt(uint64_t offset);
    // The decoded picture, linked with the tree both ways; the frame puts it in a pane of its own.
    PreviewPane* previewPane() const { return m_preview; }
    // The frame placed the preview in the window: its picture follows the view's controls when tabbing.
    void OnPreviewPlaced();

    // The commands of the menus.
    void OnGoToOffset();
    void OnFindBytes();
    void OnFindNext();
    void OnFindPrevious();
    void OnNextFault();
    void OnPreviousFault();
    void OnEditCopy();
    void OnShowReadPart();

    // The file's bytes are shown: the commands that work on them can run.
    bool showsBytes() const;
    // A fatal verdict is shown alone, and the elements read before the stop can be shown.
    bool canShowReadPart() const;

    // What the status bar tells of the cursor: its offset, the marked bytes and the element.
    struct CursorFacts {
        uint64_t offset;
        uint64_t markedBytes;
        QString element;
        uint64_t fileSize;
    };
    std::optional<CursorFacts> cursorFacts() const;

signals:
    // Bytes in view could not be read or the file changed on disk since it was analysed.
    void fileChangedOnDisk();
    // A message for the status bar: the outcome of a command.
    void statusMessage(const QString& message);
    // The cursor, the marked bytes or the element changed.
    void cursorFactsChanged();
    // Which commands can run changed.
    void commandsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void OnUpdate();
    void fill();
    void showContents(const jpcAnalyzer& analyzer);
    void OnTreeSelChanged();
    void syncOffsetColumn();
    void OnDescribeMarker();
    void OnShowErrors();
    // Starts the preview of the engine's codestream, whatever its verdict: the decoder shows what
    // it can of a broken stream.
    void showPreview(const jpcAnalyzer& analyzer);
    // A tile chosen in the picture: the SOT of its first tile-part is selected.
    void OnPreviewTileChosen(uint32_t tile);
    // The verdict line's text, coloured by the verdict's status; -1: no colour (an empty file, none).
    void showVerdict(const QString& text, int status);
    // The bytes keep the width a whole line needs; the tree and the detail pane share the rest.
    void fitBytesPart();
    void shareSplitterWidth();
    void updateButtons();
    QModelIndex selectedItem() const;

    // Bytes to tree: the hex cursor moved by the user.
    void OnHexCursorMoved(uint64_t offset, bool extending);
    // Selects the item's tree row without moving the hex pane.
    void followInTree(FileItem item);
    // The item that holds the byte, down to the packet where its data block's packets can be read.
    FileItem itemAtByte(uint64_t offset);
    // Marks the item's bytes in the hex pane (a packet's SOP, header and EPH apart from its body);
    // returns them.
    ByteRange markItem(FileItem item);
    // The faults of the engine and those of the packet checks, in file order.
    void collectFaults();
    void OnPacketChecksFinished();
    // Puts the item's text in the detail pane, unless it is there already; nothing empties the pane.
    void showDetail(std::optional<FileItem> item);
    void highlightInPreview(FileItem item);
    // The field that holds the byte: highlighted in the hex pane, its line marked in the detail pane.
    void followField(uint64_t offset);
    void OnDetailCursorMoved();
    // The bytes of the field a line of the detail pane shows; empty for a line that shows none.
    ByteRange fieldOfLine(int line) const;
    void markDetailLine(int line);
    // The cursor on the byte, the item that holds it selected and marked, its line at the top.
    void jumpTo(uint64_t offset);

    void findFrom(uint64_t from, bool forward);
    // Runs a search to its end, with progress and a way to stop it once it takes long.
    void runSearch(ByteSearch& search);
    void stepFault(bool forward);

    Ctarvik3Doc* m_pDocument;
    // The controls must be filled from the document; a fatal verdict leaves it set.
    bool m_bRefill = true;
    // The hex pane's first visible line as the view last moved the offset column to it.
    qint64 m_nHexTopLine = 0;
    // The tree follows the hex cursor: its selection must not move the hex pane.
    bool m_bFollowingBytes = false;
    // The detail pane's text is being replaced: its cursor moves are not the user's.
    bool m_bSettingDetail = false;
    // The item whose text the detail pane shows, and its lines' fields.
    std::optional<FileItem> m_detailItem;
    std::vector<std::optional<FieldBytes>> m_lineFields;
    // The bytes last looked for, and where the last search found them.
    std::vector<uint8_t> m_findPattern;
    std::optional<uint64_t> m_lastHit;
    // The faults in file order, and the one the last step showed.
    struct Fault {
        uint64_t position;
        int code;
    };
    std::vector<Fault> m_faults;
    int m_nFault = -1;
    // The packet checks of the file shown, whose faults join the engine's.
    PacketChecks* m_packetChecks;
    // The elements of a fatally broken file are shown.
    bool m_bReadPartShown = false;
    // The user moved a splitter: the widths are theirs from then on.
    bool m_bSplitMoved = false;
    // The tile-parts of the engine's codestream, shared with the preview's marks.
    std::shared_ptr<const TileIndex> m_tiles;

    QLineEdit* m_verdict;
    QPlainTextEdit* m_detail;
    OffsetColumn* m_offsets;
    QTreeView* m_tree;
    HexPane* m_hex;
    QPushButton* m_describe;
    QPushButton* m_errors;
    QPushButton* m_readPart;
    // Beside the verdict while the packets are being checked, or when they could not be.
    QLabel* m_packetState;
    QLabel* m_treeHeading;
    QLabel* m_bytesHeading;
    QLabel* m_detailHeading;
    QSplitter* m_splitter;
    QWidget* m_bytesPart;
    QWidget* m_detailPart;
    QBoxLayout* m_buttons;
    StructureModel* m_model;
    PreviewPane* m_preview;
};
