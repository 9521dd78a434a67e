// The real main window, offscreen, over large codestreams in the page cache: opening a file until
// the view is filled and painted, scrolling the hex pane to its end, selecting the last element, and
// the workbench's commands: a click on a byte, going to an offset, finding bytes through the whole
// file, stepping to a fault, showing a broken file's read part, copying. The window's own cost must
// stay small beside the engine's analysis, whatever the file's size; only a search grows with it.

#include "app/dialogs/entryDlg.h"
#include "app/hex/hexPane.h"
#include "app/mainFrame.h"
#include "app/packets/packetChecks.h"
#include "app/tree/structureModel.h"
#include "app/tarvik3Doc.h"
#include "app/tarvik3View.h"
#include "bench/scratchStreams.h"
#include "engine/jpcAnalyzer.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <filesystem>
#include <fstream>

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

namespace {

// 10,000 tile-parts (1,000 tiles of 10) with PLT and TLM, the bit-stream of the whole stream given
// in MiB: the shape of the engine's size benchmark.
StreamShape sizeShape(int64_t mebibytes)
{
    return {.tiles = 1000, .tilePartsPerTile = 10, .dataBytes = (uint64_t(mebibytes) << 20) / 10000, .packets = 8,
            .tlm = true};
}

// Tile-parts of 64 bytes of data, ten per tile: many tree items in a small file.
StreamShape countShape(int64_t tileParts)
{
    return {.tiles = uint32_t(tileParts / 10), .tilePartsPerTile = 10, .dataBytes = 64, .packets = 4, .tlm = true};
}

struct Window {
    Ctarvik3Doc document;
    CMainFrame frame{&document};

    Window()
    {
        document.setFailureReporter([](const QString& message) { throw std::runtime_error(message.toStdString()); });
        frame.show();
        // The window is painted once the platform has exposed it.
        while (!frame.windowHandle() || !frame.windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
    }
    void open(const std::string& path, int status = jpcAnalyzer::statusClean)
    {
        document.OnOpenDocument(QString::fromStdString(path));
        if (!document.getAnalyzer() || document.getAnalyzer()->getStatus() != status)
            throw std::logic_error("generated stream not shown with status " + std::to_string(status) + ": " + path);
    }
    HexPane* hex() const { return frame.findChild<HexPane*>("hex"); }
    QTreeView* tree() const { return frame.findChild<QTreeView*>("tree"); }
    Ctarvik3View* view() const { return frame.view(); }
    // Runs a command that opens an entry dialog, which gets the text and OK.
    void enter(void (Ctarvik3View::*command)(), const QString& text)
    {
        QTimer::singleShot(0, [text] {
            if (auto* dialog = qobject_cast<CEntryDlg*>(QApplication::activeModalWidget())) {
                dialog->setText(text);
                dialog->accept();
            }
        });
        (view()->*command)();
    }
    void clickByte(uint64_t offset)
    {
        const QPointF at = hex()->characterRect(3 * offset).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, hex()->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(hex()->viewport(), &press);
    }
};

void openRepeatedly(benchmark::State& state, const StreamShape& shape)
{
    const std::string path = cachedStream(shape);
    Window window;
    for (auto _ : state) {
        window.open(path);
        window.frame.repaint();
        // Closing the file (the next document) is not part of opening one.
        state.PauseTiming();
        window.document.OnNewDocument();
        state.ResumeTiming();
    }
    state.counters["tileParts"] = static_cast<double>(tilePartCount(shape));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * tilePartCount(shape)));
}

// Opening: analysis, tree, panes, summary, and the first paint of the window.
void BM_OpenIntoWindowBySize(benchmark::State& state) { openRepeatedly(state, sizeShape(state.range(0))); }
BENCHMARK(BM_OpenIntoWindowBySize)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_OpenIntoWindowByCount(benchmark::State& state) { openRepeatedly(state, countShape(state.range(0))); }
BENCHMARK(BM_OpenIntoWindowByCount)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The engine alone on the same streams, for comparison.
void BM_AnalyseOnlyByCount(benchmark::State& state)
{
    const std::string path = cachedStream(countShape(state.range(0)));
    for (auto _ : state) {
        auto analyzer = std::make_unique<jpcAnalyzer>(path);
        state.PauseTiming();
        analyzer.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AnalyseOnlyByCount)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// From the top of the 1 GiB stream to its last line, painted; every other run goes back up, untimed.
void BM_ScrollHexToEnd(benchmark::State& state)
{
    Window window;
    window.open(cachedStream(sizeShape(1024)));
    QScrollBar* bar = window.hex()->verticalScrollBar();
    for (auto _ : state) {
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        window.hex()->repaint();
        state.PauseTiming();
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        window.hex()->repaint();
        state.ResumeTiming();
    }
    state.counters["lines"] = static_cast<double>(bar->maximum());
}
BENCHMARK(BM_ScrollHexToEnd)->Unit(benchmark::kMicrosecond);

// Selecting the last element (EOC) after the file row: selection, scroll, text, and the repaint.
void BM_SelectLastElement(benchmark::State& state)
{
    Window window;
    window.open(cachedStream(sizeShape(1024)));
    const auto* model = static_cast<const StructureModel*>(window.tree()->model());
    const int last = static_cast<int>(window.document.getAnalyzer()->getMarkerOffsets().size()) - 1;
    for (auto _ : state) {
        window.tree()->setCurrentIndex(model->indexOf({ItemKind::Element, last}));
        window.frame.repaint();
        state.PauseTiming();
        window.tree()->setCurrentIndex(model->fileIndex());
        window.frame.repaint();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectLastElement)->Unit(benchmark::kMicrosecond);

// A click on a byte near the end of the 1 GiB stream: the element that holds it selected in the tree
// (a binary search of 40,007 elements), its text, its field, and the repaint. Two bytes in two
// elements, in turn, so that every click changes the element.
void BM_ClickByteToTree(benchmark::State& state)
{
    Window window;
    window.open(cachedStream(sizeShape(1024)));
    const jpcAnalyzer& a = *window.document.getAnalyzer();
    const uint64_t lastSot = a.getMarkerOffsets()[a.getMarkerOffsets().size() - 4];
    window.hex()->scrollToLine(static_cast<qint64>(lastSot / 8) - 4);
    const uint64_t bytes[] = {lastSot - 8, lastSot + 6};  // bit-stream data; Psot
    int next = 0;
    for (auto _ : state) {
        window.clickByte(bytes[next ^= 1]);
        window.frame.repaint();
    }
}
BENCHMARK(BM_ClickByteToTree)->Unit(benchmark::kMicrosecond);

// "Przejdź do pozycji..." to two offsets of the 1 GiB stream in turn, its dialog included.
void BM_GoToOffset(benchmark::State& state)
{
    Window window;
    window.open(cachedStream(sizeShape(1024)));
    const QString offsets[] = {QStringLiteral("0x30000000"), QStringLiteral("0x10000000")};
    int next = 0;
    for (auto _ : state) {
        window.enter(&Ctarvik3View::OnGoToOffset, offsets[next ^= 1]);
        window.frame.repaint();
    }
}
BENCHMARK(BM_GoToOffset)->Unit(benchmark::kMillisecond);

// "Znajdź następne" for bytes the 1 GiB stream does not hold: from the cursor to the end and round
// to it again. 0: the bit-stream is holes (zeros) and the pattern begins with a marker's 0xFF;
// 1: holes, the pattern begins with zeros; 2: pseudo-random bit-stream.
void BM_FindThroughTheWholeFile(benchmark::State& state)
{
    StreamShape shape = sizeShape(1024);
    shape.noise = state.range(0) == 2;
    const char* const patterns[] = {"ff 90 ff 90", "00 00 00 ab", "12 34 56 78"};
    Window window;
    window.open(cachedStream(shape));
    window.enter(&Ctarvik3View::OnFindBytes, QString::fromLatin1(patterns[state.range(0)]));
    for (auto _ : state) {
        state.PauseTiming();
        window.hex()->setCursor(0);
        state.ResumeTiming();
        window.view()->OnFindNext();
    }
    if (!window.frame.statusBar()->currentMessage().startsWith(QStringLiteral("Nie znaleziono")))
        throw std::logic_error("the pattern was found or the search stopped");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * streamSize(shape)));
}
BENCHMARK(BM_FindThroughTheWholeFile)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// "Następny błąd" to the one fault of the 1 GiB stream, from the start.
void BM_NextFault(benchmark::State& state)
{
    StreamShape shape = sizeShape(1024);
    shape.missingTiles = 1;
    Window window;
    window.open(cachedStream(shape), jpcAnalyzer::statusErrors);
    for (auto _ : state) {
        state.PauseTiming();
        window.hex()->setCursor(0);
        state.ResumeTiming();
        window.view()->OnNextFault();
        window.frame.repaint();
    }
}
BENCHMARK(BM_NextFault)->Unit(benchmark::kMicrosecond);

// "Pokaż odczytaną część" for the 1 GiB stream cut inside its last tile-part: 9,999 tile-parts read
// before the fatal fault.
void BM_ShowReadPart(benchmark::State& state)
{
    const StreamShape shape = sizeShape(1024);
    const std::string path = scratchPath("cut-1GiB.j2k").string();
    if (!std::filesystem::exists(path)) {
        writeStream(shape, path);
        std::filesystem::resize_file(path, streamSize(shape) - 10);
    }
    warmPageCache(path);
    Window window;
    for (auto _ : state) {
        state.PauseTiming();
        window.document.OnNewDocument();
        window.open(path, jpcAnalyzer::statusFatal);
        window.frame.repaint();
        state.ResumeTiming();
        window.view()->OnShowReadPart();
        window.frame.repaint();
    }
}
BENCHMARK(BM_ShowReadPart)->Unit(benchmark::kMillisecond);

// Ctrl+C in the hex pane: the marked bytes (KiB) as hex text on the clipboard.
void BM_CopyMarkedBytes(benchmark::State& state)
{
    Window window;
    window.open(cachedStream(sizeShape(1024)));
    const uint64_t bytes = static_cast<uint64_t>(state.range(0)) << 10;
    window.hex()->markRange({1 << 20, (1 << 20) + bytes});
    window.hex()->setFocus();
    window.frame.activateWindow();
    for (auto _ : state)
        window.view()->OnEditCopy();
    if (static_cast<uint64_t>(QApplication::clipboard()->text().size()) != 3 * bytes - 1)
        throw std::logic_error("nothing copied");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_CopyMarkedBytes)->Arg(64)->Arg(16 << 10)->Unit(benchmark::kMillisecond);

// One tile of 1024 × 1024 samples in precincts of 2 × 2, four layers: 1,048,576 empty packets of one
// byte each, in one tile-part.
std::string manyPacketsStream()
{
    const std::string path = scratchPath("many-packets.j2k").string();
    if (!std::filesystem::exists(path)) {
        constexpr uint32_t packets = 4 * 512 * 512;
        const std::vector<uint8_t> header = {
            0xFF, 0x4F, 0xFF, 0x51, 0, 41, 0, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 4, 0,
            0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 7, 1, 1,
            0xFF, 0x52, 0, 13, 0x01, 0, 0, 4, 0, 0, 4, 4, 0, 1, 0x11,  // precincts given; LRCP, 4 layers, NL 0
            0xFF, 0x5C, 0, 4, 0x40, 0x48,
            0xFF, 0x90, 0, 10, 0, 0, 0, 0x10, 0, 0x0E, 0, 1,  // Psot 12 + 2 + 2^20
            0xFF, 0x93};
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
        out.write(std::string(packets, '\0').data(), packets);
        out.write("\xFF\xD9", 2);
    }
    warmPageCache(path);
    return path;
}

// Opening the data block's row of the tile of 1,048,576 packets: the tile's packets read, the rows
// inserted and laid out, the repaint. Every run opens the file again, untimed, to read them afresh.
void BM_OpenDataRowOfManyPackets(benchmark::State& state)
{
    const std::string path = manyPacketsStream();
    Window window;
    for (auto _ : state) {
        state.PauseTiming();
        window.document.OnNewDocument();
        window.open(path);
        const auto* model = static_cast<const StructureModel*>(window.tree()->model());
        const QModelIndex data = model->indexOf({ItemKind::Element, 6});
        window.tree()->scrollTo(data);
        window.frame.repaint();
        state.ResumeTiming();
        window.tree()->expand(data);
        window.frame.repaint();
        if (model->rowCount(data) != 1 << 20)
            throw std::logic_error("the packets were not listed");
    }
}
BENCHMARK(BM_OpenDataRowOfManyPackets)->Unit(benchmark::kMillisecond);

// A click on a byte of that tile's data, its row already filled: the packet found, selected in the
// tree, its code-blocks read (the headers of its precinct's packets before it), its text, the
// repaint. Two bytes in two packets, in turn.
void BM_ClickByteToPacket(benchmark::State& state)
{
    Window window;
    window.open(manyPacketsStream());
    const uint64_t data = window.document.getAnalyzer()->getMarkerOffsets()[6];
    const uint64_t bytes[] = {data + (3 << 18), data + (1 << 19) + 77};
    window.hex()->scrollToLine(static_cast<qint64>(bytes[0] / 8));
    window.clickByte(bytes[0]);
    int next = 0;
    for (auto _ : state) {
        window.hex()->scrollToLine(static_cast<qint64>(bytes[next ^= 1] / 8));
        window.clickByte(bytes[next]);
        window.frame.repaint();
    }
}
BENCHMARK(BM_ClickByteToPacket)->Unit(benchmark::kMicrosecond);

// The packet checks of the window on their thread, from the open to their outcome: the 1 GiB stream
// of 10,000 tile-parts, and the tile of 1,048,576 packets.
void BM_PacketChecksInTheBackground(benchmark::State& state)
{
    const std::string path = state.range(0) == 0 ? cachedStream(sizeShape(1024)) : manyPacketsStream();
    Window window;
    const auto* checks = window.frame.findChild<PacketChecks*>("packetChecks");
    for (auto _ : state) {
        window.open(path);
        while (checks->state() == PacketChecks::State::running)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.PauseTiming();
        state.counters["findings"] = static_cast<double>(checks->findings().size());
        window.document.OnNewDocument();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PacketChecksInTheBackground)->DenseRange(0, 1)->UseRealTime()->Unit(benchmark::kMillisecond);

// The offscreen platform says on every shown window that it cannot pass size hints on.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")))
        qt_message_output(type, context, message);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(quietHandler);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
