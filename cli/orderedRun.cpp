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

// Files handed out beyond the oldest unwritten one, at most: enough that a thread held up for a
// moment does not stop the others; the bytes of the reports are bounded by RunSetup.
constexpr uint64_t windowFiles = 1024;
// Output that piles up in the block buffer leaves after this long at the latest.
constexpr auto flushInterval = std::chrono::milliseconds(50);

struct Slot {
    std::vector<std::string> pieces;
    size_t bytes = 0;
    bool done = false;
    int outcome = 0;
};

// The worker threads write too: whichever thread finds the oldest unwritten report ready and no one
// writing writes it, and whatever is ready after it. So a file's output costs no hand-over to
// another thread. The main thread lets out what piled up, now and then, and draws the progress.
class OrderedRun {
public:
    explicit OrderedRun(const RunSetup& setup)
        : setup_(setup),
          window_(std::max<uint64_t>(windowFiles, 4 * static_cast<uint64_t>(setup.jobs))),
          slots_(window_),
          flushEachReport_(setup.progress && setup.progressSharesTerminal)
    {
    }

    RunResult run()
    {
        std::vector<std::thread> workers;
        for (int i = 0; i < setup_.jobs; ++i)
            workers.emplace_back([this] { work(); });
        std::unique_lock lock(mutex_);
        for (bool last = false; !last;) {
            last = mainCv_.wait_for(lock, flushInterval, [&] { return finished(); });
            if (!writing_)
                writeReady(lock, true);
            showProgress(lock);
        }
        lock.unlock();
        for (std::thread& worker : workers)
            worker.join();
        return result_;
    }

private:
    bool finished() const { return stopped_ || (listEnded_ && written_ == handedOut_ && !writing_); }

    void work()
    {
        std::string path;
        uint64_t index = 0;
        while (takePath(path, index)) {
            ReportStream out([&](std::string& piece) { handOn(index, piece); });
            const int outcome = setup_.check(path, out);
            finish(index, out.take(), outcome);
        }
    }

    bool takePath(std::string& path, uint64_t& index)
    {
        const std::lock_guard reading(pathMutex_);
        std::optional<std::string> next = setup_.nextPath();
        std::unique_lock lock(mutex_);
        if (!next) {
            listEnded_ = true;
            workerCv_.notify_all();
            if (finished())
                mainCv_.notify_one();
            return false;
        }
        // Only this thread hands out files, so the room stays once it is there.
        workerCv_.wait(lock, [&] { return stopped_ || handedOut_ < written_ + window_; });
        path = std::move(*next);
        index = handedOut_++;
        if (setup_.progress)
            current_ = path;
        return !stopped_;
    }

    // Queues a piece of file `index`'s report and leaves an empty buffer in its place.
    void handOn(uint64_t index, std::string& piece)
    {
        std::unique_lock lock(mutex_);
        Slot& slot = queue(index, std::move(piece));
        piece.clear();
        if (!spares_.empty()) {
            piece.swap(spares_.back());
            spares_.pop_back();
        }
        writeOrWait(lock, index, slot);
    }

    void finish(uint64_t index, std::string&& rest, int outcome)
    {
        std::unique_lock lock(mutex_);
        Slot& slot = queue(index, std::move(rest));
        slot.done = true;
        slot.outcome = outcome;
        writeOrWait(lock, index, slot);
    }

    // The thread of the oldest unwritten report writes it when no one else is writing; other
    // threads wait while their reports hold too much.
    void writeOrWait(std::unique_lock<std::mutex>& lock, uint64_t index, const Slot& slot)
    {
        for (;;) {
            if (index == written_ && !writing_)
                writeReady(lock, false);
            if (stopped_ || index < written_ ||
                (index == written_ ? slot.bytes <= setup_.headQueueBytes : queuedBytes_ <= setup_.waitingQueueBytes))
                return;
            workerCv_.wait(lock);
        }
    }

    Slot& queue(uint64_t index, std::string&& text)
    {
        Slot& slot = slots_[index % window_];
        if (!text.empty() && !stopped_) {
            slot.bytes += text.size();
            queuedBytes_ += text.size();
            slot.pieces.push_back(std::move(text));
        }
        return slot;
    }

    // Writes the pieces of the oldest unwritten file, and moves on to the next file when it is
    // done, until nothing more is ready; then, if asked, lets out the block buffer.
    void writeReady(std::unique_lock<std::mutex>& lock, bool flush)
    {
        writing_ = true;
        std::vector<std::string> pieces;
        for (;;) {
            Slot& head = slots_[written_ % window_];
            if (stopped_ || (head.pieces.empty() && !head.done)) {
                if (!flush || stopped_)
                    break;
                flush = false;
                lock.unlock();
                emit(pieces, true);
                lock.lock();
                continue;  // more may be ready now
            }
            pieces.swap(head.pieces);
            queuedBytes_ -= head.bytes;
            head.bytes = 0;
            const bool fileDone = head.done;
            if (fileDone) {
                head.done = false;
                ++result_.filesByOutcome[head.outcome];
                result_.worstOutcome = std::max(result_.worstOutcome, head.outcome);
                ++written_;
            }
            workerCv_.notify_all();
            lock.unlock();
            emit(pieces, fileDone && flushEachReport_);
            lock.lock();
            keepAsSpares(pieces);
            if (!setup_.output->error().empty())
                stopped_ = true;
        }
        writing_ = false;
        workerCv_.notify_all();
        if (finished())
            mainCv_.notify_one();
    }

    // Called without the lock, by the one thread that is writing.
    void emit(const std::vector<std::string>& pieces, bool flush)
    {
        if (pieces.empty() && !(flush && setup_.output->pending()))
            return;
        std::unique_lock terminal(terminalMutex_, std::defer_lock);
        if (setup_.progress && setup_.progressSharesTerminal) {
            terminal.lock();
            setup_.progress->clear();
        }
        for (const std::string& piece : pieces)
            setup_.output->append(piece);
        if (flush)
            setup_.output->flush();
    }

    // Buffers of long reports go back to the threads that render them: fresh ones would cost page
    // faults for every piece.
    void keepAsSpares(std::vector<std::string>& pieces)
    {
        for (std::string& piece : pieces)
            if (piece.capacity() >= ReportStream::pieceBytes && spares_.size() < 2 * static_cast<size_t>(setup_.jobs)) {
                piece.clear();
                spares_.push_back(std::move(piece));
            }
        pieces.clear();
    }

    void showProgress(std::unique_lock<std::mutex>& lock)
    {
        if (!setup_.progress)
            return;
        const uint64_t done = written_;
        const std::string current = current_;
        lock.unlock();
        {
            const std::lock_guard terminal(terminalMutex_);
            setup_.progress->update(done, current);
        }
        lock.lock();
    }

    const RunSetup& setup_;
    const uint64_t window_;
    std::mutex pathMutex_;      // held while the next path is read; taken before mutex_
    std::mutex mutex_;          // everything below but the terminal
    std::mutex terminalMutex_;  // output and progress line on one terminal; taken without mutex_
    std::condition_variable workerCv_;
    std::condition_variable mainCv_;
    std::vector<Slot> slots_;  // the slot of file i is i % window_
    uint64_t handedOut_ = 0;   // files given to workers
    uint64_t written_ = 0;     // files whose report was written whole
    size_t queuedBytes_ = 0;
    bool writing_ = false;  // a thread is writing; no other may
    bool listEnded_ = false;
    bool stopped_ = false;  // writing failed
    const bool flushEachReport_;
    std::vector<std::string> spares_;  // empty buffers of written pieces
    std::string current_;              // the path begun last
    RunResult result_;
};

}  // namespace

RunResult runInOrder(const RunSetup& setup) { return OrderedRun(setup).run(); }
