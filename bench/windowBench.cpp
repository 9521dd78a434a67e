// The real main window, offscreen, over large codestreams in the page cache: opening a file until
// the view is filled and painted, scrolling the hex pane to its end, and selecting the last element.
// The window's own cost must stay small beside the engine's analysis, whatever the file's size.

#include "app/hexPane.h"
#include "app/mainFrame.h"
#include "app/structureModel.h"
#include "app/tarvik3Doc.h"
#include "bench/scratchStreams.h"
#include "engine/jpcAnalyzer.h"

#include <QApplication>
#include <QScrollBar>
#include <QWindow>
#include <QTreeView>

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
    void open(const std::string& path)
    {
        document.OnOpenDocument(QString::fromStdString(path));
        if (!document.getAnalyzer() || document.getAnalyzer()->getStatus() != jpcAnalyzer::statusClean)
            throw std::logic_error("generated stream not shown clean: " + path);
    }
    HexPane* hex() const { return frame.findChild<HexPane*>("hex"); }
    QTreeView* tree() const { return frame.findChild<QTreeView*>("tree"); }
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
        window.tree()->setCurrentIndex(model->indexOfElement(last));
        window.frame.repaint();
        state.PauseTiming();
        window.tree()->setCurrentIndex(model->fileIndex());
        window.frame.repaint();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectLastElement)->Unit(benchmark::kMicrosecond);

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
