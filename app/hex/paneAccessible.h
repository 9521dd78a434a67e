#pragma once
// Screen readers and UI-test tools read a line pane as a read-only text control: role, name,
// character count, text of a range, selection and caret, all generated on demand from what the
// pane paints. The interface counts characters in int: a text longer than that (the hex text of a
// file past about 680 MiB) is offered as a window of whole lines around the caret, which moves
// with it, so that count, caret and text stay true wherever the caret stands. One request returns
// at most a mebibyte of text.

#include "app/hex/hexGeometry.h"

#include <QAccessibleWidget>

class LinePane;

class LinePaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LinePaneAccessible(LinePane* pane);
    using QAccessibleWidget::text;  // the name and description, beside the text interface's ranges

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    LinePane* pane() const;
    // The characters of the pane's text that the interface offers now.
    CharRange textWindow() const;
    // A position of the window as a position of the pane's text, and back (kept inside the window).
    uint64_t toText(int position) const;
    int toWindow(uint64_t position) const;
    // The unit of text around `offset` (a character, a byte or offset, a line, or everything).
    void unitAround(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const;
    QString rangeText(int* startOffset, int* endOffset) const;
};

// The factory that Qt asks for the accessible interface of a line pane.
QAccessibleInterface* linePaneAccessible(const QString& className, QObject* object);

// Tells screen readers that the selection or the caret of a pane moved.
void notifySelectionChanged(LinePane* pane);
