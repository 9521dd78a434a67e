#include "app/hex/linePane.h"

#include "app/hex/paneAccessible.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int leftMargin = 2;
// Room between the last column and the scroll bar, so that a highlighted byte does not touch it.
constexpr int rightMargin = 6;
constexpr int topMargin = 1;

}  // namespace

QFont fixedPitchFont()
{
    QFont font(QFontDatabase::hasFamily("Courier New") ? "Courier New" : "DejaVu Sans Mono", 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

LinePane::LinePane(QWidget* parent) : QAbstractScrollArea(parent)
{
    static const bool accessibleInstalled = (QAccessible::installFactory(linePaneAccessible), true);
    (void)accessibleInstalled;
    setFont(fixedPitchFont());
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

int LinePane::lineHeight() const { return fontMetrics().lineSpacing(); }

int LinePane::visibleLines() const { return std::max(1, (viewport()->height() - topMargin) / lineHeight()); }

qreal LinePane::columnX(uint64_t column) const
{
    return leftMargin + static_cast<qreal>(column) * QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0'));
}

int LinePane::widthFor(int columns) const
{
    const int bar = verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff ? 0 : verticalScrollBar()->sizeHint().width();
    return 2 * frameWidth() + static_cast<int>(std::ceil(columnX(columns))) + rightMargin + bar;
}

void LinePane::resetLines(uint64_t fileSize)
{
    geometry_ = HexGeometry(fileSize, geometry_.bytesPerLine());
    updateScrollRange();
    verticalScrollBar()->setValue(0);
    topLine_ = 0;
    viewport()->update();
}

void LinePane::setBytesPerLine(uint64_t bytesPerLine)
{
    const uint64_t topByte = static_cast<uint64_t>(topLine_) * geometry_.bytesPerLine();
    geometry_ = HexGeometry(geometry_.fileSize(), bytesPerLine);
    updateScrollRange();
    scrollToLine(static_cast<qint64>(geometry_.lineOf(topByte)));
    viewport()->update();
}

void LinePane::updateScrollRange()
{
    const auto lines = static_cast<qint64>(geometry_.lineCount());
    const qint64 last = std::max<qint64>(0, lines - visibleLines());
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<qint64>(last, INT_MAX)));
    verticalScrollBar()->setPageStep(visibleLines());
    verticalScrollBar()->setSingleStep(1);
}

void LinePane::scrollToLine(qint64 line)
{
    verticalScrollBar()->setValue(static_cast<int>(std::clamp<qint64>(line, 0, verticalScrollBar()->maximum())));
}

// Every vertical scroll, whatever moved it (bar, keys, wheel, program), comes through here.
void LinePane::scrollContentsBy(int, int)
{
    const qint64 line = verticalScrollBar()->value();
    if (line == topLine_)
        return;
    topLine_ = line;
    viewport()->update();
    emit topLineChanged(line);
}

void LinePane::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void LinePane::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::MoveToStartOfDocument))
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    else if (event->matches(QKeySequence::MoveToEndOfDocument))
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void LinePane::prepareLines(uint64_t, uint64_t) {}

void LinePane::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const int height = lineHeight();
    const int firstRow = std::max(0, (event->rect().top() - topMargin) / height);
    const int lastRow = std::max(0, (event->rect().bottom() - topMargin) / height);
    const uint64_t first = static_cast<uint64_t>(topLine_) + firstRow;
    const uint64_t lines = geometry_.lineCount();
    if (first >= lines)
        return;
    const uint64_t count = std::min<uint64_t>(lastRow - firstRow + 1, lines - first);
    prepareLines(first, count);
    for (uint64_t i = 0; i < count; ++i) {
        const QRectF lineRect(0, topMargin + (firstRow + static_cast<qreal>(i)) * height, viewport()->width(), height);
        paintLine(painter, first + i, lineRect);
    }
}

void LinePane::drawLine(QPainter& painter, const QRectF& lineRect, const QString& text) const
{
    painter.drawText(QPointF(columnX(0), lineRect.top() + fontMetrics().ascent()), text);
}

QRect LinePane::characterRect(uint64_t position) const
{
    const qint64 line = static_cast<qint64>(position / charsPerLine());
    const qint64 row = line - topLine_;
    if (position >= characterCount() || row < 0 || row > visibleLines())
        return {};
    const uint64_t column = position % charsPerLine();
    const qreal left = columnX(column);
    return QRectF(left, topMargin + row * lineHeight(), columnX(column + 1) - left, lineHeight()).toAlignedRect();
}

uint64_t LinePane::characterAt(QPoint viewportPoint) const
{
    const qint64 row = std::max(0, (viewportPoint.y() - topMargin) / lineHeight());
    const qreal advance = columnX(1) - columnX(0);
    const auto column = static_cast<uint64_t>(std::max<qreal>(0, (viewportPoint.x() - columnX(0)) / advance));
    const uint64_t position = (topLine_ + row) * charsPerLine() + std::min(column, charsPerLine() - 1);
    return std::min(position, characterCount());
}
