#pragma once
// "Błędy w strukturze": every error code of the file with its message and the file position it
// concerns, in the order of the engine's list, or a line saying there are none. Double-clicking a
// row, or Enter on the selected row, closes the dialog and names the position, so that the view can
// show the element that holds it; Enter with no row selected closes it as OK does.

#include <QDialog>

#include <cstdint>
#include <optional>
#include <unordered_set>

class ErrorListModel;
class QLabel;
class QTreeView;

class CErrorsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CErrorsDlg(QWidget* parent = nullptr);
    ~CErrorsDlg() override;

    void appendError(int code, uint64_t position);
    // The position of the row that was chosen, if the dialog was closed that way.
    std::optional<uint64_t> jumpTarget() const { return m_jumpTarget; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnRowActivated(int row);

    ErrorListModel* m_model;
    QTreeView* m_list;
    QLabel* m_noErrors;
    std::optional<uint64_t> m_jumpTarget;
    // The widest message listed, measured once per distinct code.
    int m_nMessageWidth = 0;
    std::unordered_set<int> m_measuredCodes;
};
