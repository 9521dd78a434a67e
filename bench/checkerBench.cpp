// tarvik3-check as a user runs it: many small files in one call, and very large files, whose cost
// must follow their markers and whose memory must not grow with their size.

#include "bench/childProcess.h"
#include "bench/scratchStreams.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

void BM_CheckJsonSmallFiles(benchmark::State& state)
{
    const std::string list = smallStreamList(smallFileCount);
    for (auto _ : state) {
        const ChildRun run = runQuietly({TARVIK3_CHECK_PATH, "--json", "--files-from", list});
        if (run.exitCode != 0)
            throw std::logic_error("tarvik3-check reported faults in the small files");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * smallFileCount);
}
BENCHMARK(BM_CheckJsonSmallFiles)->UseRealTime()->Unit(benchmark::kMillisecond);

// 1,000 copies of the tiled sample in one call, as a batch of small files is checked.
void BM_CheckSampleCopies(benchmark::State& state)
{
    static const std::string list = [] {
        const std::string listPath = scratchPath("sample-copies.txt").string();
        std::ofstream out(listPath);
        for (int i = 0; i < smallFileCount; ++i) {
            const auto path = scratchPath("color-tiled-" + std::to_string(i) + ".j2k");
            std::filesystem::copy_file(std::string(TARVIK3_SAMPLES_DIR) + "/color-tiled.j2k", path);
            out << path.string() << '\n';
        }
        return listPath;
    }();
    for (auto _ : state) {
        const ChildRun run = runQuietly({TARVIK3_CHECK_PATH, "--files-from", list});
        if (run.exitCode != 0)
            throw std::logic_error("tarvik3-check reported faults in the sample");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * smallFileCount);
}
BENCHMARK(BM_CheckSampleCopies)->UseRealTime()->Unit(benchmark::kMillisecond);

// The whole tarvik3-check process on one large stream in the page cache.
void BM_CheckLargeFile(benchmark::State& state, const StreamShape& shape)
{
    const std::string path = cachedStream(shape);
    for (auto _ : state) {
        if (runQuietly({TARVIK3_CHECK_PATH, path}).exitCode != 0)
            throw std::logic_error("tarvik3-check reported faults in " + path);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * streamSize(shape)));
    state.counters["tileParts"] = static_cast<double>(tilePartCount(shape));
}
BENCHMARK_CAPTURE(BM_CheckLargeFile, spread100MiB, spreadTileParts(100))->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckLargeFile, spread1GiB, spreadTileParts(1024))->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CheckLargeFile, densePlt216MB, denseTilePartsWithPlt())
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The 1 GiB stream of 10,000 tile-parts; argument 1 adds --json (40,006 elements rendered).
void BM_CheckLargeFileMemory(benchmark::State& state)
{
    const StreamShape shape = spreadTileParts(1024);
    const std::string path = cachedStream(shape);
    std::vector<std::string> argv{TARVIK3_CHECK_PATH, path};
    if (state.range(0))
        argv.insert(argv.begin() + 1, "--json");
    uint64_t peakAnon = 0;
    uint64_t peak = 0;
    for (auto _ : state) {
        const ChildRun run = runQuietly(argv, true);
        if (run.exitCode != 0)
            throw std::logic_error("tarvik3-check reported faults in " + path);
        peakAnon = std::max(peakAnon, run.peakRssAnon);
        peak = std::max(peak, run.peakRss);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * streamSize(shape)));
    state.counters["peakRssAnonMiB"] = static_cast<double>(peakAnon) / (1 << 20);
    state.counters["peakRssMiB"] = static_cast<double>(peak) / (1 << 20);
}
BENCHMARK(BM_CheckLargeFileMemory)->Arg(0)->Arg(1)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
