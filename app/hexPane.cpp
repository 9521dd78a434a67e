#include "app/hexPane.h"

#include "app/paneAccessible.h"
#include "engine/jpcAnalyzer.h"

#include <QPainter>

#include <algorithm>

namespace {

// The reader's spans hold up to 64 KiB; a longer range (a screen reader's request) is read in pieces.
constexpr uint64_t readPieceSize = 1 << 16;

}  // namespace

HexPane::HexPane(QWidget* parent) : LinePane(parent) {}

void HexPane::showFile(const jpcAnalyzer* analyzer)
{
    analyzer_ = analyzer;
    marked_ = {};
    shown_.clear();
    changeReported_ = false;
    resetLines(analyzer ? analyzer->getFileSize() : 0);
    notifySelectionChanged(this);
}

void HexPane::markRange(ByteRange bytes)
{
    const uint64_t size = hexGeometry().fileSize();
    marked_ = {std::min(bytes.begin, size), std::min(bytes.end, size)};
    if (marked_.empty())
        marked_ = {};
    viewport()->update();
    notifySelectionChanged(this);
}

void HexPane::selectChars(CharRange chars) { markRange(hexGeometry().bytesOfChars(chars)); }

// Copies what it reads at once: a span from the reader lasts only until its next read. A file that
// shrank on disk ends the bytes early: the reader refuses to go past what it can read, and the piece
// that crosses the end is read again a line at a time, so that every byte still there is shown.
std::vector<uint8_t> HexPane::readBytes(ByteRange bytes) const
{
    std::vector<uint8_t> out;
    if (!analyzer_ || bytes.empty())
        return out;
    out.reserve(bytes.end - bytes.begin);
    uint64_t piece = readPieceSize;
    for (uint64_t at = bytes.begin; at < bytes.end;) {
        const uint64_t count = std::min(piece, bytes.end - at);
        try {
            const auto read = analyzer_->getImage().bytes(at, count);
            out.insert(out.end(), read.begin(), read.end());
            at += count;
        } catch (const ImageOverrun&) {
            if (piece == HexGeometry::bytesPerLine)
                break;
            piece = HexGeometry::bytesPerLine;
        }
    }
    return out;
}

std::string HexPane::textOf(CharRange chars) const
{
    // Stops where the bytes can no longer be read; the painting says why.
    return hexGeometry().text(chars, readBytes(hexGeometry().bytesOfChars(chars)));
}

void HexPane::prepareLines(uint64_t first, uint64_t count)
{
    const ByteRange bytes{hexGeometry().bytesOfLine(first).begin, hexGeometry().bytesOfLine(first + count - 1).end};
    shown_ = readBytes(bytes);
    shownFrom_ = bytes.begin;
    if (shown_.size() < bytes.end - bytes.begin || (analyzer_ && analyzer_->fileChangedOnDisk()))
        reportChange();
}

void HexPane::reportChange()
{
    if (changeReported_)
        return;
    changeReported_ = true;
    emit fileChangedOnDisk();
}

void HexPane::paintLine(QPainter& painter, uint64_t line, const QRectF& lineRect)
{
    const HexGeometry& g = hexGeometry();
    const ByteRange bytes = g.bytesOfLine(line);
    const CharRange chars = g.charsOf(bytes);
    const uint64_t readable = std::min<uint64_t>(bytes.end, shownFrom_ + shown_.size());
    std::string text;
    if (readable > bytes.begin)
        text = g.text(chars, {shown_.data() + (bytes.begin - shownFrom_), readable - bytes.begin});
    // Bytes that could not be read show as question marks, never as bytes they are not.
    for (uint64_t k = std::max(readable, bytes.begin); k < bytes.end; ++k)
        text += k == bytes.begin ? "??" : " ??";
    const QString shown = QString::fromLatin1(text);

    painter.setPen(palette().color(QPalette::Text));
    drawLine(painter, lineRect, shown);
    const CharRange selected = g.columnsOnLine(line, selectedChars());
    if (selected.empty())
        return;
    const QRectF area(columnX(selected.begin), lineRect.top(), columnX(selected.end) - columnX(selected.begin),
                      lineRect.height());
    // The active colours, so the selection stays as visible when the tree has the focus.
    painter.fillRect(area, palette().brush(QPalette::Active, QPalette::Highlight));
    painter.save();
    painter.setClipRect(area);
    painter.setPen(palette().color(QPalette::Active, QPalette::HighlightedText));
    drawLine(painter, lineRect, shown);
    painter.restore();
}
