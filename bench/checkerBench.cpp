// tarvik3-check as a user runs it: many small files in one call, and one very large file, whose
// private memory must stay small since the file itself is only mapped.

#include "bench/childProcess.h"
#include "bench/scratchStreams.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace {

constexpr int smallFileCount = 1000;

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

// The 1 GiB stream of 10,000 tile-parts; argument 1 adds --json (40,006 elements rendered).
void BM_CheckLargeFileMemory(benchmark::State& state)
{
    const StreamShape shape{.tiles = 1000, .tilePartsPerTile = 10, .dataBytes = (uint64_t{1} << 30) / 10000,
                            .packets = 8, .tlm = true};
    const std::string path = cachedStream(shape);
    std::vector<std::string> argv{TARVIK3_CHECK_PATH, path};
    if (state.range(0))
        argv.insert(argv.begin() + 1, "--json");
    uint64_t peak = 0;
    for (auto _ : state) {
        const ChildRun run = runQuietly(argv, true);
        if (run.exitCode != 0)
            throw std::logic_error("tarvik3-check reported faults in " + path);
        peak = std::max(peak, run.peakRssAnon);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * streamSize(shape)));
    state.counters["peakRssAnonMiB"] = static_cast<double>(peak) / (1 << 20);
}
BENCHMARK(BM_CheckLargeFileMemory)->Arg(0)->Arg(1)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
