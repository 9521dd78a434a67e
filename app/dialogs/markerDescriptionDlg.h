#pragma once
// "Opis markera": the standard's description of the selected marker, or a fixed note, under the
// note that the text is an excerpt. Lines are shown as they are, never wrapped.

#include <QDialog>

class QPlainTextEdit;

class CMarkerDescriptionDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMarkerDescriptionDlg(QWidget* parent = nullptr);

    // The text breaks its lines with CR LF; the control shows each pair as one line break.
    void setText(const QString& text);
    QString text() const;

private:
    QPlainTextEdit* m_edit;
};
