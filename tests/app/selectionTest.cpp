// Selecting a tree item selects the element's or the box's bytes in the hex pane, puts its first line
// at the top as far as the pane can scroll and shows its text; the focus stays in the tree. However
// the hex pane scrolls (the wheel over the offset column included), and at eight or sixteen bytes a
// line, the offset column shows the same first line.

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "engine/jpcAnalyzer.h"

#include <QScrollBar>
#include <QWheelEvent>

class SelectionTest : public QObject {
    Q_OBJECT
private slots:
    void selectingAnItemMarksItsBytesAndShowsItsText_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("file");
        QTest::addColumn<FileItem>("expanded");  // at opening, besides the file row
        QTest::addColumn<uint64_t>("eocEnd");
        QTest::addColumn<FileItem>("first");  // the row under the file row
        QTest::addColumn<CharRange>("firstChars");
        QTest::newRow("a codestream: EOC holds the bytes after it")
            << longStream() << FileItem{} << uint64_t{2113} << FileItem{ItemKind::Element, 0} << CharRange{0, 5};
        QTest::newRow("a JP2 file, opened with its codestream in view; the XML box after it is not EOC's")
            << jp2File() << FileItem{ItemKind::Box, 5} << uint64_t{197} << FileItem{ItemKind::Box, 0}
            << CharRange{0, 35};
    }
    void selectingAnItemMarksItsBytesAndShowsItsText()
    {
        QFETCH(std::vector<uint8_t>, file);
        QFETCH(FileItem, expanded);
        QFETCH(uint64_t, eocEnd);
        QFETCH(FileItem, first);
        QFETCH(CharRange, firstChars);
        TestWindow w;
        QVERIFY(w.open(file));
        const jpcAnalyzer& a = *w.document.getAnalyzer();
        QVERIFY(w.tree()->isExpanded(w.model()->indexOf(expanded)));
        const auto& offsets = a.getMarkerOffsets();
        const qint64 lastTop = w.hex()->verticalScrollBar()->maximum();
        QVERIFY(lastTop > 0);
        w.tree()->setFocus();
        w.tree()->expandAll();
        for (QModelIndex index = w.model()->fileIndex(); index.isValid(); index = w.tree()->indexBelow(index)) {
            w.tree()->setCurrentIndex(index);
            const auto [kind, id, packet] = w.model()->itemOf(index);
            if (kind == ItemKind::Packet)
                continue;  // PacketTest's
            ByteRange bytes{0, file.size()};
            if (kind == ItemKind::Element)
                bytes = {offsets[id], size_t(id) + 1 < offsets.size() ? offsets[id + 1] : eocEnd};
            else if (kind == ItemKind::Box)
                bytes = {a.getBoxes()[id].offset, a.getBoxes()[id].end()};  // the header included
            QCOMPARE(w.hex()->markedRange(), bytes);
            QCOMPARE(w.hex()->selectedChars(), (CharRange{3 * bytes.begin, 3 * bytes.end - 1}));
            QCOMPARE(w.hex()->topLine(), std::min<qint64>(bytes.begin / 8, lastTop));
            QCOMPARE(w.offsets()->topLine(), w.hex()->topLine());
            QCOMPARE(w.detail(), QString::fromStdString(kind == ItemKind::Box ? a.buildBoxText(id)
                                                                               : a.buildElementText(id)));
        }
        w.selectFile();
        QTest::keyClick(w.tree(), Qt::Key_Down);  // by the keyboard
        QCOMPARE(w.current(), first);
        QCOMPARE(w.hex()->selectedChars(), firstChars);
        QCOMPARE(QApplication::focusWidget(), w.tree());
    }

    void offsetColumnFollowsEveryScroll_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("scroll bar") << "bar";
        QTest::newRow("arrow keys") << "arrows";
        QTest::newRow("wheel") << "wheel";
        QTest::newRow("wheel over the offset column") << "wheel offsets";
        QTest::newRow("ctrl+home back to the top") << "home";
        QTest::newRow("16 bytes a line, the cursor's line kept in view") << "16";
    }
    void offsetColumnFollowsEveryScroll()
    {
        QFETCH(QString, how);
        TestWindow w;
        QVERIFY(w.open(longStream()));
        HexPane* hex = w.hex();
        hex->setFocus();
        if (how == "bar") {
            hex->verticalScrollBar()->setValue(40);
        } else if (how == "arrows") {
            // The cursor goes down past the last line in view.
            for (int i = 0; i < hex->visibleLines() + 3; ++i)
                QTest::keyClick(hex, Qt::Key_Down);
        } else if (how.startsWith("wheel")) {
            QWidget* under = how == "wheel" ? hex->viewport() : w.offsets()->viewport();
            const QPointF at(10, 10);
            QWheelEvent wheel(at, under->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(under, &wheel);
        } else if (how == "home") {
            hex->verticalScrollBar()->setValue(40);
            QTest::keyClick(hex, Qt::Key_Home, Qt::ControlModifier);
        } else if (how == "16") {
            hex->verticalScrollBar()->setValue(40);
            hex->setCursor(8 * 41 + 3);
            w.frame.view()->setBytesPerLine(16);
            const auto line = qint64(hex->cursor() / 16);
            QVERIFY(hex->topLine() <= line && line < hex->topLine() + hex->visibleLines());
        }
        QCOMPARE(hex->topLine() == 0, how == "home");
        QCOMPARE(w.offsets()->topLine(), hex->topLine());
        // The offset painted beside the first hex line is that line's offset.
        const uint64_t firstShown = w.offsets()->characterAt(QPoint(5, 2));
        QCOMPARE(w.offsets()->textOf({firstShown, firstShown + 9}),
                 hex->hexGeometry().offsetLabel(static_cast<uint64_t>(hex->topLine())));
    }
};

APP_TEST_SUITE(SelectionTest);
#include "selectionTest.moc"
