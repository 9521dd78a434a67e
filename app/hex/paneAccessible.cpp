#include "app/hex/paneAccessible.h"

#include "app/hex/linePane.h"

#include <QWidget>

#include <algorithm>
#include <climits>

namespace {

constexpr int maxTextPerRequest = 1 << 20;

int toInt(uint64_t value) { return static_cast<int>(std::min<uint64_t>(value, INT_MAX)); }

uint64_t toPosition(int value) { return static_cast<uint64_t>(std::max(0, value)); }

}  // namespace

LinePaneAccessible::LinePaneAccessible(LinePane* pane) : QAccessibleWidget(pane, QAccessible::EditableText) {}

LinePane* LinePaneAccessible::pane() const { return static_cast<LinePane*>(widget()); }

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
    const CharRange selected = pane()->selectedChars();
    if (selectionIndex != 0 || selected.empty()) {
        *startOffset = *endOffset = 0;
        return;
    }
    *startOffset = toInt(selected.begin);
    *endOffset = toInt(selected.end);
}

int LinePaneAccessible::selectionCount() const { return pane()->selectedChars().empty() ? 0 : 1; }

void LinePaneAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void LinePaneAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        pane()->selectChars({});
}

void LinePaneAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        pane()->selectChars({toPosition(startOffset), toPosition(endOffset)});
}

int LinePaneAccessible::cursorPosition() const { return toInt(pane()->caretChar()); }

void LinePaneAccessible::setCursorPosition(int position) { pane()->moveCaret(toPosition(position)); }

QString LinePaneAccessible::text(int startOffset, int endOffset) const
{
    const uint64_t begin = toPosition(startOffset);
    const uint64_t end = std::min(toPosition(endOffset), begin + maxTextPerRequest);
    return QString::fromLatin1(pane()->textOf({begin, end}));
}

void LinePaneAccessible::unitAround(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                    int* endOffset) const
{
    const uint64_t count = pane()->characterCount();
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
    const uint64_t begin = std::min(toPosition(offset), count) / unit * unit;
    *startOffset = toInt(begin);
    *endOffset = toInt(std::min(begin + unit, count));
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

int LinePaneAccessible::characterCount() const { return toInt(pane()->characterCount()); }

QRect LinePaneAccessible::characterRect(int offset) const
{
    const QRect local = pane()->characterRect(toPosition(offset));
    if (local.isEmpty())
        return {};
    return QRect(pane()->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int LinePaneAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint local = pane()->viewport()->mapFromGlobal(point);
    if (!pane()->viewport()->rect().contains(local))
        return -1;
    return toInt(pane()->characterAt(local));
}

void LinePaneAccessible::scrollToSubstring(int startIndex, int)
{
    pane()->scrollToLine(static_cast<qint64>(toPosition(startIndex) / pane()->charsPerLine()));
}

QString LinePaneAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
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
    const CharRange selected = pane->selectedChars();
    QAccessibleTextSelectionEvent event(pane, toInt(selected.begin), toInt(selected.end));
    event.setCursorPosition(toInt(pane->caretChar()));
    QAccessible::updateAccessibility(&event);
}
