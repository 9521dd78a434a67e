// The texts the viewer shows: the decoded fields of every element, and the hex view of the file.

#include "bench/scratchStreams.h"
#include "engine/jpcAnalyzer.h"

#include <benchmark/benchmark.h>

namespace {

// Every element of a 10,000-tile-part stream with PLT and TLM, the file summary included.
void BM_ElementTexts(benchmark::State& state)
{
    const StreamShape shape{.tiles = 1000, .tilePartsPerTile = 10, .dataBytes = 5000, .packets = 8, .tlm = true};
    jpcAnalyzer analyzer(cachedStream(shape));
    const int elements = static_cast<int>(analyzer.getMarkerOffsets().size());
    uint64_t characters = 0;
    for (auto _ : state) {
        for (int i = -1; i < elements; ++i) {
            const std::string text = analyzer.buildElementText(i);
            characters += text.size();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * (elements + 1));
    state.counters["elements"] = elements + 1;
    state.counters["charsPerRun"] = static_cast<double>(characters) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ElementTexts)->Unit(benchmark::kMillisecond);

// Input bytes per second; the argument is the stream size in MiB, its bit-stream pseudo-random.
void BM_HexText(benchmark::State& state)
{
    const uint64_t size = static_cast<uint64_t>(state.range(0)) << 20;
    const StreamShape shape{.tiles = 16, .dataBytes = size / 16, .noise = true};
    const std::vector<uint8_t> bytes = buildStream(shape);
    jpcAnalyzer analyzer(bytes, "noise.j2k");
    for (auto _ : state) {
        const std::string text = analyzer.buildHexText();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_HexText)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
