// Selecting a tree item selects the element's or the box's bytes in the hex pane, puts its first line
// at the top as far as the pane can scroll and shows its text; the focus stays in the tree. However
// the hex pane scrolls, the offset column shows the same first line.

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "engine/jpcAnalyzer.h"

#include <QScrollBar>
#include <QWheelEvent>

class SelectionTest : public QObject {
    Q_OBJECT
private slots:
    void selectingAnItemMarksItsBytesAndShowsItsText()
    {
        TestWindow w;
        const ScratchFile file(longStream());
        QVERIFY(w.open(file.path()));
        const jpcAnalyzer& a = *w.document.getAnalyzer();
        const auto& offsets = a.getMarkerOffsets();
        const uint64_t textLength = a.getFileSize() * 3 - 1;
        const qint64 lastTop = w.hex()->verticalScrollBar()->maximum();
        QVERIFY(lastTop > 0);
        w.tree()->setFocus();
        for (int i = 0; i < int(offsets.size()); ++i) {
            w.select(i);
            const bool last = i + 1 == int(offsets.size());
            const CharRange expected{3 * uint64_t(offsets[i]), last ? textLength : 3 * uint64_t(offsets[i + 1]) - 1};
            QCOMPARE(w.hex()->selectedChars(), expected);
            QCOMPARE(w.hex()->topLine(), std::min<qint64>(offsets[i] / 8, lastTop));
            QCOMPARE(w.offsets()->topLine(), w.hex()->topLine());
            QCOMPARE(w.detail(), QString::fromStdString(a.buildElementText(i)));
        }

        w.select(0);
        QCOMPARE(w.hex()->selectedChars(), (CharRange{0, 5}));  // FF 4F and the blank between them
        w.selectFile();
        QCOMPARE(w.hex()->selectedChars(), (CharRange{0, textLength}));
        QCOMPARE(w.hex()->topLine(), 0);
        QCOMPARE(w.detail(), QString::fromStdString(a.buildElementText(-1)));

        QTest::keyClick(w.tree(), Qt::Key_Down);  // SOC, by the keyboard
        QCOMPARE(w.model()->elementOf(w.tree()->currentIndex()), 0);
        QCOMPARE(w.hex()->selectedChars(), (CharRange{0, 5}));
        QCOMPARE(QApplication::focusWidget(), w.tree());
    }

    void boxRowsMarkTheWholeBoxAndTheCodestreamEndsWithItsBox()
    {
        TestWindow w;
        const ScratchFile file(jp2File());
        QVERIFY(w.open(file.path()));
        const jpcAnalyzer& a = *w.document.getAnalyzer();
        // Opened as a raw file opens: the codestream's SOC, SOT and EOC in view.
        QVERIFY(w.tree()->isExpanded(w.model()->indexOf({ItemKind::Box, 5})));
        const qint64 lastTop = w.hex()->verticalScrollBar()->maximum();
        for (int i = 0; i < int(a.getBoxes().size()); ++i) {
            w.selectBox(i);
            const Box& box = a.getBoxes()[i];
            QCOMPARE(w.hex()->markedRange(), (ByteRange{box.offset, box.end()}));  // the header included
            QCOMPARE(w.hex()->topLine(), std::min<qint64>(box.offset / 8, lastTop));
            QCOMPARE(w.detail(), QString::fromStdString(a.buildBoxText(i)));
        }
        w.select(7);  // EOC: the XML box after the codestream box is not its
        QCOMPARE(w.hex()->markedRange(), (ByteRange{195, 197}));
        w.selectFile();
        QCOMPARE(w.hex()->markedRange(), (ByteRange{0, 209}));
        QCOMPARE(w.detail(), QString::fromStdString(a.buildElementText(-1)));
    }

    void offsetColumnFollowsEveryScroll_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("scroll bar") << "bar";
        QTest::newRow("arrow keys") << "arrows";
        QTest::newRow("page key") << "page";
        QTest::newRow("wheel") << "wheel";
        QTest::newRow("ctrl+end") << "end";
        QTest::newRow("selection in the tree") << "tree";
        QTest::newRow("ctrl+home back to the top") << "home";
    }
    void offsetColumnFollowsEveryScroll()
    {
        QFETCH(QString, how);
        TestWindow w;
        const ScratchFile file(longStream());
        QVERIFY(w.open(file.path()));
        HexPane* hex = w.hex();
        hex->setFocus();
        if (how == "bar") {
            hex->verticalScrollBar()->setValue(40);
        } else if (how == "arrows") {
            // The cursor goes down past the last line in view.
            for (int i = 0; i < hex->visibleLines() + 3; ++i)
                QTest::keyClick(hex, Qt::Key_Down);
        } else if (how == "page") {
            QTest::keyClick(hex, Qt::Key_PageDown);
        } else if (how == "wheel") {
            const QPointF at(10, 10);
            QWheelEvent wheel(at, hex->viewport()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(hex->viewport(), &wheel);
        } else if (how == "end") {
            QTest::keyClick(hex, Qt::Key_End, Qt::ControlModifier);
        } else if (how == "tree") {
            w.select(int(w.document.getAnalyzer()->getMarkerOffsets().size()) - 1);
        } else if (how == "home") {
            hex->verticalScrollBar()->setValue(40);
            QTest::keyClick(hex, Qt::Key_Home, Qt::ControlModifier);
        }
        QCOMPARE(hex->topLine() == 0, how == "home");
        QCOMPARE(w.offsets()->topLine(), hex->topLine());
        // The offset painted beside the first hex line is that line's offset.
        const uint64_t firstShown = w.offsets()->characterAt(QPoint(5, 2));
        QCOMPARE(w.offsets()->textOf({firstShown, firstShown + 9}),
                 HexGeometry::offsetLabel(static_cast<uint64_t>(hex->topLine())));
    }
};

APP_TEST_SUITE(SelectionTest);
#include "selectionTest.moc"
