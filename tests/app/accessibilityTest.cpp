// Screen readers and UI-test tools read the hex pane and the offset column as read-only text
// controls, their texts made on demand, and move the hex pane's caret; every pane carries a name.

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "support/analysis.h"

#include <QAccessible>

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void panesReadAsNamedReadOnlyTextControls()
    {
        TestWindow w;
        QVERIFY(w.open(cleanStream().bytes()));
        w.select(0);
        QAccessibleInterface* hex = QAccessible::queryAccessibleInterface(w.hex());
        QCOMPARE(hex->role(), QAccessible::EditableText);
        QVERIFY(hex->state().readOnly);

        QAccessibleTextInterface* text = hex->textInterface();
        const QString whole = QString::fromStdString(analyze(cleanStream().bytes())->buildHexText());
        QCOMPARE(text->characterCount(), whole.size());
        QCOMPARE(text->text(0, text->characterCount()), whole);
        int start = -1, end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(QPoint(start, end), QPoint(0, 5));
        QCOMPARE(text->textAtOffset(30, QAccessible::LineBoundary, &start, &end), whole.mid(24, 24));
        QCOMPARE(text->textAfterOffset(4, QAccessible::WordBoundary, &start, &end), whole.mid(6, 3));
        text->setSelection(0, 24, 30);  // a screen reader selects bytes 8 and 9
        QCOMPARE(w.hex()->markedRange(), (ByteRange{8, 10}));
        text->setCursorPosition(31);  // and moves the caret to byte 10, in SIZ, as the keys do
        QCOMPARE(text->cursorPosition(), 30);
        QCOMPARE(w.currentElement(), 1);

        QCOMPARE(QAccessible::queryAccessibleInterface(w.offsets())->textInterface()->text(0, 20),
                 QString("00000000:\n00000008:\n"));
        const std::initializer_list<QWidget*> panes{w.hex(), w.offsets(), w.tree(), w.find<QWidget>("detail"),
                                                    w.find<QWidget>("verdict")};
        for (QWidget* pane : panes)
            QVERIFY(!QAccessible::queryAccessibleInterface(pane)->text(QAccessible::Name).isEmpty());
    }
};

APP_TEST_SUITE(AccessibilityTest);
#include "accessibilityTest.moc"
