#pragma once
// The file's bytes as hex text, eight pairs a line (or sixteen), never wrapped. Only the lines in view are read
// (through the engine's bounded reader, a few KiB at a time) and painted. A marked byte range is
// highlighted whether or not the pane has the focus, parts of the marked item (a packet's SOP,
// header and EPH against its body) in a colour of their own, a field in a third over both, and a
// cursor stands on one byte: the keys and the mouse move it, Shift stretches the marked range to it.
// Screen readers learn the colours as the text attributes of each run.

#include "app/hex/linePane.h"

#include <QColor>

#include <optional>
#include <vector>

class jpcAnalyzer;

class HexPane : public LinePane {
    Q_OBJECT
public:
    explicit HexPane(QWidget* parent = nullptr);

    // Shows the bytes of the engine's file, unmarked, from the top; null shows nothing.
    void showFile(const jpcAnalyzer* analyzer);
    // Highlights the bytes [begin, end); an empty range clears the highlight, and the parts with it.
    void markRange(ByteRange bytes);
    ByteRange markedRange() const { return marked_; }
    // Highlights parts of the marked item in their own colour; none clears them.
    void markParts(std::vector<ByteRange> parts);
    const std::vector<ByteRange>& markedParts() const { return parts_; }
    // Highlights one field's bytes in the second colour; an empty range clears it.
    void markField(ByteRange bytes);
    ByteRange markedField() const { return field_; }
    // The byte the cursor stands on (0 in an empty pane).
    uint64_t cursor() const { return cursor_; }
    // Puts the cursor on a byte as the program does: no cursorMoved, and the marked range stays.
    void setCursor(uint64_t offset);
    // Scrolls as little as puts the byte's line in view.
    void showByte(uint64_t offset);
    // The hex text of the bytes, as the pane shows them; nothing when they can no longer all be read.
    std::optional<std::string> hexText(ByteRange bytes) const;

    uint64_t characterCount() const override { return hexGeometry().textLength(); }
    std::string textOf(CharRange chars) const override;
    uint64_t charsPerLine() const override { return hexGeometry().charsPerLine(); }
    uint64_t charsPerWord() const override { return HexGeometry::charsPerByte; }
    CharRange selectedChars() const override { return hexGeometry().charsOf(marked_); }
    void selectChars(CharRange chars) override;
    uint64_t caretChar() const override { return cursor_ * HexGeometry::charsPerByte; }
    void moveCaret(uint64_t character) override;
    QString textAttributes(uint64_t position, CharRange& run) const override;

signals:
    // The user moved the cursor (keys, mouse, a screen reader). `extending`: the marked range was
    // stretched from the cursor's last stand to the new one; otherwise the range is the view's to set.
    void cursorMoved(uint64_t offset, bool extending);
    // The cursor or the marked range changed, by whatever means.
    void markChanged();
    // Bytes could not be read, or the file changed on disk since the analysis: what the pane shows
    // may not be what was analysed. Sent once per file.
    void fileChangedOnDisk();

protected:
    void prepareLines(uint64_t first, uint64_t count) override;
    void paintLine(QPainter& painter, uint64_t line, const QRectF& lineRect) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The bytes of the range as far as they can be read now; fewer when the file shrank on disk.
    std::vector<uint8_t> readBytes(ByteRange bytes) const;
    void reportChange();
    // Moves the cursor as the user does; `reveal` scrolls it into view.
    void moveCursor(int64_t offset, bool extending, bool reveal);
    uint64_t byteAt(QPoint viewportPoint) const;
    void marksChanged();
    struct Highlight {
        ByteRange bytes;
        QColor background, text;
    };
    // In the order painted, each over those before it.
    std::vector<Highlight> highlights() const;

    const jpcAnalyzer* analyzer_ = nullptr;
    ByteRange marked_;
    std::vector<ByteRange> parts_;
    ByteRange field_;
    uint64_t cursor_ = 0;
    uint64_t anchor_ = 0;  // where a stretched range starts
    std::vector<uint8_t> shown_;  // the bytes of the lines being painted
    uint64_t shownFrom_ = 0;
    bool changeReported_ = false;
};

// The highlight of a field in the hex pane and of its line in the detail pane.
QColor fieldHighlightColour();
// The highlight of the parts of a marked item.
QColor partHighlightColour();
