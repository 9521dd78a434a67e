#pragma once
// A read-only pane of fixed-pitch text lines that paints only the lines in view and builds no text
// of the whole: the hex pane and the offset column. Both share the line height, margins and
// scrolling, so equal top lines put each offset beside its bytes. The text is offered to screen
// readers and UI-test tools, generated on demand, as a read-only text control offers its own.

#include "app/hex/hexGeometry.h"

#include <QAbstractScrollArea>

#include <string>

class LinePane : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LinePane(QWidget* parent = nullptr);

    const HexGeometry& hexGeometry() const { return geometry_; }
    qint64 topLine() const { return topLine_; }
    // Puts the line at the top, as far as the pane can scroll.
    void scrollToLine(qint64 line);
    // Lines of this many bytes (8 or 16) from now on; the byte at the top stays at the top.
    void setBytesPerLine(uint64_t bytesPerLine);
    int lineHeight() const;
    // Lines that fit whole in the pane.
    int visibleLines() const;
    // The pane's width that shows the given number of characters, frame and scroll bar included.
    int widthFor(int columns) const;

    // The text the pane shows, as characters of one long text with a line feed after each line.
    virtual uint64_t characterCount() const = 0;
    virtual std::string textOf(CharRange chars) const = 0;
    virtual uint64_t charsPerLine() const = 0;
    // The unit a screen reader steps by as a word: one byte, or one whole offset.
    virtual uint64_t charsPerWord() const = 0;
    virtual CharRange selectedChars() const { return {}; }
    virtual void selectChars(CharRange) {}
    // Where the caret stands, and moving it as the user would; without a caret of its own the pane
    // shows it where the selection begins.
    virtual uint64_t caretChar() const { return selectedChars().begin; }
    virtual void moveCaret(uint64_t) {}
    // The caret's line is the one a screen reader reads from; the first line in view without a caret.
    virtual uint64_t caretLine() const { return caretChar() / charsPerLine(); }
    // The text attributes at a position (as "background-color:rgb(…);"), and the run of characters
    // that share them; none over the whole text by default.
    virtual QString textAttributes(uint64_t, CharRange& run) const
    {
        run = {0, characterCount()};
        return {};
    }
    // Where a character is drawn, in viewport coordinates; empty when it is not in view.
    QRect characterRect(uint64_t position) const;
    uint64_t characterAt(QPoint viewportPoint) const;

signals:
    void topLineChanged(qint64 line);

protected:
    // Starts over with the lines of a file of this size, scrolled to the top.
    void resetLines(uint64_t fileSize);
    // Called once per paint with the lines about to be drawn, before paintLine for each.
    virtual void prepareLines(uint64_t first, uint64_t count);
    virtual void paintLine(QPainter& painter, uint64_t line, const QRectF& lineRect) = 0;
    // Draws a line's text from its first column.
    void drawLine(QPainter& painter, const QRectF& lineRect, const QString& text) const;
    qreal columnX(uint64_t column) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateScrollRange();

    HexGeometry geometry_;
    qint64 topLine_ = 0;
};

// The face of the hex pane and the offset column: Courier New at 10 points where it is installed,
// another fixed-pitch face (DejaVu Sans Mono) otherwise.
QFont fixedPitchFont();
