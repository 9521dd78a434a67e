#include "app/dialogs/errorsDlg.h"

#include "app/layout/dialogUnits.h"
#include "app/numberText.h"
#include "engine/errorMessage.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

// The rows of the list, texts made when shown: a file may hold tens of thousands of codes.
class ErrorListModel : public QAbstractTableModel {
public:
    void append(int code, uint64_t position)
    {
        const int row = static_cast<int>(codes_.size());
        beginInsertRows({}, row, row);
        codes_.push_back(code);
        positions_.push_back(position);
        endInsertRows();
    }
    uint64_t positionAt(int row) const { return positions_[row]; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(codes_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const int code = codes_[index.row()];
        switch (index.column()) {
        case 0:
            return QString::number(static_cast<unsigned>(code));
        case 1:
            return QString::fromStdString(errorMessage(code));
        default:
            return hexOffsetText(positions_[index.row()]);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char* const titles[] = {"Kod błędu", "Opis błędu", "Pozycja"};
        return QString::fromUtf8(titles[section]);
    }

private:
    std::vector<int> codes_;
    std::vector<uint64_t> positions_;
};

namespace {

// The widths of the columns, at least: code, message, position.
constexpr int columnWidths[] = {70, 310, 80};

}  // namespace

CErrorsDlg::CErrorsDlg(QWidget* parent)
    : QDialog(parent), m_model(new ErrorListModel), m_list(new QTreeView),
      m_noErrors(new QLabel(QString::fromUtf8("W pliku nie ma błędów.")))
{
    setWindowTitle(QString::fromUtf8("Błędy w strukturze"));
    setFont(formFont());
    const DialogUnits units(font());
    m_model->setParent(this);
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSortingEnabled(false);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsMovable(false);
    m_list->setAccessibleName(windowTitle());
    for (int column = 0; column < 3; ++column)
        m_list->setColumnWidth(column, columnWidths[column]);
    // A double click, or Enter on a row the user selected; Enter on no row goes on to OK.
    connect(m_list, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (m_list->selectionModel()->isSelected(index))
            OnRowActivated(index.row());
    });
    // No row is current until the user picks one: the first arrow key picks the first row.
    m_list->setCurrentIndex({});
    m_noErrors->setAlignment(Qt::AlignCenter);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    ok->setFixedSize(units.size(50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    // The dialog's margins and gap in units: the list 7 from every edge, OK 7 below it.
    const int margin = units.size(7, 7).width();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, units.size(7, 7).height(), margin, units.size(7, 7).height());
    layout->setSpacing(units.size(7, 7).height());
    layout->addWidget(m_list, 1);
    layout->addWidget(m_noErrors);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    resize(units.size(267, 110));
}

CErrorsDlg::~CErrorsDlg() = default;

void CErrorsDlg::appendError(int code, uint64_t position)
{
    m_model->append(code, position);
    if (m_measuredCodes.insert(code).second) {
        const QString message = QString::fromStdString(errorMessage(code));
        m_nMessageWidth = std::max(m_nMessageWidth, m_list->fontMetrics().horizontalAdvance(message));
    }
}

// The message column is widened past its 310 pixels, and the dialog with it, so that no message is
// cut; only a screen too narrow leaves the list to scroll sideways.
void CErrorsDlg::showEvent(QShowEvent* event)
{
    m_noErrors->setVisible(m_model->rowCount() == 0);
    m_list->setAccessibleDescription(m_noErrors->isVisible() ? m_noErrors->text() : QString());
    const int padding = 2 * m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    m_list->setColumnWidth(1, std::max(columnWidths[1], m_nMessageWidth + padding));
    int listWidth = 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < 3; ++column)
        listWidth += m_list->columnWidth(column);
    const QMargins margins = layout()->contentsMargins();
    int width = std::max(this->width(), listWidth + margins.left() + margins.right());
    if (const QScreen* screen = this->screen())
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    resize(width, height());
    QDialog::showEvent(event);
}
void CErrorsDlg::OnRowActivated(int row)
{
    m_jumpTarget = m_model->positionAt(row);
    accept();
}
