// Every file the checker handles opens in the window without a crash or a hang, and leaves a sane
// window: the regression corpus, the fuzz seeds, the samples, hostile streams made here, and a file
// cut on disk while shown. Each is clicked through: what a broken one still holds, every tree item
// (of the packets, a few in each data block), both buttons, the jump from every error, every fault, a search round the file and a copy. (Files
// that cannot be opened at all: the main window's tests.)

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "engine/jpcAnalyzer.h"

#include <QAbstractItemView>
#include <QScrollBar>

#include <filesystem>

namespace {

std::vector<std::string> shippedFiles()
{
    std::vector<std::string> paths;
    for (const char* dir : {"tests/corpus", "fuzz/seeds", "samples"})
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(TARVIK3_SOURCE_DIR) / dir))
            paths.push_back(entry.path().string());
    return paths;
}

std::vector<std::vector<uint8_t>> hostileStreams()
{
    using B = StreamBuilder;
    std::vector<std::vector<uint8_t>> streams = {
        {0xFF},
        {0xFF, 0x4F},
        {0xFF, 0xD9},
        B().segment(0x64, {0, 1}).eoc().bytes(),                               // no SOC, no SIZ
        B().soc().segmentWithLength(0x51, 0xFFFF, {0, 0, 0}).bytes(),          // SIZ past the end
        B().mainHeader().sot(0xFFFFFFF0).sod().fill(8).bytes(),                // Psot past the end
        B().mainHeader().sot(0).sod().fill(8).eoc().fill(5).bytes(),           // Psot 0
        B().mainHeader().segmentWithLength(0x55, 2, {}).tilePart().eoc().bytes(),  // TLM with no fields
        B().mainHeader().segmentWithLength(0x58, 0, {}).tilePart().eoc().bytes(),  // zero length
        B().mainHeader().beginTilePart().sod().endTilePart().tilePart().eoc().bytes(),  // empty data block
    };
    std::vector<uint8_t> text(300);
    for (size_t k = 0; k < text.size(); ++k)
        text[k] = "not a codestream at all\n"[k % 24];
    streams.push_back(text);
    std::vector<uint8_t> cut = cleanStream().bytes();
    cut.resize(cut.size() / 2);
    streams.push_back(cut);
    return streams;
}

// Shows a broken file's read part, selects every tree item and asks for its description, opens the
// errors dialog once per row and jumps from it, steps through the faults, finds bytes, copies, and
// scrolls the hex pane to its end.
void clickThrough(TestWindow& w, const std::string& name)
{
    Ctarvik3View* view = w.frame.view();
    view->OnShowReadPart();
    for (QModelIndex index = w.model()->fileIndex(); index.isValid(); index = w.tree()->indexBelow(index)) {
        // Of a data block's packets, the first few and the last stand for the rest.
        const bool packet = w.model()->itemOf(index).kind == ItemKind::Packet;
        if (packet && index.row() >= 4 && index.row() + 1 < w.model()->rowCount(index.parent()))
            continue;
        w.tree()->expand(index);
        w.tree()->setCurrentIndex(index);
        QVERIFY2(w.hex()->selectedChars().end <= w.hex()->characterCount(), name.c_str());
        whileModal([&] { press(w, "describe"); });
    }
    const jpcAnalyzer* a = w.document.getAnalyzer();
    for (int row = 0; row < (a ? std::max<int>(a->getErrorList().size(), 1) : 1); ++row)
        whileModal([&] { press(w, "errors"); }, [&](QDialog& dialog) {
            auto* list = dialog.findChild<QAbstractItemView*>();
            if (row < list->model()->rowCount())
                doubleClickRow(list, row);
        });
    for (size_t fault = 0; fault <= (a ? a->getErrorList().size() : 0); ++fault)
        view->OnNextFault();
    view->OnPreviousFault();
    enter([&] { view->OnFindBytes(); }, "ff");
    view->OnFindPrevious();
    w.hex()->setFocus();
    QTest::keyClick(w.hex(), Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier);
    view->OnEditCopy();
    w.hex()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    w.hex()->grab();  // paints the last lines
    QVERIFY2(w.offsets()->topLine() == w.hex()->topLine(), name.c_str());
}

}  // namespace

class RobustnessTest : public QObject {
    Q_OBJECT
private slots:
    void shippedAndHostileFilesOpenAndClickThrough()
    {
        TestWindow w;
        for (const std::string& path : shippedFiles()) {
            w.document.OnNewDocument();
            QVERIFY2(w.open(path), path.c_str());
            clickThrough(w, path);
        }
        int n = 0;
        for (const auto& stream : hostileStreams()) {
            w.document.OnNewDocument();
            w.open(stream);  // may be refused ("Failed to open document."), never crash
            clickThrough(w, "hostile stream " + std::to_string(n++));
        }
    }

    void aFileCutOnDiskWhileShownIsSaidToHaveChanged()
    {
        TestWindow w;
        const ScratchFile file(StreamBuilder().mainHeader().tilePart(0, 20000).eoc().bytes());
        QVERIFY(w.open(file.path()));
        file.truncate(100);
        w.hex()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        w.hex()->grab();
        QVERIFY(w.statusMessage().startsWith(QString::fromUtf8("Plik zmienił się na dysku")));
        enter([&] { w.frame.view()->OnFindBytes(); }, "ab");  // reads on into the bytes that are gone
        QCOMPARE(w.statusMessage(), QString::fromUtf8("Szukanie przerwane: plik nie ma już wszystkich bajtów."));
        // Bytes gone from the file, and never read before, are not made up.
        QCOMPARE(w.hex()->textOf({3 * 10000, 3 * 10000 + 5}), std::string());
        QCOMPARE(w.hex()->textOf({0, 5}), std::string("ff 4f"));
        clickThrough(w, "cut on disk");
    }
};

APP_TEST_SUITE(RobustnessTest);
#include "robustnessTest.moc"
