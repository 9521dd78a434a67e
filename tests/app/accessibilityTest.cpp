// Screen readers and UI-test tools read the hex pane and the offset column as read-only text
// controls, their texts made on demand (round the caret past what an int counts), and move the hex
// pane's caret; every pane carries a name, and the tree's rows say where they stand and which
// tile-part they are. (A dialog's reason for refusing is read as text: every refusal the workbench's
// tests see is checked so.)

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "support/analysis.h"

#include <QAccessible>

#include <fstream>

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

    void treeRowsTellTileParts()
    {
        TestWindow w;
        QVERIFY(w.open(cleanStream().bytes()));
        w.tree()->doItemsLayout();  // the rows a screen reader is offered are those laid out
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(w.tree());
        QStringList names;
        for (int i = 0; i < tree->childCount(); ++i)
            names << tree->child(i)->text(QAccessible::Name);
        QCOMPARE(names, QStringList({"struktura pliku", "JPC file", "SOC, pozycja 0x00000000",
                                     QString::fromUtf8("SOT, kafel 0, część 0, pozycja 0x00000050"),
                                     QString::fromUtf8("SOT, kafel 0, część 1, pozycja 0x0000006e"),
                                     "EOC, pozycja 0x000000a4"}));

    }

    void hexTextPastWhatAnIntCountsIsReadRoundTheCaret()
    {
        // 1 GiB, sparse: the header, a tile-part of zeros, EOC in the last two bytes.
        const uint64_t size = uint64_t{1} << 30;
        const ScratchFile file(StreamBuilder().mainHeader().sot(uint32_t(size - 2 - 80)).sod().bytes());
        file.truncate(size);
        std::fstream(file.path(), std::ios::in | std::ios::out | std::ios::binary).seekp(size - 2).write("\xff\xd9", 2);
        TestWindow w;
        QVERIFY(w.open(file.path()));
        QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(w.hex())->textInterface();
        for (const auto& [at, digits] : {std::pair{uint64_t{0}, "ff"}, {size / 2, "00"}, {size - 1, "d9"}}) {
            w.hex()->setCursor(at);
            const int caret = text->cursorPosition();
            QVERIFY(caret >= 0 && caret < text->characterCount());
            QCOMPARE(text->text(caret, caret + 2), QString(digits));
        }
        int start = 0, end = 0;
        QCOMPARE(text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end),
                 QString("00 00 00 00 00 00 ff d9"));
        text->setCursorPosition(text->cursorPosition() - 3);  // moved by the screen reader, a byte back
        QCOMPARE(w.hex()->cursor(), size - 2);
    }
};

APP_TEST_SUITE(AccessibilityTest);
#include "accessibilityTest.moc"
