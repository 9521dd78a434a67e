// The preview's decoder as the window uses it. A 20000 × 20000 RGB codestream made by OpenJPEG's own
// encoder (tiles of 1024, six resolutions): the time from a request to the picture in the caller's
// hands at the reduction that fits a pane, and the helper's peak memory. A hostile set (the fuzz
// seeds, the regression corpus, the decoder's test streams, the samples, and the real files listed
// in TARVIK3_REAL_FILES when set) through the window's client: every run must end within its
// limits, and the window must stay responsive.

#include "app/preview/previewDecoder.h"
#include "bench/childProcess.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>


namespace fs = std::filesystem;

namespace {

struct ChildEnd {
    double seconds = 0;
    double peakMiB = 0;
    int exitCode = -1;  // -1 when ended by a signal
    int signal = 0;
    bool overTime = false;  // killed here after the window's time limit
};

// Runs a program with its output discarded; kills it after `limit` seconds, as the window would.
ChildEnd runChild(const std::vector<std::string>& argv, double limit)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = spawnQuietly(argv);
    ChildEnd end;
    int status = 0;
    rusage usage{};
    for (;;) {
        if (::wait4(pid, &status, WNOHANG, &usage) == pid)
            break;
        end.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (end.seconds > limit && !end.overTime) {
            end.overTime = true;
            ::kill(pid, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    end.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    end.peakMiB = usage.ru_maxrss / 1024.0;
    end.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return end;
}

// Made on first use and kept between runs (about 60 MB; making it takes minutes and 5 GB of memory).
std::string largeStream()
{
    const fs::path dir = TARVIK3_BENCH_CACHE_DIR;
    const fs::path stream = dir / "rgb-20000-tiles-1024.j2k";
    if (fs::exists(stream))
        return stream.string();
    fs::create_directories(dir);
    const fs::path picture = dir / "rgb-20000.ppm";
    {
        // Gradients and waves, each row shifted: texture enough that code-blocks are not empty.
        constexpr int side = 20000;
        std::vector<uint8_t> base(size_t{2} * side * 3);
        for (size_t x = 0; x < 2 * side; ++x) {
            base[3 * x] = static_cast<uint8_t>(x * 3);
            base[3 * x + 1] = static_cast<uint8_t>(128 + 100 * std::sin(x / 50.0));
            base[3 * x + 2] = static_cast<uint8_t>((x * x) >> 7);
        }
        std::ofstream out(picture, std::ios::binary);
        out << "P6\n" << side << ' ' << side << "\n255\n";
        for (size_t y = 0; y < side; ++y)
            out.write(reinterpret_cast<const char*>(base.data()) + (y * 37 % side) * 3, side * 3);
    }
    // The encoder takes the format from the name's ending.
    const fs::path partial = dir / "rgb-20000-tiles-1024.partial.j2k";
    const ChildEnd made = runChild({TARVIK3_OPJ_COMPRESS, "-i", picture.string(), "-o", partial.string(), "-t",
                                    "1024,1024", "-n", "6", "-r", "20", "-threads", "2"},
                                   3600);
    fs::remove(picture);
    if (made.exitCode != 0)
        throw std::runtime_error("opj_compress could not make the large stream");
    fs::rename(partial, stream);
    return stream.string();
}

// From a request to the picture in hand, as the pane will ask: the pane's width given, 4:3.
void BM_FirstPreview(benchmark::State& state)
{
    const std::string path = largeStream();
    const auto width = static_cast<quint32>(state.range(0)), height = width * 3 / 4;
    PreviewDecoder decoder;
    decoder.setHelperPath(TARVIK3_DECODE_PATH);
    PreviewRequest request;
    request.path = QFile::decodeName(path.c_str());
    request.fitWidth = width;
    request.fitHeight = height;
    PreviewResult result;
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(&decoder, &PreviewDecoder::finished, &loop, [&](const PreviewResult& r) {
            result = r;
            loop.quit();
        });
        decoder.request(request);
        loop.exec();
        if (!result.decoded) {
            state.SkipWithError(result.message.toStdString().c_str());
            return;
        }
    }
    state.counters["reduction"] = result.reduction;
    state.counters["pictureWidth"] = result.image.width();
    state.counters["pictureHeight"] = result.image.height();
    const ChildEnd alone =
        runChild({TARVIK3_DECODE_PATH, path, "--size", std::to_string(width) + "x" + std::to_string(height)}, 30);
    state.counters["helperPeakMiB"] = alone.peakMiB;
}
BENCHMARK(BM_FirstPreview)->Arg(1024)->Arg(256)->UseRealTime()->Unit(benchmark::kMillisecond);

std::vector<std::string> hostileFiles()
{
    std::vector<std::string> files;
    const fs::path source = TARVIK3_SOURCE_DIR;
    for (const char* dir : {"fuzz/seeds", "tests/corpus", "tests/decode/streams", "samples"})
        for (const auto& entry : fs::directory_iterator(source / dir))
            files.push_back(entry.path().string());
    if (const char* list = std::getenv("TARVIK3_REAL_FILES")) {
        std::ifstream in(list);
        for (std::string line; std::getline(in, line);)
            if (!line.empty())
                files.push_back((fs::path(list).parent_path() / line).string());
    }
    return files;
}

// Each file through the window's client with its limits (1024 MiB, 20 s of CPU, 30 s in all), a
// timer of 10 ms ticking beside it as the window's other work would: the longest gap between its
// ticks says how long the window could not answer.
void BM_HostileSet(benchmark::State& state)
{
    using Ending = PreviewResult::Ending;
    const std::vector<std::string> files = hostileFiles();
    std::map<Ending, int> endings;
    double slowest = 0, longestStall = 0;
    PreviewDecoder decoder;
    decoder.setHelperPath(TARVIK3_DECODE_PATH);
    QTimer ticker;
    auto lastTick = std::chrono::steady_clock::now();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = std::chrono::steady_clock::now();
        longestStall = std::max(longestStall, std::chrono::duration<double>(now - lastTick).count());
        lastTick = now;
    });
    for (auto _ : state) {
        ticker.start(10);
        for (const std::string& file : files) {
            QEventLoop loop;
            QObject::connect(&decoder, &PreviewDecoder::finished, &loop, [&](const PreviewResult& result) {
                ++endings[result.ending];
                loop.quit();
            });
            PreviewRequest request;
            request.path = QFile::decodeName(file.c_str());
            request.fitWidth = 1024;
            request.fitHeight = 768;
            const auto start = std::chrono::steady_clock::now();
            lastTick = start;
            decoder.request(request);
            loop.exec();
            slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        ticker.stop();
    }
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["pictures"] = endings[Ending::picture];
    state.counters["refused"] = endings[Ending::refused];
    state.counters["crashed"] = endings[Ending::crashed];
    state.counters["overCpuLimit"] = endings[Ending::cpuLimit];
    state.counters["overTimeLimit"] = endings[Ending::timeLimit];
    state.counters["badReply"] = endings[Ending::badReply];
    state.counters["slowestSeconds"] = slowest;
    state.counters["largestPeakMiB"] = children.ru_maxrss / 1024.0;
    state.counters["longestStallMs"] = longestStall * 1000;
}
BENCHMARK(BM_HostileSet)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
