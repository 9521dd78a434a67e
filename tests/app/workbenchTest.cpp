// The workbench in the window: the hex cursor selects the element and the field that hold its byte,
// going to an offset, finding bytes, stepping through the faults in file order, copying, the status
// bar's facts and messages (which give way once the user moves on, and show beside the bytes while
// the bar is hidden), and what a fatally broken file still shows.

#include "app/dialogs/entryParsing.h"
#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "engine/jpcAnalyzer.h"
#include "present/verdict.h"

#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>

#include <algorithm>

namespace {

int elementAt(const jpcAnalyzer& a, uint64_t offset)
{
    const auto& offsets = a.getMarkerOffsets();
    return int(std::upper_bound(offsets.begin(), offsets.end(), offset) - offsets.begin()) - 1;
}

void clickByte(TestWindow& w, uint64_t offset, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(w.hex()->viewport(), Qt::LeftButton, modifiers, w.hex()->characterRect(3 * offset).center());
}

QString pane(const TestWindow& w, const char* name)
{
    for (QLabel* label : w.frame.findChildren<QLabel*>())
        if (label->accessibleDescription() == QString::fromUtf8(name))
            return label->text();
    return "?";
}

int markedLine(const TestWindow& w)
{
    const auto marks = w.find<QPlainTextEdit>("detail")->extraSelections();
    return marks.isEmpty() ? -1 : marks.first().cursor.blockNumber();
}

// A click on a byte, maybe a key after it, and what the window shows then.
struct Click {
    bool jp2;  // jp2File(), else longStream()
    int at;  // the byte clicked
    int key;  // 0: none
    int modifiers;
    qint64 cursor;  // -1: a page of lines on
    FileItem item;
    ByteRange marked;
    int fieldLine;  // of the detail pane's text; -1: the byte is in no field
    ByteRange field;
};

constexpr FileItem element(int id) { return {ItemKind::Element, id}; }
constexpr FileItem box(int id) { return {ItemKind::Box, id}; }

}  // namespace

class WorkbenchTest : public QObject {
    Q_OBJECT
private slots:
    void aByteSelectsTheInnermostElementOrBoxAndItsField_data()
    {
        // longStream(): SIZ 2-44, COD 45-58, QCD 59-79, <dane> 94-1093 and 1108-2107, EOC 2108-2109,
        // 2110-2112 after it. jp2File(): jP 0-11, ftyp 12-31, jp2h 32-76 (ihdr 40-61), jp2c 77-196 (SOC
        // at 85, EOC 195-196), xml 197-208.
        QTest::addColumn<Click>("c");
        QTest::newRow("click: first byte of SIZ") << Click{false, 2, 0, 0, 2, element(1), {2, 45}, -1, {}};
        QTest::newRow("click: Lsiz") << Click{false, 5, 0, 0, 5, element(1), {2, 45}, 1, {4, 6}};
        QTest::newRow("click: inside COD") << Click{false, 50, 0, 0, 50, element(2), {45, 59}, 7, {50, 51}};
        QTest::newRow("click: last byte of QCD") << Click{false, 79, 0, 0, 79, element(3), {59, 80}, 37, {79, 80}};
        QTest::newRow("click: inside a data block") << Click{false, 1408, 0, 0, 1408, element(9), {1108, 2108}, -1, {}};
        QTest::newRow("click: after EOC, which holds it")
            << Click{false, 2112, 0, 0, 2112, element(10), {2108, 2113}, -1, {}};
        QTest::newRow("right") << Click{false, 20, Qt::Key_Right, 0, 21, element(1), {2, 45}, 6, {20, 24}};
        QTest::newRow("down a line") << Click{false, 20, Qt::Key_Down, 0, 28, element(1), {2, 45}, 8, {28, 32}};
        QTest::newRow("home of the line") << Click{false, 20, Qt::Key_Home, 0, 16, element(1), {2, 45}, 5, {16, 20}};
        QTest::newRow("end of the line") << Click{false, 20, Qt::Key_End, 0, 23, element(1), {2, 45}, 6, {20, 24}};
        QTest::newRow("a page down") << Click{false, 20, Qt::Key_PageDown, 0, -1, element(6), {94, 1094}, -1, {}};
        QTest::newRow("ctrl+end: the last byte")
            << Click{false, 20, Qt::Key_End, Qt::ControlModifier, 2112, element(10), {2108, 2113}, -1, {}};
        QTest::newRow("shift+right: the mark stretched")
            << Click{false, 20, Qt::Key_Right, Qt::ShiftModifier, 21, element(1), {20, 22}, 6, {20, 24}};
        QTest::newRow("JP2: the signature box's LBox") << Click{true, 0, 0, 0, 0, box(0), {0, 12}, 1, {0, 4}};
        QTest::newRow("JP2: the JP2 header box's own TBox") << Click{true, 39, 0, 0, 39, box(2), {32, 77}, -1, {}};
        QTest::newRow("JP2: WIDTH in the image header box inside it")
            << Click{true, 52, 0, 0, 52, box(3), {40, 62}, 3, {52, 56}};
        QTest::newRow("JP2: the codestream box's header") << Click{true, 84, 0, 0, 84, box(5), {77, 197}, -1, {}};
        QTest::newRow("JP2: SOC, the codestream's first byte")
            << Click{true, 85, 0, 0, 85, element(0), {85, 87}, -1, {}};
        QTest::newRow("JP2: EOC's last byte, its bytes to its box's end")
            << Click{true, 196, 0, 0, 196, element(7), {195, 197}, -1, {}};
        QTest::newRow("JP2: the XML box after the codestream box")
            << Click{true, 197, 0, 0, 197, box(6), {197, 209}, 1, {197, 201}};
        QTest::newRow("JP2: the file's last byte, in the XML")
            << Click{true, 208, 0, 0, 208, box(6), {197, 209}, 3, {205, 209}};
    }
    void aByteSelectsTheInnermostElementOrBoxAndItsField()
    {
        QFETCH(Click, c);
        TestWindow w;
        QVERIFY(w.open(c.jp2 ? jp2File() : longStream()));
        const jpcAnalyzer& a = *w.document.getAnalyzer();
        HexPane* hex = w.hex();
        hex->scrollToLine(c.at / 8 - 2);
        const qint64 top = hex->topLine();
        clickByte(w, uint64_t(c.at));
        if (c.key)
            QTest::keyClick(hex, Qt::Key(c.key), Qt::KeyboardModifiers(c.modifiers));
        else
            QCOMPARE(hex->topLine(), top);  // a click moves nothing
        const uint64_t offset = c.cursor < 0 ? c.at + 8 * hex->visibleLines() : c.cursor;
        QCOMPARE(hex->cursor(), offset);
        QVERIFY(hex->topLine() <= qint64(offset / 8) && qint64(offset / 8) < hex->topLine() + hex->visibleLines());
        QCOMPARE(w.offsets()->topLine(), hex->topLine());
        QCOMPARE(w.current(), c.item);
        QVERIFY(w.tree()->isExpanded(w.tree()->currentIndex().parent()));
        QCOMPARE(hex->markedRange(), c.marked);
        QCOMPARE(w.detail(), QString::fromStdString(c.item.kind == ItemKind::Box ? a.buildBoxText(c.item.id)
                                                                                  : a.buildElementText(c.item.id)));
        QCOMPARE(markedLine(w), c.fieldLine);
        QCOMPARE(hex->markedField(), c.field);
        QCOMPARE(pane(w, "pozycja kursora"), QString("0x%1 (%2)").arg(offset, 8, 16, QChar('0')).arg(offset));
        QCOMPARE(pane(w, "zaznaczone bajty"), QString("%1 B").arg(c.marked.end - c.marked.begin));
        QCOMPARE(pane(w, "element pod kursorem"), w.model()->data(w.tree()->currentIndex()).toString());
    }

    void goToOffsetPutsItsLineAtTheTopOrRefuses_data()
    {
        QTest::addColumn<QString>("text");  // longStream() has 2113 bytes
        QTest::addColumn<qint64>("offset");  // -1: refused
        QTest::addColumn<QString>("refusal");
        QTest::newRow("0") << "0" << qint64{0} << "";
        QTest::newRow("hexadecimal") << " 0X3F0 " << qint64{0x3F0} << "";
        QTest::newRow("the last byte") << "2112" << qint64{2112} << "";
        QTest::newRow("the size: past the end") << "2113" << qint64{-1} << "leży poza plikiem";
        QTest::newRow("past 64 bits") << "99999999999999999999999" << qint64{-1} << "leży poza plikiem";
        QTest::newRow("garbage") << "12a" << qint64{-1} << "nie jest liczbą";
        QTest::newRow("empty") << "" << qint64{-1} << "Nie wpisano pozycji";
    }
    void goToOffsetPutsItsLineAtTheTopOrRefuses()
    {
        QFETCH(QString, text);
        QFETCH(qint64, offset);
        QFETCH(QString, refusal);
        TestWindow w;
        QVERIFY(w.open(longStream()));
        const QString refused = enter([&] { w.frame.view()->OnGoToOffset(); }, text);
        QVERIFY2(refused.contains(refusal), qPrintable(refused));
        QCOMPARE(refused.isEmpty(), offset >= 0);
        QCOMPARE(w.hex()->cursor(), uint64_t(std::max<qint64>(offset, 0)));
        QCOMPARE(w.hex()->topLine(), std::min<qint64>(offset / 8, w.hex()->verticalScrollBar()->maximum()));
        QCOMPARE(w.tree()->selectionModel()->hasSelection(), offset >= 0);
        if (offset >= 0)
            QCOMPARE(w.currentElement(), elementAt(*w.document.getAnalyzer(), uint64_t(offset)));
    }

    void hexBytesAreReadOrRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bytes");  // as read, or the start of the refusal
        QTest::newRow("pairs with blanks") << " ff 90 " << "ff 90";
        QTest::newRow("one run, upper case") << "FF90" << "ff 90";
        QTest::newRow("empty") << "  " << "Nie wpisano bajtów";
        QTest::newRow("not hex") << "ff 9g" << QString::fromUtf8("„g” nie jest");
        QTest::newRow("odd number of digits") << "f 90" << "Nieparzysta liczba cyfr (3)";
        QTest::newRow("256 bytes") << QString("ab").repeated(256) << QString("ab ").repeated(256).chopped(1);
        QTest::newRow("257 bytes") << QString("ab").repeated(257) << QString::fromUtf8("Za dużo bajtów (257)");
    }
    void hexBytesAreReadOrRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, bytes);
        const Parsed<std::vector<uint8_t>> parsed = parseHexBytes(text);
        const QString shown = parsed.value ? hexBytesText(*parsed.value) : parsed.error;
        QVERIFY2(shown.startsWith(bytes), qPrintable(shown));
    }

    void findStartsAtTheCursorAndGoesRoundOnce_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("from");  // 0 the file's start; 1 and 2 the places of ff 90, the two SOTs
        QTest::addColumn<int>("hit");   // 1 or 2; 0 none
        QTest::addColumn<QString>("message");
        QTest::newRow("find from the start") << "find" << 0 << 1 << "Znaleziono ff 90 pod 0x00000050 (80).";
        QTest::newRow("find at the cursor") << "find" << 2 << 2 << "Znaleziono";
        QTest::newRow("the same bytes again from their hit go on") << "find" << 1 << 2 << "pod 0x00000446 (1094).";
        QTest::newRow("next") << "next" << 1 << 2 << "Znaleziono";
        QTest::newRow("next past the last, round the end") << "next" << 2 << 1 << "przez koniec pliku.";
        QTest::newRow("previous") << "previous" << 2 << 1 << "Znaleziono";
        QTest::newRow("previous before the first, round the start") << "previous" << 1 << 2 << "przez początek pliku.";
        QTest::newRow("no hit: nothing moves") << "none" << 0 << 0 << "Nie znaleziono bajtów 12 34 56.";
    }
    void findStartsAtTheCursorAndGoesRoundOnce()
    {
        QFETCH(QString, command);
        QFETCH(int, from);
        QFETCH(int, hit);
        QFETCH(QString, message);
        TestWindow w;
        QVERIFY(w.open(longStream()));
        const uint64_t places[] = {0, 80, 1094};
        Ctarvik3View* view = w.frame.view();
        enter([&] { view->OnFindBytes(); }, command == "none" ? "12 34 56" : "ff 90");
        w.hex()->setCursor(places[from]);
        w.hex()->markRange({});
        if (command == "find")
            enter([&] { view->OnFindBytes(); }, "FF90");
        else
            (view->*(command == "next" ? &Ctarvik3View::OnFindNext : &Ctarvik3View::OnFindPrevious))();
        QVERIFY2(w.statusMessage().contains(message), qPrintable(w.statusMessage()));
        QCOMPARE(w.hex()->cursor(), places[hit ? hit : from]);
        QCOMPARE(w.hex()->markedRange(), (hit ? ByteRange{places[hit], places[hit] + 2} : ByteRange{}));
        QCOMPARE(w.currentElement(), hit ? 1 + 3 * hit : -1);  // the SOT, or nothing selected
    }

    void faultsAreSteppedInFileOrder()
    {
        TestWindow w;
        Ctarvik3View* view = w.frame.view();
        QVERIFY(w.open(cleanStream().bytes()));
        view->OnNextFault();
        QCOMPARE(w.statusMessage(), QString::fromUtf8("W pliku nie ma błędów."));
        // The list holds 1001 (raised, in the tile-part at 0x6a) before 10008 (recorded, in SIZ at 2),
        // and the packet checks' 12113 (at the SOT, 0x50) after them.
        SizFields siz;
        siz.XRsiz = 0;
        QVERIFY(w.open(
            StreamBuilder().mainHeader(siz).beginTilePart().cod().cod().sod().fill(16).endTilePart().eoc().bytes()));
        const struct {
            bool forward;
            uint64_t cursor;
            const char* message;
        } steps[] = {
            {true, 2, "Błąd 1 z 3 (0x00000002): 10008 – XRsiz"},
            {true, 0x50, "Błąd 2 z 3 (0x00000050): 12113 – Parametry kodowania"},
            {true, 0x6a, "Błąd 3 z 3 (0x0000006a): 1001 – Wiele markerów COD"},
            {true, 0x6a, "Nie ma dalszych błędów."},
            {false, 0x50, "Błąd 2 z 3"},
            {false, 2, "Błąd 1 z 3"},
            {false, 2, "Nie ma wcześniejszych błędów."},
        };
        for (const auto& step : steps) {
            step.forward ? view->OnNextFault() : view->OnPreviousFault();
            QVERIFY2(w.statusMessage().startsWith(QString::fromUtf8(step.message)), qPrintable(w.statusMessage()));
            QCOMPARE(w.hex()->cursor(), step.cursor);
            QCOMPARE(w.currentElement(), elementAt(*w.document.getAnalyzer(), step.cursor));
        }
    }

    void copyFollowsTheFocusAndStopsAt16MiB()
    {
        TestWindow w;
        QVERIFY(w.open(StreamBuilder().mainHeader().tilePart(0, (16 << 20) + 1).eoc().bytes()));
        QClipboard* clipboard = QApplication::clipboard();
        w.select(1);  // SIZ, 43 bytes from 2
        w.hex()->setFocus();
        w.frame.view()->OnEditCopy();
        QCOMPARE(clipboard->text(), QString::fromStdString(w.hex()->textOf({6, 3 * 45 - 1})));
        w.tree()->setFocus();
        QTest::keyClick(w.tree(), Qt::Key_C, Qt::ControlModifier);  // the tree's own copy gives way
        QCOMPARE(clipboard->text(), w.detail());
        const QString copied = clipboard->text();
        w.select(6);  // the data block, 16 MiB and a byte
        w.hex()->setFocus();
        w.frame.view()->OnEditCopy();
        QCOMPARE(clipboard->text(), copied);
        QVERIFY(w.statusMessage().startsWith(QString::fromUtf8("Zaznaczono 16\u00a0777\u00a0217 B")));
        QCOMPARE(pane(w, "zaznaczone bajty"), QString::fromUtf8("16\u00a0777\u00a0217 B"));
    }

    void messagesGiveWayAndShowWholeOrBesideTheBytes()
    {
        TestWindow w;
        QVERIFY(w.open(cleanStream().bytes()));
        Ctarvik3View* view = w.frame.view();
        view->OnNextFault();
        QCOMPARE(w.statusMessage(), QString::fromUtf8("W pliku nie ma błędów."));
        w.select(2);  // the user moves on
        QCOMPARE(w.statusMessage(), QString("Ready"));
        // Longer than the pane: cut with "…", whole in its tooltip and to a screen reader.
        w.frame.resize(500, 300);
        enter([&] { view->OnFindBytes(); }, QString("ab").repeated(40));
        auto* message = w.find<ElidedLabel>("message");
        QVERIFY(message->text().endsWith(QChar(0x2026)));
        QCOMPARE(message->toolTip(), w.statusMessage());
        QCOMPARE(QAccessible::queryAccessibleInterface(message)->text(QAccessible::Name), w.statusMessage());
        w.frame.statusBar()->hide();
        view->OnNextFault();
        auto* feedback = w.find<QLabel>("feedback");
        QVERIFY(feedback->isVisible());
        QCOMPARE(feedback->text(), QString::fromUtf8("W pliku nie ma błędów."));
    }

    void aFieldLineMarksItsBytesWithinTheMarkedElement()
    {
        TestWindow w;
        QVERIFY(w.open(cleanStream().bytes()));
        w.select(1);  // SIZ at 2
        auto* detail = w.find<QPlainTextEdit>("detail");
        detail->setTextCursor(QTextCursor(detail->document()->findBlockByNumber(11)));  // "Csiz: 1"
        QCOMPARE(w.hex()->markedField(), (ByteRange{40, 42}));
        QCOMPARE(w.hex()->markedRange(), (ByteRange{2, 45}));
    }

    void aBrokenFileShowsWhatWasReadOnRequest_data()
    {
        std::vector<uint8_t> cut = cleanStream().bytes();
        cut.resize(118);  // inside the second tile-part's SOT
        QTest::addColumn<std::vector<uint8_t>>("file");
        QTest::addColumn<QString>("tree");  // the rows under the root, and under the codestream box
        QTest::addColumn<bool>("box");  // of the row selected at the fatal fault
        QTest::addColumn<int>("id");
        QTest::newRow("a raw codestream cut short") << cut << "SOC SOT SOT" << false << 7;
        QTest::newRow("a JP2 file with its codestream cut short")
            << BoxBuilder().jp2Head().codestream(cut).bytes() << "jP   ftyp jp2h jp2c: SOC SOT SOT" << false << 7;
        QTest::newRow("a JP2 file whose codestream box is empty (901)")
            << BoxBuilder().jp2Head().codestream({}).bytes() << "jP   ftyp jp2h jp2c" << true << 5;
    }
    void aBrokenFileShowsWhatWasReadOnRequest()
    {
        QFETCH(std::vector<uint8_t>, file);
        QFETCH(QString, tree);
        QFETCH(bool, box);
        QFETCH(int, id);
        TestWindow w;
        QVERIFY(w.open(file));
        Ctarvik3View* view = w.frame.view();
        auto* button = w.find<QPushButton>("readPart");
        QVERIFY(view->canShowReadPart() && button->isVisible());
        QCOMPARE(w.model()->rowCount(), 0);
        QCOMPARE(w.verdict(), QString::fromStdString(verdictText(jpcAnalyzer::statusFatal)));
        button->click();
        const jpcAnalyzer& a = *w.document.getAnalyzer();
        QCOMPARE(w.verdict(), QString::fromUtf8("Poważne błędy w strukturze pliku. Pokazano tylko część odczytaną przed "
                                                "błędem krytycznym."));
        const auto rowsUnder = [&](const QModelIndex& parent) {
            QStringList rows;
            for (int row = 0; row < w.model()->rowCount(parent); ++row)
                rows << w.model()->index(row, 0, parent).data().toString();
            return rows.join(' ');
        };
        QString shown = rowsUnder(w.model()->fileIndex());
        if (const auto jp2c = a.getCodestreamBox(); jp2c && !a.getMarkerOffsets().empty())
            shown += ": " + rowsUnder(w.model()->indexOf({ItemKind::Box, *jp2c}));
        QCOMPARE(shown, tree);
        QCOMPARE(w.hex()->characterCount(), file.size() * 3 - 1);
        QCOMPARE(w.current(), (FileItem{box ? ItemKind::Box : ItemKind::Element, id}));
        QCOMPARE(w.hex()->cursor(), std::min<uint64_t>(a.getErrorPositions().front(), file.size() - 1));
        QVERIFY(!view->canShowReadPart() && !button->isVisible());
    }
};

APP_TEST_SUITE(WorkbenchTest);
#include "workbenchTest.moc"
