// tarvik3-check in pipelines: 1,000 small files on one and on two threads; the time and peak memory
// of each output form on large streams; and the JSON line rendered in the process, by hand as the
// checker writes it and, for comparison, as one nlohmann-json object per element.

#include "bench/childProcess.h"
#include "bench/scratchStreams.h"
#include "cli/fileReport.h"
#include "engine/jpcAnalyzer.h"
#include "present/structureTree.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace {

void BM_CheckSmallFilesOnJobs(benchmark::State& state)
{
    const std::string list = smallStreamList(smallFileCount);
    const std::string jobs = std::to_string(state.range(0));
    for (auto _ : state)
        if (runQuietly({TARVIK3_CHECK_PATH, "--json", "--jobs", jobs, "--files-from", list}).exitCode != 0)
            throw std::logic_error("tarvik3-check reported faults in the small files");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * smallFileCount);
}
BENCHMARK(BM_CheckSmallFilesOnJobs)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// The output forms, numbered by the benchmark argument.
const std::vector<std::vector<std::string>> outputForms = {
    {}, {"--json"}, {"--json", "--elements"}, {"--tree"}, {"--json", "--texts"}};
const char* const formNames[] = {"plain", "json", "json elements", "tree", "json texts"};

// 18,000 tile-parts with PLT and TLM, 227 MB: 72,007 elements.
const StreamShape seventyTwoThousandElements{
    .tiles = 1800, .tilePartsPerTile = 10, .dataBytes = 12000, .packets = 8, .tlm = true};

// Ten million markers 0xFF30 (markers without a segment) in the main header: 20 MB, ten million
// elements.
std::string tenMillionMarkers()
{
    static const std::string path = [] {
        const std::vector<uint8_t> stream = buildStream({});
        const uint8_t sotMarker[] = {0xFF, 0x90};
        const auto sot = std::search(stream.begin(), stream.end(), std::begin(sotMarker), std::end(sotMarker));
        std::vector<uint8_t> bytes(stream.begin(), sot);
        for (int i = 0; i < 10'000'000; ++i)
            bytes.insert(bytes.end(), {0xFF, 0x30});
        bytes.insert(bytes.end(), sot, stream.end());
        const std::string written = scratchPath("ten-million-markers.j2k").string();
        std::ofstream(written, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return written;
    }();
    warmPageCache(path);
    return path;
}

// The whole process, one output form; with `pollMemory`, its peak RssAnon (the polling takes a core).
void checkInForm(benchmark::State& state, const std::string& path, bool pollMemory)
{
    std::vector<std::string> argv{TARVIK3_CHECK_PATH};
    const auto& form = outputForms.at(static_cast<size_t>(state.range(0)));
    argv.insert(argv.end(), form.begin(), form.end());
    argv.push_back(path);
    uint64_t peak = 0;
    for (auto _ : state) {
        const ChildRun run = runQuietly(argv, pollMemory);
        if (run.exitCode != 0)
            throw std::logic_error("tarvik3-check reported faults in " + path);
        peak = std::max(peak, run.peakRssAnon);
    }
    state.SetLabel(formNames[state.range(0)]);
    if (pollMemory)
        state.counters["peakRssAnonMiB"] = static_cast<double>(peak) / (1 << 20);
}

void BM_CheckFormOf72kElements(benchmark::State& state)
{
    checkInForm(state, cachedStream(seventyTwoThousandElements), false);
}
BENCHMARK(BM_CheckFormOf72kElements)->DenseRange(0, 4)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_CheckFormOf10MElements(benchmark::State& state) { checkInForm(state, tenMillionMarkers(), true); }
BENCHMARK(BM_CheckFormOf10MElements)->DenseRange(0, 4)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// Bytes of JSON per second: the line with the element table, handed on in pieces and dropped.
void BM_JsonLineByHand(benchmark::State& state)
{
    FileReport report = FileReport::ofPath(cachedStream(seventyTwoThousandElements));
    uint64_t bytes = 0;
    for (auto _ : state) {
        ReportStream out([&](std::string& piece) {
            bytes += piece.size();
            piece.clear();
        });
        report.write(out, {.json = true, .elements = true});
        bytes += out.take().size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_JsonLineByHand)->Unit(benchmark::kMillisecond);

// The element table alone, as an nlohmann::ordered_json object per element dumped as it is made.
void BM_JsonElementsAsLibraryObjects(benchmark::State& state)
{
    const jpcAnalyzer a(cachedStream(seventyTwoThousandElements));
    const auto& offsets = a.getMarkerOffsets();
    uint64_t bytes = 0;
    for (auto _ : state) {
        std::string line = "[";
        for (int i = 0; i < static_cast<int>(offsets.size()); ++i) {
            const auto code = a.getElementCode(i);
            const nlohmann::ordered_json element = {{"index", i},
                                                    {"offset", offsets[i]},
                                                    {"kind", a.isMarker(i) ? "marker" : "data"},
                                                    {"code", code ? nlohmann::ordered_json(*code) : nullptr},
                                                    {"name", elementLabel(a, i)}};
            line += element.dump();
            line += ',';
            if (line.size() >= ReportStream::pieceBytes) {
                bytes += line.size();
                line.clear();
            }
        }
        bytes += line.size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_JsonElementsAsLibraryObjects)->Unit(benchmark::kMillisecond);

}  // namespace
