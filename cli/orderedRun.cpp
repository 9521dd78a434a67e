#include "cli/orderedRun.h"

#include "cli/blockOutput.h"
#include "cli/progressLine.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A report being written may run ahead of the writing by this much before its thread waits.
constexpr size_t headQueueBytes = 1 << 20;
// Reports that wait for their turn may hold this much together before their threads wait.
constexpr size_t waitingQueueBytes = 8 << 20;

struct Slot {
    std::vector<std::string> pieces;
    size_t bytes = 0;
    bool done = false;
    int outcome = 0;
};

class OrderedRun {
public:
    explicit OrderedRun(const RunSetup& setup)
        : setup_(setup), window_(4 * static_cast<uint64_t>(setup.jobs) + 4), slots_(window_)
    {
    }

    RunResult run()
    {
        std::vector<std::thread> workers;
        for (int i = 0; i < setup_.jobs; ++i)
            workers.emplace_back([this] { work(); });
        writeInOrder();
        for (std::thread& worker : workers)
            worker.join();
        return result_;
    }

private:
    void work()
    {
        std::string path;
        uint64_t index = 0;
        while (takePath(path, index)) {
            ReportStream out([&](std::string&& piece) { handOn(index, std::move(piece)); });
            const int outcome = setup_.check(path, out);
            finish(index, out.take(), outcome);
        }
    }

    bool takePath(std::string& path, uint64_t& index)
    {
        const std::lock_guard reading(pathMutex_);
        {
            std::unique_lock lock(mutex_);
            workerCv_.wait(lock, [&] { return stopped_ || listEnded_ || handedOut_ < written_ + window_; });
            if (stopped_ || listEnded_)
                return false;
        }
        std::optional<std::string> next = setup_.nextPath();
        const std::lock_guard lock(mutex_);
        if (!next) {
            listEnded_ = true;
            writerCv_.notify_one();
            workerCv_.notify_all();
            return false;
        }
        path = std::move(*next);
        index = handedOut_++;
        if (setup_.progress)
            current_ = path;
        return true;
    }

    void handOn(uint64_t index, std::string&& piece)
    {
        std::unique_lock lock(mutex_);
        Slot& slot = slots_[index % window_];
        slot.bytes += piece.size();
        queuedBytes_ += piece.size();
        slot.pieces.push_back(std::move(piece));
        writerCv_.notify_one();
        workerCv_.wait(lock, [&] {
            return stopped_ || (index == written_ ? slot.bytes <= headQueueBytes : queuedBytes_ <= waitingQueueBytes);
        });
    }

    void finish(uint64_t index, std::string&& rest, int outcome)
    {
        const std::lock_guard lock(mutex_);
        Slot& slot = slots_[index % window_];
        slot.bytes += rest.size();
        queuedBytes_ += rest.size();
        if (!rest.empty())
            slot.pieces.push_back(std::move(rest));
        slot.done = true;
        slot.outcome = outcome;
        writerCv_.notify_one();
    }

    // The main thread: writes the pieces of the oldest unwritten file, and moves on when it is done.
    void writeInOrder()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            Slot& head = slots_[written_ % window_];
            const auto ready = [&] { return !head.pieces.empty() || head.done || (listEnded_ && written_ == handedOut_); };
            if (!ready()) {
                lock.unlock();
                flush();  // nothing else to do: let out what is there
                lock.lock();
                if (setup_.progress)
                    writerCv_.wait_for(lock, std::chrono::milliseconds(100), ready);
                else
                    writerCv_.wait(lock, ready);
                showProgress(lock);
                continue;
            }
            if (head.pieces.empty() && !head.done)
                break;  // every path was checked and written
            std::vector<std::string> pieces;
            pieces.swap(head.pieces);
            queuedBytes_ -= head.bytes;
            head.bytes = 0;
            if (head.done) {
                head.done = false;
                ++result_.filesByOutcome[head.outcome];
                result_.worstOutcome = std::max(result_.worstOutcome, head.outcome);
                ++written_;
            }
            workerCv_.notify_all();
            lock.unlock();
            for (const std::string& piece : pieces)
                setup_.output->append(piece);
            lock.lock();
            if (!setup_.output->error().empty()) {
                stopped_ = true;
                workerCv_.notify_all();
                break;
            }
            showProgress(lock);
        }
        lock.unlock();
        flush();
    }

    void flush()
    {
        if (!setup_.output->pending())
            return;
        if (setup_.progress && setup_.progressSharesTerminal)
            setup_.progress->clear();
        setup_.output->flush();
    }

    void showProgress(std::unique_lock<std::mutex>& lock)
    {
        if (!setup_.progress)
            return;
        const uint64_t done = written_;
        const std::string current = current_;
        lock.unlock();
        setup_.progress->update(done, current);
        lock.lock();
    }

    const RunSetup& setup_;
    const uint64_t window_;
    std::mutex pathMutex_;  // held while the next path is read; taken before mutex_
    std::mutex mutex_;
    std::condition_variable workerCv_;
    std::condition_variable writerCv_;
    std::vector<Slot> slots_;  // the slot of file i is i % window_
    uint64_t handedOut_ = 0;   // files given to workers
    uint64_t written_ = 0;     // files whose report was written whole
    size_t queuedBytes_ = 0;
    bool listEnded_ = false;
    bool stopped_ = false;
    std::string current_;  // the path begun last
    RunResult result_;
};

}  // namespace

RunResult runInOrder(const RunSetup& setup) { return OrderedRun(setup).run(); }
