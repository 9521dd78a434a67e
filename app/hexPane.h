#pragma once
// The file's bytes as hex text, eight pairs a line, never wrapped. Only the lines in view are read
// (through the engine's bounded reader, a few KiB at a time) and painted. A marked byte range is
// highlighted whether or not the pane has the focus.

#include "app/linePane.h"

#include <vector>

class jpcAnalyzer;

class HexPane : public LinePane {
    Q_OBJECT
public:
    explicit HexPane(QWidget* parent = nullptr);

    // Shows the bytes of the engine's file, unmarked, from the top; null shows nothing.
    void showFile(const jpcAnalyzer* analyzer);
    // Highlights the bytes [begin, end); an empty range clears the highlight.
    void markRange(ByteRange bytes);
    ByteRange markedRange() const { return marked_; }

    uint64_t characterCount() const override { return hexGeometry().textLength(); }
    std::string textOf(CharRange chars) const override;
    uint64_t charsPerLine() const override { return HexGeometry::charsPerLine; }
    uint64_t charsPerWord() const override { return HexGeometry::charsPerByte; }
    CharRange selectedChars() const override { return hexGeometry().charsOf(marked_); }
    void selectChars(CharRange chars) override;

signals:
    // Bytes could not be read, or the file changed on disk since the analysis: what the pane shows
    // may not be what was analysed. Sent once per file.
    void fileChangedOnDisk();

protected:
    void prepareLines(uint64_t first, uint64_t count) override;
    void paintLine(QPainter& painter, uint64_t line, const QRectF& lineRect) override;

private:
    // The bytes of the range as far as they can be read now; fewer when the file shrank on disk.
    std::vector<uint8_t> readBytes(ByteRange bytes) const;
    void reportChange();

    const jpcAnalyzer* analyzer_ = nullptr;
    ByteRange marked_;
    std::vector<uint8_t> shown_;  // the bytes of the lines being painted
    uint64_t shownFrom_ = 0;
    bool changeReported_ = false;
};
