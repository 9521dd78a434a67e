#pragma once
// A one-line entry dialog that refuses what it cannot use: OK checks the text, and a text that does
// not pass stays in the box with the reason under it. "Przejdź do pozycji" and "Znajdź bajty".

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;

class CEntryDlg : public QDialog {
    Q_OBJECT
public:
    // `check` gives the reason the text cannot be used, or an empty string when it can.
    using Check = std::function<QString(const QString& text)>;

    CEntryDlg(const QString& title, const QString& prompt, Check check, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;
    // The reason shown for the last text refused.
    QString refusal() const;

    void accept() override;

private:
    void showRefusal(const QString& reason);

    Check m_check;
    QLineEdit* m_edit;
    QLabel* m_refusal;
};
