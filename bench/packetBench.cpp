// The packet pass on streams from Debian's opj_compress, made at run time: a stream of over 100 MB
// with over 100,000 packets (pseudo-random samples, which compress to about their own size), and a
// small one of many tiles, layers, resolutions and precincts. Packets per second, and bytes of
// memory per packet while the pass runs and in a tile's packet table.

#include "bench/processMemory.h"
#include "bench/scratchStreams.h"
#include "engine/jpcAnalyzer.h"
#include "engine/packetMap.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>

namespace {

struct EncodedShape {
    const char* name;
    uint32_t width, height;
    bool noise;           // pseudo-random samples, else a smooth pattern
    const char* options;  // for opj_compress, beside -SOP -EPH -PLT
};

// 6144 × 5120 × 3 samples in 120 tiles of 512 × 512, 5 levels, precincts of 64 × 64 halving at each
// lower level, one layer: about 107 MB and 138,240 packets.
const EncodedShape large{"large", 6144, 5120, true, "-t 512,512 -n 6 -c [64,64]"};
// 1024 × 1024 × 3 in 16 tiles, 5 levels, precincts, 4 layers: about 0.7 MB and 61,440 packets.
const EncodedShape layered{"layered", 1024, 1024, false, "-t 256,256 -n 5 -c [32,32] -r 40,20,10,5"};

// The image as a PPM, then the stream, written once per run into the scratch folder.
std::string encodedStream(const EncodedShape& shape)
{
    static std::map<std::string, std::string> made;
    auto& path = made[shape.name];
    if (path.empty()) {
        const std::string image = scratchPath(std::string(shape.name) + ".ppm").string();
        {
            std::ofstream out(image, std::ios::binary);
            out << "P6\n" << shape.width << ' ' << shape.height << "\n255\n";
            std::mt19937 random(7);
            std::string row(3 * size_t{shape.width}, '\0');
            for (uint32_t y = 0; y < shape.height; ++y) {
                for (uint32_t x = 0; x < shape.width; ++x)
                    for (int c = 0; c < 3; ++c)
                        row[3 * x + c] = static_cast<char>(
                            shape.noise ? random() : (x * (3 + c) + y * 2 + int(40 * std::sin(x / 7.0)) + (x * y % 13)));
                out.write(row.data(), static_cast<std::streamsize>(row.size()));
            }
        }
        const std::string stream = scratchPath(std::string(shape.name) + ".j2k").string();
        const std::string command = "opj_compress -i '" + image + "' -o '" + stream + "' " + shape.options +
                                    " -SOP -EPH -PLT -threads 2 >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("opj_compress failed (libopenjp2-tools installed?): " + command);
        std::remove(image.c_str());
        path = stream;
    }
    warmPageCache(path);
    return path;
}

uint64_t fileSize(const std::string& path) { return std::ifstream(path, std::ios::binary | std::ios::ate).tellg(); }

uint64_t packetCount(const std::string& path)
{
    const jpcAnalyzer analyzer(path);
    PacketMap map(analyzer);
    WorkBudget budget(PacketMap::budgetFor(analyzer.getFileSize()));
    std::vector<PacketFinding> findings;
    uint64_t packets = 0;
    for (uint16_t tile : map.tiles())
        map.readTile(tile, budget, [&](const Packet&) { ++packets; }, findings);
    if (!findings.empty())
        throw std::logic_error("packet faults in " + path);
    return packets;
}

// The whole analysis with the packet pass (or, for comparison, without it).
void BM_AnalyseWithPackets(benchmark::State& state, const EncodedShape* shape, bool packets)
{
    const std::string path = encodedStream(*shape);
    const uint64_t count = packetCount(path);
    for (auto _ : state) {
        const jpcAnalyzer analyzer(path, {.packets = packets});
        if (analyzer.getStatus() != jpcAnalyzer::statusClean)
            throw std::logic_error("the encoder's stream is not clean: " + path);
    }
    state.counters["packets"] = static_cast<double>(count);
    state.counters["megabytes"] = static_cast<double>(fileSize(path)) / 1e6;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileSize(path)));
}
BENCHMARK_CAPTURE(BM_AnalyseWithPackets, large, &large, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AnalyseWithPackets, largeWithoutThePass, &large, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_AnalyseWithPackets, layered, &layered, true)->Unit(benchmark::kMillisecond);

// Memory: the most the heap holds above the engine while the pass reads every tile (the state of
// one tile's code-blocks), and what a tile's packet table keeps, each per packet.
void BM_PacketMemory(benchmark::State& state, const EncodedShape* shape)
{
    const std::string path = encodedStream(*shape);
    const jpcAnalyzer analyzer(path);
    for (auto _ : state) {
        PacketMap map(analyzer);
        WorkBudget budget(PacketMap::budgetFor(analyzer.getFileSize()));
        std::vector<PacketFinding> findings;
        const uint64_t before = heapInUseBytes();
        uint64_t peak = before, packets = 0;
        for (uint16_t tile : map.tiles())
            map.readTile(tile, budget, [&](const Packet&) {
                if (++packets % 64 == 0)
                    peak = std::max(peak, heapInUseBytes());
            }, findings);
        const uint64_t beforeTable = heapInUseBytes();
        const TilePackets& table = map.tilePackets(map.tiles().front());
        state.counters["passPeakKiB"] = static_cast<double>(peak - before) / 1024;
        state.counters["passBytesPerPacket"] = static_cast<double>(peak - before) / static_cast<double>(packets);
        state.counters["tableBytesPerPacket"] =
            static_cast<double>(heapInUseBytes() - beforeTable) / static_cast<double>(table.packets.size());
        state.counters["packetsInTile"] = static_cast<double>(table.packets.size());
    }
}
BENCHMARK_CAPTURE(BM_PacketMemory, large, &large)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PacketMemory, layered, &layered)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
