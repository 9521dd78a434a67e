#include "app/tarvik3View.h"

#include "app/dialogs/errorsDlg.h"
#include "app/layout/dialogUnits.h"
#include "app/layout/formLayout.h"
#include "app/hex/hexPane.h"
#include "app/dialogs/markerDescriptionDlg.h"
#include "app/hex/offsetColumn.h"
#include "app/packets/packetChecks.h"
#include "app/preview/pictureView.h"
#include "app/preview/previewPane.h"
#include "app/tree/structureModel.h"
#include "app/tarvik3Doc.h"
#include "engine/jpcAnalyzer.h"
#include "present/boxText.h"
#include "present/codestreamSource.h"
#include "present/elementText.h"
#include "present/markerDescription.h"
#include "present/packetText.h"
#include "present/tileGrid.h"
#include "present/verdict.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTreeView>

#include <algorithm>
#include <stdexcept>

namespace {

// Narrower than its text, a heading takes a second line rather than hide its end.
QLabel* heading(const char* text)
{
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

// Light backgrounds under black text, so that the verdict reads the same without colour.
QColor verdictColour(int status)
{
    switch (status) {
    case jpcAnalyzer::statusClean:
        return {206, 238, 206};
    case jpcAnalyzer::statusFatal:
        return {246, 196, 196};
    default:
        return {255, 228, 160};
    }
}

// The summary needs an element 1 to read the SIZ fields from; a stream without one has none.
ElementText itemText(const jpcAnalyzer& analyzer, FileItem item)
{
    try {
        if (item.kind == ItemKind::Box)
            return buildBoxTextWithFields(analyzer, item.id);
        return buildElementTextWithFields(analyzer, item.kind == ItemKind::Element ? item.id : -1);
    } catch (const std::invalid_argument&) {
        return {};
    }
}

// Keeps a selection as visible without the focus as with it.
void keepSelectionColours(QWidget* widget)
{
    QPalette palette = widget->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    widget->setPalette(palette);
}

}  // namespace

Ctarvik3View::Ctarvik3View(Ctarvik3Doc* document, QWidget* parent)
    : QWidget(parent), m_pDocument(document), m_model(new StructureModel(this)), m_preview(new PreviewPane)
{
    setFont(formFont());
    m_hex = new HexPane;
    m_hex->setObjectName("hex");
    m_hex->setAccessibleName(QString::fromUtf8("zawartość pliku (szesnastkowo)"));
    // By the tab key as well as by a click: the keys that move the cursor need the focus.
    m_hex->setFocusPolicy(Qt::StrongFocus);

    m_tree = new QTreeView;
    m_tree->setObjectName("tree");
    m_tree->setAccessibleName(QStringLiteral("struktura pliku"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    // Items narrower than the tree never need a sideways scroll; wider ones are elided.
    m_tree->header()->setSectionResizeMode(QHeaderView::Stretch);
    m_tree->setUniformRowHeights(true);
    m_tree->setRootIsDecorated(true);
    // Narrower steps than the style's, so that the data items two levels down fit the form's tree.
    m_tree->setIndentation(m_tree->fontMetrics().averageCharWidth() * 2 + 2);
    m_tree->setDragEnabled(false);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    keepSelectionColours(m_tree);

    m_offsets = new OffsetColumn;
    m_offsets->setObjectName("offsets");
    m_offsets->setAccessibleName(QStringLiteral("pozycje linii"));
    m_offsets->viewport()->installEventFilter(this);

    m_detail = new QPlainTextEdit;
    m_detail->setObjectName("detail");
    m_detail->setAccessibleName(QString::fromUtf8("dane wybranego elementu struktury"));
    m_detail->setReadOnly(true);
    m_detail->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A caret the keys move, so that a field's line can be chosen without the mouse.
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    m_describe = new QPushButton(QStringLiteral("&opis markera"));
    m_describe->setObjectName("describe");
    m_errors = new QPushButton(QString::fromUtf8("pokaż &bledy"));
    m_errors->setObjectName("errors");
    for (QPushButton* button : {m_describe, m_errors})
        button->setAutoDefault(false);

    m_treeHeading = heading("struktura pliku");
    m_bytesHeading = heading("zawartość pliku (szesnastkowo)");
    m_detailHeading = heading("dane wybranego elementu struktury");

    m_verdict = new QLineEdit;
    m_verdict->setObjectName("verdict");
    m_verdict->setAccessibleName(QStringLiteral("werdykt"));
    m_verdict->setReadOnly(true);
    m_verdict->setAlignment(Qt::AlignCenter);

    // Beside the verdict of a fatally broken file only.
    m_readPart = new QPushButton(QString::fromUtf8("Pokaż odczytaną część"));
    m_readPart->setObjectName("readPart");
    m_readPart->setAutoDefault(false);
    m_readPart->hide();
    m_packetState = new QLabel;
    m_packetState->setObjectName("packetState");
    m_packetState->hide();
    m_packetChecks = new PacketChecks(this);
    m_packetChecks->setObjectName("packetChecks");

    // The form's arrangement in dialog units: 7 to every edge, the headings 1 under the verdict, the
    // panes 4 under their headings, the buttons 4 under the detail pane and 1 apart.
    const DialogUnits units(font());
    const auto across = [&](int du) { return units.size(du, 0).width(); };
    const auto down = [&](int du) { return units.size(0, du).height(); };
    const auto column = [&](QWidget* top, QLayout* rest) {
        auto* part = new QWidget;
        auto* layout = new QVBoxLayout(part);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(down(4));
        layout->addWidget(top);
        layout->addLayout(rest, 1);
        return part;
    };
    const auto row = [](std::initializer_list<QWidget*> widgets, int spacing) {
        auto* layout = new QHBoxLayout;
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(spacing);
        for (QWidget* widget : widgets)
            layout->addWidget(widget, 1);
        return layout;
    };
    auto* treeRest = new QVBoxLayout;
    treeRest->addWidget(m_tree);
    QWidget* treePart = column(m_treeHeading, treeRest);
    m_bytesPart = column(m_bytesHeading, row({m_offsets, m_hex}, 0));
    auto* detailRest = new QVBoxLayout;
    detailRest->setSpacing(down(4));
    detailRest->addWidget(m_detail, 1);
    m_buttons = row({m_describe, m_errors}, across(1));
    detailRest->addLayout(m_buttons);
    m_detailPart = column(m_detailHeading, detailRest);
    // Narrower than both buttons side by side, the detail pane has them one over the other.
    m_detailPart->setMinimumWidth(std::max(m_describe->sizeHint().width(), m_errors->sizeHint().width()));
    m_detailPart->installEventFilter(this);
    m_tree->setMinimumWidth(across(30));

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->setObjectName("splitter");
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(across(5));
    for (QWidget* part : {treePart, m_bytesPart, m_detailPart})
        m_splitter->addWidget(part);
    // Extra width made by the user goes to the tree and the detail pane, as the form shares it.
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setStretchFactor(2, 2);
    m_splitter->installEventFilter(this);
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { m_bSplitMoved = true; });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(across(7), down(7), across(7), down(7));
    layout->setSpacing(down(1));
    layout->addLayout(row({m_verdict}, across(5)));
    static_cast<QHBoxLayout*>(layout->itemAt(0)->layout())->addWidget(m_readPart);
    static_cast<QHBoxLayout*>(layout->itemAt(0)->layout())->addWidget(m_packetState);
    layout->addWidget(m_splitter, 1);
    fitBytesPart();

    setTabOrder(m_tree, m_hex);
    setTabOrder(m_hex, m_detail);
    setTabOrder(m_detail, m_describe);
    setTabOrder(m_describe, m_errors);
    setTabOrder(m_errors, m_verdict);
    setTabOrder(m_verdict, m_readPart);

    connect(document, &Ctarvik3Doc::contentsDeleted, this, &Ctarvik3View::OnUpdate);
    connect(document, &Ctarvik3Doc::documentChanged, this, &Ctarvik3View::OnInitialUpdate);
    // The selection, not the current item: the tree sets a current item without selecting it when it
    // first takes the focus, and nothing may be selected until the user selects it.
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &Ctarvik3View::OnTreeSelChanged);
    connect(m_hex, &LinePane::topLineChanged, this, &Ctarvik3View::syncOffsetColumn);
    connect(m_hex, &HexPane::fileChangedOnDisk, this, &Ctarvik3View::fileChangedOnDisk);
    connect(m_hex, &HexPane::cursorMoved, this, &Ctarvik3View::OnHexCursorMoved);
    connect(m_hex, &HexPane::markChanged, this, &Ctarvik3View::cursorFactsChanged);
    connect(m_detail, &QPlainTextEdit::cursorPositionChanged, this, &Ctarvik3View::OnDetailCursorMoved);
    connect(m_describe, &QPushButton::clicked, this, &Ctarvik3View::OnDescribeMarker);
    connect(m_errors, &QPushButton::clicked, this, &Ctarvik3View::OnShowErrors);
    connect(m_readPart, &QPushButton::clicked, this, &Ctarvik3View::OnShowReadPart);
    connect(m_preview, &PreviewPane::tileChosen, this, &Ctarvik3View::OnPreviewTileChosen);
    connect(m_packetChecks, &PacketChecks::finished, this, &Ctarvik3View::OnPacketChecksFinished);
    updateButtons();
}

QSize Ctarvik3View::formSize() const
{
    const DialogUnits units(font());
    const int bytesExtra = std::max(0, m_bytesPart->width() - units.size(57 + 142, 0).width());
    return units.size(427, 209) + QSize(bytesExtra, 0);
}

void Ctarvik3View::fitBytesPart()
{
    m_offsets->setFixedWidth(m_offsets->widthFor(HexGeometry::offsetCharsPerLine - 1));
    m_hex->setFixedWidth(m_hex->widthFor(static_cast<int>(m_hex->hexGeometry().digitsPerLine())));
    m_bytesPart->setFixedWidth(m_offsets->width() + m_hex->width());
    shareSplitterWidth();
}

void Ctarvik3View::shareSplitterWidth()
{
    if (m_bSplitMoved)
        return;
    const int available = m_splitter->width() - 2 * m_splitter->handleWidth();
    const PartWidths widths = sharedWidths(available, m_bytesPart->width(), m_splitter->widget(0)->minimumSizeHint().width(),
                                           m_detailPart->minimumWidth());
    m_splitter->setSizes({widths.tree, widths.bytes, widths.detail});
}

void Ctarvik3View::setBytesPerLine(int bytesPerLine)
{
    if (bytesPerLine == this->bytesPerLine())
        return;
    m_hex->setBytesPerLine(static_cast<uint64_t>(bytesPerLine));
    m_offsets->setBytesPerLine(static_cast<uint64_t>(bytesPerLine));
    fitBytesPart();
    m_hex->showByte(m_hex->cursor());
    syncOffsetColumn();
}

int Ctarvik3View::bytesPerLine() const { return static_cast<int>(m_hex->hexGeometry().bytesPerLine()); }

QPoint Ctarvik3View::feedbackPoint() const
{
    const QRect cursor = m_hex->characterRect(m_hex->caretChar());
    const QPoint local = cursor.isEmpty() ? QPoint(0, 0) : cursor.bottomLeft();
    return m_hex->viewport()->mapToGlobal(local);
}

bool Ctarvik3View::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_splitter && event->type() == QEvent::Resize) {
        shareSplitterWidth();
    } else if (watched == m_detailPart && event->type() == QEvent::Resize) {
        const int both = m_describe->sizeHint().width() + m_buttons->spacing() + m_errors->sizeHint().width();
        m_buttons->setDirection(m_detailPart->width() >= both ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    } else if (watched == m_offsets->viewport() && event->type() == QEvent::Wheel) {
        // The column has no scroll bar of its own: the wheel over it scrolls the bytes it stands beside.
        QCoreApplication::sendEvent(m_hex->viewport(), event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The view itself takes no focus by the tab key (a focus proxy would make Tab jump back to the tree
// from wherever the view stands in the chain): focus given to it goes on to the tree.
void Ctarvik3View::focusInEvent(QFocusEvent*) { m_tree->setFocus(); }

void Ctarvik3View::OnInitialUpdate()
{
    OnUpdate();
    fill();
}

// Empties every control. The verdict line is emptied too: a verdict left from the previous file
// would speak for a file that has none (an empty file, or none at all).
void Ctarvik3View::OnUpdate()
{
    m_bRefill = true;
    m_model->reset(nullptr);
    m_offsets->showLines(0);
    m_hex->showFile(nullptr);
    showDetail(std::nullopt);
    showVerdict({}, -1);
    m_nHexTopLine = 0;
    m_packetChecks->stop();
    m_packetState->hide();
    m_faults.clear();
    m_nFault = -1;
    m_lastHit.reset();
    m_bReadPartShown = false;
    m_readPart->hide();
    m_tiles.reset();
    m_preview->showNothing(QString::fromUtf8("Nie otwarto żadnego pliku."));
    updateButtons();
    emit commandsChanged();
}

// Fills the controls once per document: a fatal verdict shows the verdict line alone, and offers to
// show what the walk read before it stopped. An empty file is said to be empty.
void Ctarvik3View::fill()
{
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    if (m_pDocument->holdsEmptyFile()) {
        showVerdict(QString::fromUtf8("Plik jest pusty (0 B)."), -1);
        m_preview->showNothing(QString::fromUtf8("Plik jest pusty (0 B): nie ma czego dekodować."));
    }
    if (!analyzer || !m_bRefill)
        return;
    showPreview(*analyzer);
    const int status = analyzer->getStatus();
    showVerdict(QString::fromStdString(verdictText(status)), status);
    if (status == jpcAnalyzer::statusFatal) {
        m_readPart->show();
        updateButtons();
        emit commandsChanged();
        return;
    }
    showContents(*analyzer);
}

void Ctarvik3View::showVerdict(const QString& text, int status)
{
    const QColor background = status < 0 ? QColor() : verdictColour(status);
    m_verdict->setText(text);
    // Cut at a narrow window, it shows its beginning, and the whole verdict is at hand.
    m_verdict->setCursorPosition(0);
    m_verdict->setToolTip(text);
    QPalette palette = this->palette();
    if (background.isValid()) {
        palette.setColor(QPalette::Base, background);
        palette.setColor(QPalette::Text, Qt::black);
    }
    m_verdict->setPalette(palette);
}

void Ctarvik3View::showContents(const jpcAnalyzer& analyzer)
{
    m_model->reset(&analyzer);
    m_tree->expand(m_model->fileIndex());
    // The codestream of a box file shows as a raw one's does: its SOC, SOT and EOC in view.
    if (const auto box = analyzer.getCodestreamBox()) {
        const QModelIndex codestream = m_model->indexOf({ItemKind::Box, *box});
        m_tree->scrollTo(codestream);  // expands the superboxes that hold it
        m_tree->expand(codestream);
    }
    m_hex->showFile(&analyzer);
    m_offsets->showLines(analyzer.getFileSize());
    m_nHexTopLine = 0;
    m_bRefill = false;
    showDetail(FileItem{});
    m_packetChecks->start(analyzer);
    m_packetState->setText(QString::fromUtf8("Sprawdzanie pakietów…"));
    m_packetState->setVisible(m_packetChecks->state() == PacketChecks::State::running);
    collectFaults();
    updateButtons();
    emit commandsChanged();
}

// A button that has nothing to act on is greyed, never silent: the errors need a file, the
// description an element or a box selected in the tree.
void Ctarvik3View::updateButtons()
{
    const FileItem selected = m_model->itemOf(selectedItem());
    m_errors->setEnabled(m_pDocument->getAnalyzer() != nullptr);
    m_describe->setEnabled(m_pDocument->getAnalyzer() && selected.kind != ItemKind::File);
}

QModelIndex Ctarvik3View::selectedItem() const
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.first();
}

void Ctarvik3View::OnTreeSelChanged()
{
    const QModelIndex current = selectedItem();
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    if (!current.isValid() || !analyzer)
        return;
    const FileItem item = m_model->itemOf(current);
    showDetail(item);
    highlightInPreview(item);
    updateButtons();
    emit cursorFactsChanged();
    if (m_bFollowingBytes)
        return;
    const ByteRange bytes = markItem(item);
    m_hex->setCursor(bytes.begin);
    m_hex->scrollToLine(static_cast<qint64>(m_hex->hexGeometry().lineOf(bytes.begin)));
    syncOffsetColumn();
}

// A tile-part's elements light their tile; a packet its tile and its precinct's area.
void Ctarvik3View::highlightInPreview(FileItem item)
{
    const auto packet = m_model->packetOf(item);
    std::optional<uint32_t> tile;
    if (packet)
        tile = packet->tile;
    else if (item.kind == ItemKind::Element && m_tiles)
        tile = m_tiles->tileOfElement(item.id);
    m_preview->highlightTile(tile);
    std::optional<GridRect> area;
    if (const auto precinct = packet ? m_model->precinctOf(item) : std::nullopt) {
        const auto clamp = [](uint64_t v) { return static_cast<uint32_t>(std::min<uint64_t>(v, UINT32_MAX)); };
        area = GridRect{clamp(precinct->x0), clamp(precinct->y0), clamp(precinct->x1), clamp(precinct->y1)};
    }
    m_preview->highlightArea(area);
}

void Ctarvik3View::OnPreviewPlaced() { setTabOrder(m_readPart, m_preview->picture()); }

void Ctarvik3View::showPreview(const jpcAnalyzer& analyzer)
{
    try {
        m_tiles = std::make_shared<const TileIndex>(analyzer);
        m_preview->showFile({m_pDocument->GetPathName(), codestreamSource(analyzer), readTileGrid(analyzer), m_tiles});
    } catch (const ImageOverrun&) {
        m_tiles.reset();
        m_preview->showNothing(QString::fromUtf8("Plik zmienił się na dysku od otwarcia: nie ma czego dekodować."));
    }
}

void Ctarvik3View::OnPreviewTileChosen(uint32_t tile)
{
    const auto sot = m_tiles ? m_tiles->firstTilePart(tile) : std::nullopt;
    if (!sot) {
        emit statusMessage(QString::fromUtf8("Kafel %1 nie ma w strumieniu żadnej części.").arg(tile));
        return;
    }
    // The tile-parts of a fatally broken file are in the part read before the fault.
    if (canShowReadPart())
        OnShowReadPart();
    const QModelIndex index = m_model->indexOf({ItemKind::Element, *sot});
    if (!index.isValid())
        return;
    m_tree->scrollTo(index);  // expands the parents
    m_tree->setCurrentIndex(index);
}

void Ctarvik3View::OnHexCursorMoved(uint64_t offset, bool extending)
{
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    if (!analyzer)
        return;
    const FileItem item = itemAtByte(offset);
    if (!extending)
        markItem(item);
    followInTree(item);
    followField(offset);
}

FileItem Ctarvik3View::itemAtByte(uint64_t offset)
{
    const FileItem item = itemAt(*m_pDocument->getAnalyzer(), offset);
    if (item.kind != ItemKind::Element)
        return item;
    m_model->fetchMore(m_model->indexOf(item));
    return m_model->packetAt(item.id, offset).value_or(item);
}

ByteRange Ctarvik3View::markItem(FileItem item)
{
    const auto facts = m_model->packetOf(item);
    if (!facts) {
        const ByteRange bytes = bytesOf(*m_pDocument->getAnalyzer(), item);
        m_hex->markRange(bytes);
        return bytes;
    }
    const Packet& p = facts->packet;
    const ByteRange bytes{p.offset, p.bodyEnd};
    m_hex->markRange(bytes);
    // Packed headers (PPM, PPT) stand apart from the packet's SOP and body.
    if (p.headerStart >= p.offset)
        m_hex->markParts({{p.offset, p.bodyStart}});
    else
        m_hex->markParts(
            {{p.offset, p.sop ? p.offset + 6u : p.offset}, {p.headerStart, p.headerEnd + (p.eph ? 2u : 0u)}});
    return bytes;
}

// The engine's faults and those of the packet checks; those of one position keep the list's order.
void Ctarvik3View::collectFaults()
{
    const jpcAnalyzer& analyzer = *m_pDocument->getAnalyzer();
    const auto& codes = analyzer.getErrorList();
    const auto& positions = analyzer.getErrorPositions();
    m_faults.clear();
    for (size_t i = 0; i < codes.size(); ++i)
        m_faults.push_back({positions[i], codes[i]});
    for (const PacketFinding& finding : m_packetChecks->findings())
        m_faults.push_back({finding.position, finding.code});
    std::stable_sort(m_faults.begin(), m_faults.end(),
                     [](const Fault& a, const Fault& b) { return a.position < b.position; });
    m_nFault = -1;
}

// Packet faults make a file that was clean one with errors; a file whose packets could not be
// checked says so beside its verdict.
void Ctarvik3View::OnPacketChecksFinished()
{
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    if (!analyzer)
        return;
    const bool failed = m_packetChecks->state() == PacketChecks::State::failed;
    if (failed)
        m_packetState->setText(QString::fromUtf8("Pakietów nie sprawdzono: plik zmienił się na dysku."));
    m_packetState->setVisible(failed);
    collectFaults();
    if (!m_packetChecks->findings().empty() && analyzer->getStatus() == jpcAnalyzer::statusClean)
        showVerdict(QString::fromStdString(verdictText(jpcAnalyzer::statusErrors)), jpcAnalyzer::statusErrors);
}

void Ctarvik3View::followInTree(FileItem item)
{
    const QModelIndex index = m_model->indexOf(item);
    if (!index.isValid())
        return;
    m_bFollowingBytes = true;
    m_tree->scrollTo(index);  // expands the parents
    m_tree->setCurrentIndex(index);
    m_bFollowingBytes = false;
}

void Ctarvik3View::showDetail(std::optional<FileItem> item)
{
    if (item == m_detailItem)
        return;
    m_detailItem = item;
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    ElementText shown;
    if (const auto packet = item ? m_model->packetOf(*item) : std::nullopt)
        shown = buildPacketText(packet->packet, packet->tile, packet->index, m_model->codeBlocksOf(*item));
    else if (item && analyzer)
        shown = itemText(*analyzer, *item);
    m_lineFields = std::move(shown.lineFields);
    m_bSettingDetail = true;
    m_detail->setPlainText(QString::fromStdString(shown.text));
    m_bSettingDetail = false;
    markDetailLine(-1);
    m_hex->markField({});
}

ByteRange Ctarvik3View::fieldOfLine(int line) const
{
    if (line < 0 || static_cast<size_t>(line) >= m_lineFields.size() || !m_lineFields[line])
        return {};
    return {m_lineFields[line]->begin, m_lineFields[line]->end};
}

// The narrowest field that holds the byte, the first of equals: a code-block's bytes before the
// packet body that holds them.
void Ctarvik3View::followField(uint64_t offset)
{
    int line = -1;
    for (size_t i = 0; i < m_lineFields.size(); ++i) {
        const auto& field = m_lineFields[i];
        if (field && field->contains(offset) &&
            (line < 0 || field->end - field->begin < m_lineFields[line]->end - m_lineFields[line]->begin))
            line = static_cast<int>(i);
    }
    m_hex->markField(fieldOfLine(line));
    markDetailLine(line);
}

// The user chose a line of the detail pane: the bytes of its field light up in the hex pane.
void Ctarvik3View::OnDetailCursorMoved()
{
    if (m_bSettingDetail)
        return;
    const int line = m_detail->textCursor().blockNumber();
    const ByteRange field = fieldOfLine(line);
    m_hex->markField(field);
    if (!field.empty())
        m_hex->showByte(field.begin);
    markDetailLine(field.empty() ? -1 : line);
}

void Ctarvik3View::markDetailLine(int line)
{
    QList<QTextEdit::ExtraSelection> marks;
    if (line >= 0) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(m_detail->document()->findBlockByNumber(line));
        mark.format.setBackground(fieldHighlightColour());
        mark.format.setForeground(Qt::black);
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks << mark;
        // Unwrapped, the pane scrolls by lines: the marked one is brought into view.
        QScrollBar* bar = m_detail->verticalScrollBar();
        const int lines = std::max(1, m_detail->viewport()->height() / m_detail->fontMetrics().lineSpacing());
        if (line < bar->value() || line >= bar->value() + lines)
            bar->setValue(line - lines / 2);
    }
    m_detail->setExtraSelections(marks);
}

// Runs after every vertical scroll of the hex pane, however it was moved.
void Ctarvik3View::syncOffsetColumn()
{
    const qint64 top = m_hex->topLine();
    m_offsets->scrollToLine(top);
    m_nHexTopLine = top;
}

void Ctarvik3View::OnDescribeMarker()
{
    CMarkerDescriptionDlg dialog(this);
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    const QModelIndex current = selectedItem();
    if (!analyzer || !current.isValid())
        return;
    const FileItem item = m_model->itemOf(current);
    if (item.kind == ItemKind::File)
        return;
    if (item.kind == ItemKind::Box)
        dialog.setText(QString::fromUtf8("Nie ma opisu do boksów"));
    else if (analyzer->isMarker(item.id))
        dialog.setText(QString::fromStdString(markerDescription(analyzer->getMarkerCode(item.id))));
    else
        dialog.setText(QStringLiteral("Nie ma opisu do danych"));
    dialog.exec();
}

void Ctarvik3View::OnShowErrors()
{
    CErrorsDlg dialog(this);
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    if (!analyzer)
        return;
    const auto& codes = analyzer->getErrorList();
    const auto& positions = analyzer->getErrorPositions();
    for (size_t i = 0; i < codes.size(); ++i)
        dialog.appendError(codes[i], positions[i]);
    // The packet codes come after all others, as the checker lists them.
    for (const PacketFinding& finding : m_packetChecks->findings())
        dialog.appendError(finding.code, finding.position);
    dialog.exec();
    const auto target = dialog.jumpTarget();
    if (!target)
        return;
    // A fatal fault lies in the part read before the walk stopped: that part is shown first.
    if (canShowReadPart())
        OnShowReadPart();
    selectItemAt(*target);
}

void Ctarvik3View::selectItemAt(uint64_t offset)
{
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    if (!analyzer)
        return;
    // A fault reported at the end of the file concerns its last byte, as fault stepping takes it.
    const uint64_t last = analyzer->getFileSize() - 1;
    const QModelIndex index = m_model->indexOf(itemAtByte(std::min(offset, last)));
    if (!index.isValid())
        return;
    m_tree->scrollTo(index);
    m_tree->setCurrentIndex(index);
    m_tree->setFocus();
}
