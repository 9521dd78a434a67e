#pragma once
// Checks files on several threads and writes each file's report whole, in the order of the input,
// as soon as it and all before it are done, so that the output is the same for any number of
// threads. A bounded window of files is in flight, so memory does not grow with the list.

#include "cli/reportStream.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class BlockOutput;
class ProgressLine;

struct RunSetup {
    int jobs = 1;
    // The paths in input order; nothing at the end. Called under a lock, one call at a time.
    std::function<std::optional<std::string>()> nextPath;
    // Renders one file's report into the stream and returns its outcome, 0 to 3.
    std::function<int(const std::string& path, ReportStream& out)> check;
    BlockOutput* output = nullptr;
    // A report being written may run ahead of the writing by this much, and the reports that wait
    // for their turn may hold this much together, before their threads wait.
    size_t headQueueBytes = 1 << 20;
    size_t waitingQueueBytes = 8 << 20;
    ProgressLine* progress = nullptr;       // none: no progress line
    bool progressSharesTerminal = false;  // the output goes to the progress line's terminal
};

struct RunResult {
    std::array<uint64_t, 4> filesByOutcome{};
    int worstOutcome = 0;
};

// Returns once every path was checked and written, or writing failed (see BlockOutput::error()).
RunResult runInOrder(const RunSetup& setup);
