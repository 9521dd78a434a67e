#include "app/tarvik3View.h"

#include "app/errorsDlg.h"
#include "app/hexPane.h"
#include "app/markerDescriptionDlg.h"
#include "app/offsetColumn.h"
#include "app/structureModel.h"
#include "app/tarvik3Doc.h"
#include "engine/jpcAnalyzer.h"
#include "present/markerDescription.h"
#include "present/verdict.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include <algorithm>
#include <stdexcept>

namespace {

QLabel* heading(const char* text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

// The summary needs an element 1 to read the SIZ fields from; a stream without one has none.
QString elementText(const jpcAnalyzer& analyzer, int element)
{
    try {
        return QString::fromStdString(analyzer.buildElementText(element));
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
    : QWidget(parent), m_pDocument(document), m_model(new StructureModel(this))
{
    setFont(formFont());
    // Created in the form's order, which is also the order of drawing.
    m_hex = new HexPane(this);
    m_hex->setObjectName("hex");
    m_hex->setAccessibleName(QString::fromUtf8("zawartość pliku (szesnastkowo)"));
    m_hex->setFocusPolicy(Qt::ClickFocus);

    m_tree = new QTreeView(this);
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

    m_offsets = new OffsetColumn(this);
    m_offsets->setObjectName("offsets");
    m_offsets->setAccessibleName(QStringLiteral("pozycje linii"));

    m_detail = new QPlainTextEdit(this);
    m_detail->setObjectName("detail");
    m_detail->setAccessibleName(QString::fromUtf8("dane wybranego elementu struktury"));
    m_detail->setReadOnly(true);
    m_detail->setLineWrapMode(QPlainTextEdit::NoWrap);

    m_describe = new QPushButton(QStringLiteral("&opis markera"), this);
    m_describe->setObjectName("describe");
    m_errors = new QPushButton(QString::fromUtf8("pokaż bledy"), this);
    m_errors->setObjectName("errors");
    for (QPushButton* button : {m_describe, m_errors})
        button->setAutoDefault(false);

    m_treeHeading = heading("struktura pliku", this);
    m_bytesHeading = heading("zawartość pliku (szesnastkowo)", this);
    m_detailHeading = heading("dane wybranego elementu struktury", this);

    m_verdict = new QLineEdit(this);
    m_verdict->setObjectName("verdict");
    m_verdict->setAccessibleName(QStringLiteral("werdykt"));
    m_verdict->setReadOnly(true);
    m_verdict->setAlignment(Qt::AlignCenter);

    setTabOrder(m_tree, m_detail);
    setTabOrder(m_detail, m_describe);
    setTabOrder(m_describe, m_errors);
    setTabOrder(m_errors, m_verdict);
    setFocusProxy(m_tree);

    connect(document, &Ctarvik3Doc::contentsDeleted, this, &Ctarvik3View::OnUpdate);
    connect(document, &Ctarvik3Doc::documentChanged, this, &Ctarvik3View::OnInitialUpdate);
    // The selection, not the current item: the tree sets a current item without selecting it when it
    // first takes the focus, and nothing may be selected until the user selects it.
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &Ctarvik3View::OnTreeSelChanged);
    connect(m_hex, &LinePane::topLineChanged, this, &Ctarvik3View::syncOffsetColumn);
    connect(m_hex, &HexPane::fileChangedOnDisk, this, &Ctarvik3View::fileChangedOnDisk);
    connect(m_describe, &QPushButton::clicked, this, &Ctarvik3View::OnDescribeMarker);
    connect(m_errors, &QPushButton::clicked, this, &Ctarvik3View::OnShowErrors);

    setMinimumSize(formSize());
    placeControls();
}

FormRects Ctarvik3View::formRectsFor(QSize available) const
{
    return formRects(DialogUnits(font()), available, m_offsets->widthFor(HexGeometry::offsetCharsPerLine - 1),
                     m_hex->widthFor(HexGeometry::digitsPerLine));
}

QSize Ctarvik3View::formSize() const { return formRectsFor({}).minimum; }

void Ctarvik3View::placeControls()
{
    const FormRects r = formRectsFor(size());
    m_verdict->setGeometry(r.verdict);
    m_treeHeading->setGeometry(r.treeHeading);
    m_bytesHeading->setGeometry(r.bytesHeading);
    m_detailHeading->setGeometry(r.detailHeading);
    m_tree->setGeometry(r.tree);
    m_offsets->setGeometry(r.offsets);
    m_hex->setGeometry(r.hex);
    m_detail->setGeometry(r.detail);
    m_describe->setGeometry(r.describeButton);
    m_errors->setGeometry(r.errorsButton);
}

void Ctarvik3View::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

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
    m_detail->clear();
    m_verdict->clear();
    m_nHexTopLine = 0;
}

// Fills the controls once per document: a fatal verdict shows the verdict line alone.
void Ctarvik3View::fill()
{
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    if (!analyzer || !m_bRefill)
        return;
    const int status = analyzer->getStatus();
    m_verdict->setText(QString::fromStdString(verdictText(status)));
    if (status == jpcAnalyzer::statusFatal)
        return;
    m_model->reset(analyzer);
    m_tree->expand(m_model->fileIndex());
    m_hex->showFile(analyzer);
    m_offsets->showLines(analyzer->getFileSize());
    m_nHexTopLine = 0;
    m_bRefill = false;
    m_detail->setPlainText(elementText(*analyzer, -1));
}

ByteRange Ctarvik3View::bytesOfElement(const jpcAnalyzer& analyzer, int element) const
{
    const uint64_t size = analyzer.getFileSize();
    if (element < 0)
        return {0, size};
    const std::vector<uint32_t>& offsets = analyzer.getMarkerOffsets();
    const uint64_t end = static_cast<size_t>(element) + 1 < offsets.size() ? offsets[element + 1] : size;
    return {offsets[element], end};
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
    const int element = m_model->elementOf(current);
    const ByteRange bytes = bytesOfElement(*analyzer, element);
    m_hex->markRange(bytes);
    m_hex->scrollToLine(static_cast<qint64>(m_hex->hexGeometry().lineOf(bytes.begin)));
    syncOffsetColumn();
    m_detail->setPlainText(elementText(*analyzer, element));
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
    if (!analyzer || !current.isValid() || m_model->kindOf(current) != StructureModel::RowKind::Element)
        return;
    const int element = m_model->idOf(current);
    if (analyzer->isMarker(element))
        dialog.setText(QString::fromStdString(markerDescription(analyzer->getMarkerCode(element))));
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
    dialog.exec();
    if (const auto target = dialog.jumpTarget())
        selectElementAt(*target);
}

void Ctarvik3View::selectElementAt(uint64_t offset)
{
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    if (!analyzer || analyzer->getMarkerOffsets().empty())
        return;
    // The last element that starts at or before the offset; an empty data block yields to the
    // marker at its own offset, which holds the byte.
    const auto& offsets = analyzer->getMarkerOffsets();
    const auto after = std::upper_bound(offsets.begin(), offsets.end(), offset);
    const int element = static_cast<int>(std::max<ptrdiff_t>(0, after - offsets.begin() - 1));
    const QModelIndex index = m_model->indexOfElement(element);
    if (!index.isValid())
        return;
    m_tree->scrollTo(index);
    m_tree->setCurrentIndex(index);
    m_tree->setFocus();
}
