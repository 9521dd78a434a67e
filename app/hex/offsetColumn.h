#pragma once
// The column of line offsets beside the hex pane ("%08x:" per line). It has no scroll bar: the view
// moves it to the hex pane's top line after every scroll.

#include "app/hex/linePane.h"

class OffsetColumn : public LinePane {
    Q_OBJECT
public:
    explicit OffsetColumn(QWidget* parent = nullptr);

    // One offset per hex line of a file of this size, from the top; 0 shows nothing.
    void showLines(uint64_t fileSize) { resetLines(fileSize); }

    uint64_t characterCount() const override { return hexGeometry().offsetTextLength(); }
    std::string textOf(CharRange chars) const override { return hexGeometry().offsetText(chars); }
    uint64_t charsPerLine() const override { return HexGeometry::offsetCharsPerLine; }
    uint64_t charsPerWord() const override { return HexGeometry::offsetCharsPerLine; }
    // Without a caret, a screen reader reads from the first line in view.
    uint64_t caretLine() const override { return static_cast<uint64_t>(topLine()); }

protected:
    void paintLine(QPainter& painter, uint64_t line, const QRectF& lineRect) override;
    void wheelEvent(QWheelEvent* event) override;
};
