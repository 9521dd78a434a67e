// Screen readers and UI-test tools read the hex pane and the offset column as read-only text
// controls, texts made on demand; every pane carries a name.

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "engine/jpcAnalyzer.h"
#include "support/analysis.h"

#include <QAccessible>

namespace {

QAccessibleTextInterface* textOf(QWidget* widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->textInterface() : nullptr;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void hexPaneReadsAsAReadOnlyTextControl()
    {
        TestWindow w;
        const ScratchFile file(cleanStream().bytes());
        QVERIFY(w.open(file.path()));
        w.select(0);
        QAccessibleInterface* hex = QAccessible::queryAccessibleInterface(w.hex());
        QCOMPARE(hex->role(), QAccessible::EditableText);
        QVERIFY(hex->state().readOnly);
        QCOMPARE(hex->text(QAccessible::Name), QString::fromUtf8("zawartość pliku (szesnastkowo)"));

        QAccessibleTextInterface* text = hex->textInterface();
        const QString whole = QString::fromStdString(analyze(cleanStream().bytes())->buildHexText());
        QCOMPARE(text->characterCount(), whole.size());
        QCOMPARE(text->text(0, text->characterCount()), whole);
        QCOMPARE(text->selectionCount(), 1);
        int start = -1, end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(QPoint(start, end), QPoint(0, 5));
        QCOMPARE(text->textAtOffset(30, QAccessible::LineBoundary, &start, &end), whole.mid(24, 24));
        QCOMPARE(text->textAtOffset(4, QAccessible::WordBoundary, &start, &end), whole.mid(3, 3));
        QCOMPARE(text->textAfterOffset(4, QAccessible::WordBoundary, &start, &end), whole.mid(6, 3));

        text->setSelection(0, 24, 30);  // a screen reader selects bytes 8 and 9
        QCOMPARE(w.hex()->markedRange(), (ByteRange{8, 10}));
    }

    void panesCarryNamesAndTheOffsetColumnItsLines()
    {
        TestWindow w;
        const ScratchFile file(cleanStream().bytes());
        QVERIFY(w.open(file.path()));
        QCOMPARE(textOf(w.offsets())->text(0, 20), QString("00000000:\n00000008:\n"));
        const std::pair<QWidget*, const char*> named[] = {
            {w.tree(), "struktura pliku"},
            {w.find<QWidget>("detail"), "dane wybranego elementu struktury"},
            {w.find<QWidget>("verdict"), "werdykt"},
            {w.offsets(), "pozycje linii"},
        };
        for (const auto& [widget, name] : named)
            QCOMPARE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name), QString::fromUtf8(name));
    }
};

APP_TEST_SUITE(AccessibilityTest);
#include "accessibilityTest.moc"
