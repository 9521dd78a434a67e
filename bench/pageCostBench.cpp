// What one analysis of a large stream cannot go below on this machine: one read of every tile-part
// header, through a fresh mapping of the file (as the engine read before it read by position) or
// through pread.

#include "bench/processMemory.h"
#include "bench/scratchStreams.h"
#include "engine/jpcAnalyzer.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct HeaderSample {
    std::string path;
    uint64_t size = 0;
    std::vector<uint32_t> sotOffsets;
};

// The SOT offsets of the 10,000-tile-part stream of BM_AnalyseBySize with this much bit-stream (MiB).
HeaderSample headerSample(int64_t mebibytes)
{
    const StreamShape shape = spreadTileParts(static_cast<uint64_t>(mebibytes));
    HeaderSample sample{cachedStream(shape), streamSize(shape), {}};
    const jpcAnalyzer analyzer(sample.path);
    const auto& offsets = analyzer.getMarkerOffsets();
    for (int i = 0; i < static_cast<int>(offsets.size()); ++i)
        if (analyzer.isMarker(i) && analyzer.getElementCode(i) == 0x90)
            sample.sotOffsets.push_back(offsets[i]);
    return sample;
}

int openOrThrow(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path);
    return fd;
}

void BM_TouchHeadersThroughMapping(benchmark::State& state)
{
    const HeaderSample sample = headerSample(state.range(0));
    const int fd = openOrThrow(sample.path);
    const uint64_t faultsBefore = minorFaults();
    for (auto _ : state) {
        void* view = ::mmap(nullptr, sample.size, PROT_READ, MAP_SHARED, fd, 0);
        ::madvise(view, sample.size, MADV_RANDOM);
        const auto* bytes = static_cast<const volatile uint8_t*>(view);
        unsigned sum = 0;
        for (uint32_t offset : sample.sotOffsets)
            sum += bytes[offset + 6];
        benchmark::DoNotOptimize(sum);
        ::munmap(view, sample.size);
    }
    ::close(fd);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * sample.sotOffsets.size()));
    state.counters["faultsPerRun"] =
        static_cast<double>(minorFaults() - faultsBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TouchHeadersThroughMapping)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);

// The second argument is the size of each read: what a read of a whole header block costs beside
// one of the 16 bytes the walk needs first.
void BM_ReadHeadersWithPread(benchmark::State& state)
{
    const HeaderSample sample = headerSample(state.range(0));
    const int fd = openOrThrow(sample.path);
    std::vector<uint8_t> header(static_cast<size_t>(state.range(1)));
    for (auto _ : state) {
        unsigned sum = 0;
        for (uint32_t offset : sample.sotOffsets)
            if (::pread(fd, header.data(), header.size(), offset) > 6)
                sum += header[6];
        benchmark::DoNotOptimize(sum);
    }
    ::close(fd);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * sample.sotOffsets.size()));
}
BENCHMARK(BM_ReadHeadersWithPread)
    ->Args({100, 16})
    ->Args({1024, 16})
    ->Args({1024, 1024})
    ->Args({1024, 2048})
    ->Args({1024, 4096})
    ->Unit(benchmark::kMillisecond);

}  // namespace
