#pragma once
// A one-line label that shows as much of its text as fits, with "…" where it is cut; the whole text
// is its tooltip and what a screen reader reads. The status bar's message pane.

#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    QString fullText() const { return m_strText; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString m_strText;
};
