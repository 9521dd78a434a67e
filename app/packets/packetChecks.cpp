#include "app/packets/packetChecks.h"

#include "engine/jpcAnalyzer.h"
#include "engine/packetMap.h"

#include <atomic>
#include <thread>

#include <sys/resource.h>

namespace {

// Thrown from the packet visitor to leave a stopped run at once, even inside a large tile.
struct Stopped {};

// What the window's engine saw, to know the file again.
struct Analysed {
    std::string path;
    uint32_t size;
    std::vector<uint32_t> elements;
};

}  // namespace

struct PacketChecks::Run {
    std::atomic<bool> stopped{false};
    std::atomic<bool> ended{false};
    std::thread thread;
};

PacketChecks::PacketChecks(QObject* parent) : QObject(parent) {}

PacketChecks::~PacketChecks()
{
    stop();
    for (const auto& run : runs_)
        run->thread.join();
}

void PacketChecks::stop()
{
    if (!runs_.empty())
        runs_.back()->stopped = true;
    ++generation_;
    state_ = State::none;
    findings_.clear();
}

// Threads of stopped runs are joined once they have ended, so that none waits.
void PacketChecks::reap()
{
    for (auto run = runs_.begin(); run != runs_.end();) {
        if ((*run)->ended) {
            (*run)->thread.join();
            run = runs_.erase(run);
        } else {
            ++run;
        }
    }
}

void PacketChecks::start(const jpcAnalyzer& analyzer)
{
    stop();
    reap();
    if (analyzer.getStatus() == jpcAnalyzer::statusFatal || !analyzer.eocReached())
        return;
    state_ = State::running;
    Run* run = runs_.emplace_back(std::make_unique<Run>()).get();
    Analysed analysed{analyzer.getFilePath(), analyzer.getFileSize(), analyzer.getMarkerOffsets()};
    run->thread = std::thread([this, run, generation = generation_, analysed = std::move(analysed)] {
        // Beneath the window's own work: on Linux the nice value is the calling thread's alone.
        setpriority(PRIO_PROCESS, 0, 10);
        State outcome = State::failed;
        std::vector<PacketFinding> findings;
        try {
            const jpcAnalyzer engine(analysed.path);
            if (engine.getFileSize() == analysed.size && engine.getMarkerOffsets() == analysed.elements) {
                PacketMap map(engine);
                WorkBudget budget(PacketMap::budgetFor(engine.getCodestreamEnd() - engine.getCodestreamStart()));
                const auto visit = [run](const Packet&) {
                    if (run->stopped)
                        throw Stopped{};
                };
                for (uint16_t tile : map.tiles()) {
                    if (run->stopped)
                        throw Stopped{};
                    map.readTile(tile, budget, visit, findings);
                }
                outcome = engine.fileChangedOnDisk() ? State::failed : State::done;
            }
        } catch (const Stopped&) {
        } catch (...) {
            // The file is gone or cannot be analysed again: the checks are not done.
        }
        // Handed to the window's thread; dropped there when another run started meanwhile, and by Qt
        // when the checks are gone.
        QMetaObject::invokeMethod(
            this,
            [this, generation, outcome, findings = std::move(findings)]() mutable {
                if (generation != generation_)
                    return;
                state_ = outcome;
                findings_ = outcome == State::done ? std::move(findings) : std::vector<PacketFinding>{};
                emit finished();
            },
            Qt::QueuedConnection);
        run->ended = true;
    });
}
