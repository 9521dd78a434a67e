// Full analysis (construction of the engine) of codestream and JP2 files in the page cache: the cost
// must follow the number of marker segments and boxes, and not the size of the file.

#include "bench/processMemory.h"
#include "bench/scratchStreams.h"
#include "engine/jpcAnalyzer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace {

void analyseRepeatedly(benchmark::State& state, const StreamShape& shape)
{
    const std::string path = cachedStream(shape);
    const uint64_t faultsBefore = minorFaults();
    std::chrono::steady_clock::duration release{};
    std::optional<jpcAnalyzer> analyzer;
    for (auto _ : state) {
        analyzer.emplace(path);
        // Only the construction is the analysis; releasing the engine and its file is timed apart.
        state.PauseTiming();
        if (analyzer->getStatus() != jpcAnalyzer::statusClean)
            throw std::logic_error("generated stream not clean: " + path);
        const auto start = std::chrono::steady_clock::now();
        analyzer.reset();
        release += std::chrono::steady_clock::now() - start;
        state.ResumeTiming();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["releaseMsPerRun"] = std::chrono::duration<double, std::milli>(release).count() / iterations;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * streamSize(shape)));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * tilePartCount(shape)));
    state.counters["tileParts"] = static_cast<double>(tilePartCount(shape));
    state.counters["faultsPerRun"] = static_cast<double>(minorFaults() - faultsBefore) / iterations;
}

// 10,000 tile-parts, the bit-stream of the whole stream given in MiB by the argument.
void BM_AnalyseBySize(benchmark::State& state)
{
    analyseRepeatedly(state, spreadTileParts(static_cast<uint64_t>(state.range(0))));
}
BENCHMARK(BM_AnalyseBySize)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);

// One tile-part per tile with 64 bytes of bit-stream, PLT and TLM: the walk and the checks alone.
StreamShape countShape(int64_t tileParts)
{
    return {.tiles = static_cast<uint32_t>(tileParts), .dataBytes = 64, .packets = 4, .tlm = true};
}

// Also reports what the engine keeps per tile-part, measured around one construction.
void BM_AnalyseByCount(benchmark::State& state)
{
    const StreamShape shape = countShape(state.range(0));
    const std::string path = cachedStream(shape);
    {
        const uint64_t heapBefore = heapInUseBytes();
        const uint64_t anonBefore = rssAnonBytes();
        jpcAnalyzer analyzer(path);
        const auto tileParts = static_cast<double>(tilePartCount(shape));
        state.counters["heapPerTilePart"] = static_cast<double>(heapInUseBytes() - heapBefore) / tileParts;
        state.counters["rssAnonPerTilePart"] = static_cast<double>(rssAnonBytes() - anonBefore) / tileParts;
        state.counters["elements"] = static_cast<double>(analyzer.getMarkerOffsets().size());
    }
    analyseRepeatedly(state, shape);
}
BENCHMARK(BM_AnalyseByCount)->Arg(1000)->Arg(10000)->Arg(65535)->Unit(benchmark::kMillisecond);

// The streams of BM_AnalyseBySize as the codestream box of a JP2 file.
void BM_AnalyseJp2BySize(benchmark::State& state)
{
    StreamShape shape = spreadTileParts(static_cast<uint64_t>(state.range(0)));
    shape.jp2 = true;
    analyseRepeatedly(state, shape);
}
BENCHMARK(BM_AnalyseJp2BySize)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);

// A small JP2 file followed by the argument's count of empty boxes: the walk of the boxes alone.
void BM_WalkBoxes(benchmark::State& state)
{
    const auto boxes = static_cast<size_t>(state.range(0));
    const std::string path = scratchPath("boxes-" + std::to_string(boxes) + ".jp2").string();
    {
        const auto head = buildStream({.jp2 = true});
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
        for (size_t i = 0; i < boxes; ++i)
            out.write("\0\0\0\x08" "free", 8);
    }
    warmPageCache(path);
    for (auto _ : state) {
        const jpcAnalyzer analyzer(path);
        if (analyzer.getBoxes().size() != boxes + 6 || analyzer.getStatus() != jpcAnalyzer::statusClean)
            throw std::logic_error("generated box file not as written: " + path);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * boxes));
}
BENCHMARK(BM_WalkBoxes)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
