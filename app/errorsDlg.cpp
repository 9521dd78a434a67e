#include "app/errorsDlg.h"

#include "app/dialogUnits.h"
#include "engine/errorMessage.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>

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
            return QStringLiteral("%1").arg(positions_[index.row()], 8, 16, QLatin1Char('0'));
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

constexpr int columnWidths[] = {70, 310, 80};

}  // namespace

CErrorsDlg::CErrorsDlg(QWidget* parent) : QDialog(parent), m_model(new ErrorListModel), m_list(new QTreeView(this))
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
    int listWidth = 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < 3; ++column) {
        m_list->setColumnWidth(column, columnWidths[column]);
        listWidth += columnWidths[column];
    }
    connect(m_list, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) { OnRowActivated(index.row()); });

    // The list is widened beyond the original 253 units so that the position column shows whole.
    QRect list = units.rect(7, 7, 253, 75);
    const int extra = std::max(0, listWidth - list.width());
    list.setWidth(list.width() + extra);
    m_list->setGeometry(list);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(units.rect(108, 89, 50, 14).translated(extra / 2, 0));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(units.size(267, 110) + QSize(extra, 0));
}

CErrorsDlg::~CErrorsDlg() = default;

void CErrorsDlg::appendError(int code, uint64_t position) { m_model->append(code, position); }

void CErrorsDlg::OnRowActivated(int row)
{
    m_jumpTarget = m_model->positionAt(row);
    accept();
}
