#include "app/hex/hexPane.h"

#include "app/hex/paneAccessible.h"
#include "engine/jpcAnalyzer.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace {

// The reader's spans hold up to 64 KiB; a longer range (a screen reader's request) is read in pieces.
constexpr uint64_t readPieceSize = 1 << 16;

// The part of a range inside the file; an empty range when nothing is.
ByteRange within(ByteRange bytes, uint64_t size)
{
    const ByteRange cut{std::min(bytes.begin, size), std::min(bytes.end, size)};
    return cut.empty() ? ByteRange{} : cut;
}

}  // namespace

QColor fieldHighlightColour() { return {255, 208, 64}; }

// Light, under black text, so that it stands apart from the dark selection colour without colour.
QColor partHighlightColour() { return {150, 220, 160}; }

HexPane::HexPane(QWidget* parent) : LinePane(parent) {}

void HexPane::showFile(const jpcAnalyzer* analyzer)
{
    analyzer_ = analyzer;
    marked_ = field_ = {};
    parts_.clear();
    cursor_ = anchor_ = 0;
    shown_.clear();
    changeReported_ = false;
    resetLines(analyzer ? analyzer->getFileSize() : 0);
    marksChanged();
}

void HexPane::markRange(ByteRange bytes)
{
    marked_ = within(bytes, hexGeometry().fileSize());
    parts_.clear();
    marksChanged();
}

void HexPane::markParts(std::vector<ByteRange> parts)
{
    parts_.clear();
    for (const ByteRange& part : parts)
        if (const ByteRange cut = within(part, hexGeometry().fileSize()); !cut.empty())
            parts_.push_back(cut);
    viewport()->update();
}

void HexPane::markField(ByteRange bytes)
{
    field_ = within(bytes, hexGeometry().fileSize());
    viewport()->update();
}

void HexPane::setCursor(uint64_t offset)
{
    cursor_ = anchor_ = std::min(offset, std::max<uint64_t>(hexGeometry().fileSize(), 1) - 1);
    marksChanged();
}

void HexPane::marksChanged()
{
    viewport()->update();
    notifySelectionChanged(this);
    emit markChanged();
}

void HexPane::showByte(uint64_t offset)
{
    const auto line = static_cast<qint64>(hexGeometry().lineOf(offset));
    if (line < topLine())
        scrollToLine(line);
    else if (line >= topLine() + visibleLines())
        scrollToLine(line - visibleLines() + 1);
}

void HexPane::selectChars(CharRange chars) { markRange(hexGeometry().bytesOfChars(chars)); }

void HexPane::moveCaret(uint64_t character)
{
    moveCursor(static_cast<int64_t>(character / HexGeometry::charsPerByte), false, true);
}

void HexPane::moveCursor(int64_t offset, bool extending, bool reveal)
{
    const uint64_t size = hexGeometry().fileSize();
    if (size == 0)
        return;
    cursor_ = static_cast<uint64_t>(std::clamp<int64_t>(offset, 0, static_cast<int64_t>(size - 1)));
    if (extending)
        marked_ = {std::min(anchor_, cursor_), std::max(anchor_, cursor_) + 1};
    else
        anchor_ = cursor_;
    if (reveal)
        showByte(cursor_);
    marksChanged();
    emit cursorMoved(cursor_, extending);
}

// The keys of a text control: characters are bytes, lines are lines of eight.
void HexPane::keyPressEvent(QKeyEvent* event)
{
    struct Move {
        QKeySequence::StandardKey move, select;
        int64_t to;  // where the cursor goes, before it is kept inside the file
    };
    const auto line = static_cast<int64_t>(hexGeometry().bytesPerLine());
    const int64_t page = visibleLines() * line;
    const auto at = static_cast<int64_t>(cursor_);
    const int64_t lineStart = at - at % line;
    const Move moves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, at + 1},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, at - 1},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, at + line},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, at - line},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, at + page},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, at - page},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, lineStart},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, lineStart + line - 1},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, 0},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, INT64_MAX},
    };
    for (const Move& m : moves) {
        const bool extending = event->matches(m.select);
        if (!extending && !event->matches(m.move))
            continue;
        // A page key turns the page as well, so that the cursor keeps its row.
        if (m.move == QKeySequence::MoveToNextPage || m.move == QKeySequence::MoveToPreviousPage)
            scrollToLine(topLine() + (m.to > at ? 1 : -1) * visibleLines());
        moveCursor(m.to, extending, true);
        return;
    }
    LinePane::keyPressEvent(event);
}

uint64_t HexPane::byteAt(QPoint viewportPoint) const
{
    return characterAt(viewportPoint) / HexGeometry::charsPerByte;
}

// A click puts the cursor on the byte without scrolling; Shift, or dragging, stretches the range.
void HexPane::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return LinePane::mousePressEvent(event);
    moveCursor(static_cast<int64_t>(byteAt(event->position().toPoint())),
               event->modifiers().testFlag(Qt::ShiftModifier), false);
}

void HexPane::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return LinePane::mouseMoveEvent(event);
    const uint64_t at = byteAt(event->position().toPoint());
    if (at != cursor_)
        moveCursor(static_cast<int64_t>(at), true, false);
}

void HexPane::focusInEvent(QFocusEvent* event)
{
    LinePane::focusInEvent(event);
    viewport()->update();
}

void HexPane::focusOutEvent(QFocusEvent* event)
{
    LinePane::focusOutEvent(event);
    viewport()->update();
}

std::optional<std::string> HexPane::hexText(ByteRange bytes) const
{
    const std::vector<uint8_t> read = readBytes(bytes);
    if (read.size() < bytes.end - bytes.begin)
        return std::nullopt;
    return hexGeometry().text(hexGeometry().charsOf(bytes), read);
}

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
            const auto read = analyzer_->getFileImage().bytes(at, count);
            out.insert(out.end(), read.begin(), read.end());
            at += count;
        } catch (const ImageOverrun&) {
            if (piece == hexGeometry().bytesPerLine())
                break;
            piece = hexGeometry().bytesPerLine();
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

std::vector<HexPane::Highlight> HexPane::highlights() const
{
    // The active colours, so the selection stays as visible when the tree has the focus.
    std::vector<Highlight> out{{marked_, palette().color(QPalette::Active, QPalette::Highlight),
                                palette().color(QPalette::Active, QPalette::HighlightedText)}};
    for (const ByteRange& part : parts_)
        out.push_back({part, partHighlightColour(), Qt::black});
    out.push_back({field_, fieldHighlightColour(), Qt::black});
    return out;
}

// The colours of the topmost highlight at the position, over the run of characters that share it.
QString HexPane::textAttributes(uint64_t position, CharRange& run) const
{
    run = {0, characterCount()};
    const std::vector<Highlight> all = highlights();
    const Highlight* top = nullptr;
    for (const Highlight& h : all) {
        if (h.bytes.empty())
            continue;
        const CharRange chars = hexGeometry().charsOf(h.bytes);
        if (position >= chars.begin && position < chars.end)
            top = &h;
        // The run ends at the nearest edge of any highlight on either side.
        for (const uint64_t edge : {chars.begin, chars.end}) {
            if (edge <= position)
                run.begin = std::max(run.begin, edge);
            else
                run.end = std::min(run.end, edge);
        }
    }
    if (!top)
        return {};
    const auto rgb = [](const QColor& c) {
        return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
    };
    return QStringLiteral("background-color:%1;color:%2;").arg(rgb(top->background), rgb(top->text));
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
    const auto columnsRect = [&](CharRange columns) {
        return QRectF(columnX(columns.begin), lineRect.top(), columnX(columns.end) - columnX(columns.begin),
                      lineRect.height());
    };
    const auto highlight = [&](ByteRange bytes, const QColor& background, const QColor& text) {
        const CharRange columns = g.columnsOnLine(line, g.charsOf(bytes));
        if (columns.empty())
            return;
        const QRectF area = columnsRect(columns);
        painter.fillRect(area, background);
        painter.save();
        painter.setClipRect(area);
        painter.setPen(text);
        drawLine(painter, lineRect, shown);
        painter.restore();
    };
    for (const auto& [bytes, background, text] : highlights())
        highlight(bytes, background, text);
    if (g.lineOf(cursor_) == line && g.fileSize() > 0) {
        // A frame round the cursor's two digits, bolder while the pane has the focus.
        const uint64_t column = cursor_ % g.bytesPerLine() * HexGeometry::charsPerByte;
        const int width = hasFocus() ? 2 : 1;
        painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Text), width));
        painter.setBrush(Qt::NoBrush);
        const qreal inset = width / 2.0;
        painter.drawRect(columnsRect({column, column + 2}).adjusted(inset, inset, -inset, -inset));
    }
}
