#include "app/hex/paneAccessible.h"

#include "app/hex/linePane.h"

#include <QWidget>

#include <algorithm>
#include <climits>

namespace {

constexpr int maxTextPerRequest = 1 << 20;

// The whole text while the interface can count it; else two blocks of lines, each half of what it
// can count, the caret in the second (or in the first at the start): the window moves by a block
// when the caret leaves the block it stands in.
CharRange accessibleWindow(const LinePane& pane)
{
    const uint64_t count = pane.characterCount();
    if (count <= static_cast<uint64_t>(INT_MAX))
        return {0, count};
    const uint64_t blockLines = static_cast<uint64_t>(INT_MAX) / 2 / pane.charsPerLine();
    const uint64_t block = pane.caretLine() / blockLines;
    const uint64_t first = (block == 0 ? 0 : block - 1) * blockLines * pane.charsPerLine();
    return {first, std::min(count, first + 2 * blockLines * pane.charsPerLine())};
}

int windowPosition(const CharRange& window, uint64_t position)
{
    return static_cast<int>(std::clamp(position, window.begin, window.end) - window.begin);
}

}  // namespace

LinePaneAccessible::LinePaneAccessible(LinePane* pane) : QAccessibleWidget(pane, QAccessible::EditableText) {}

LinePane* LinePaneAccessible::pane() const { return static_cast<LinePane*>(widget()); }

CharRange LinePaneAccessible::textWindow() const { return accessibleWindow(*pane()); }

uint64_t LinePaneAccessible::toText(int position) const
{
    const CharRange w = textWindow();
    return std::min(w.begin + static_cast<uint64_t>(std::max(0, position)), w.end);
}

int LinePaneAccessible::toWindow(uint64_t position) const { return windowPosition(textWindow(), position); }

void* LinePaneAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State LinePaneAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

void LinePaneAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    const CharRange selected = pane()->selectedChars();
    *startOffset = toWindow(selected.begin);
    *endOffset = toWindow(selected.end);
}

int LinePaneAccessible::selectionCount() const
{
    const CharRange selected = pane()->selectedChars();
    const CharRange w = textWindow();
    return selected.empty() || selected.end <= w.begin || selected.begin >= w.end ? 0 : 1;
}

void LinePaneAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void LinePaneAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        pane()->selectChars({});
}

void LinePaneAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        pane()->selectChars({toText(startOffset), toText(endOffset)});
}

int LinePaneAccessible::cursorPosition() const { return toWindow(pane()->caretChar()); }

void LinePaneAccessible::setCursorPosition(int position) { pane()->moveCaret(toText(position)); }

QString LinePaneAccessible::text(int startOffset, int endOffset) const
{
    const uint64_t begin = toText(startOffset);
    const uint64_t end = std::min(toText(endOffset), begin + maxTextPerRequest);
    return QString::fromLatin1(pane()->textOf({begin, end}));
}

void LinePaneAccessible::unitAround(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                    int* endOffset) const
{
    const CharRange w = textWindow();
    uint64_t unit = 1;
    switch (boundaryType) {
    case QAccessible::CharBoundary:
        break;
    case QAccessible::WordBoundary:
        unit = pane()->charsPerWord();
        break;
    case QAccessible::NoBoundary:
        *startOffset = 0;
        *endOffset = characterCount();
        return;
    default:  // sentences and paragraphs are lines here
        unit = pane()->charsPerLine();
    }
    // The window starts at a line, so units counted from it are units of the whole text.
    const uint64_t position = std::min(toText(offset), w.end);
    const uint64_t begin = w.begin + (position - w.begin) / unit * unit;
    *startOffset = windowPosition(w, begin);
    *endOffset = windowPosition(w, begin + unit);
}

QString LinePaneAccessible::rangeText(int* startOffset, int* endOffset) const
{
    if (*endOffset <= *startOffset) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return text(*startOffset, *endOffset);
}

QString LinePaneAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                         int* endOffset) const
{
    unitAround(offset, boundaryType, startOffset, endOffset);
    return rangeText(startOffset, endOffset);
}

QString LinePaneAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int* startOffset, int* endOffset) const
{
    int begin = 0, end = 0;
    unitAround(offset, boundaryType, &begin, &end);
    if (begin == 0) {
        *startOffset = *endOffset = -1;
        return {};
    }
    unitAround(begin - 1, boundaryType, startOffset, endOffset);
    return rangeText(startOffset, endOffset);
}

QString LinePaneAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                            int* endOffset) const
{
    int begin = 0, end = 0;
    unitAround(offset, boundaryType, &begin, &end);
    if (end >= characterCount()) {
        *startOffset = *endOffset = -1;
        return {};
    }
    unitAround(end, boundaryType, startOffset, endOffset);
    return rangeText(startOffset, endOffset);
}

int LinePaneAccessible::characterCount() const
{
    const CharRange w = textWindow();
    return static_cast<int>(w.end - w.begin);
}

QRect LinePaneAccessible::characterRect(int offset) const
{
    const QRect local = pane()->characterRect(toText(offset));
    if (local.isEmpty())
        return {};
    return QRect(pane()->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int LinePaneAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint local = pane()->viewport()->mapFromGlobal(point);
    if (!pane()->viewport()->rect().contains(local))
        return -1;
    return toWindow(pane()->characterAt(local));
}

void LinePaneAccessible::scrollToSubstring(int startIndex, int)
{
    pane()->scrollToLine(static_cast<qint64>(toText(startIndex) / pane()->charsPerLine()));
}

QString LinePaneAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    CharRange run;
    const QString attributes = pane()->textAttributes(toText(offset), run);
    *startOffset = toWindow(run.begin);
    *endOffset = toWindow(run.end);
    return attributes;
}

QAccessibleInterface* linePaneAccessible(const QString&, QObject* object)
{
    if (auto* pane = qobject_cast<LinePane*>(object))
        return new LinePaneAccessible(pane);
    return nullptr;
}

void notifySelectionChanged(LinePane* pane)
{
    if (!QAccessible::isActive())
        return;
    const CharRange window = accessibleWindow(*pane);
    const CharRange selected = pane->selectedChars();
    QAccessibleTextSelectionEvent event(pane, windowPosition(window, selected.begin),
                                        windowPosition(window, selected.end));
    event.setCursorPosition(windowPosition(window, pane->caretChar()));
    QAccessible::updateAccessibility(&event);
}
