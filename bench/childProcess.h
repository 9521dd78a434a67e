#pragma once
// Runs a program as a child with its output discarded, optionally watching its memory while it runs.

#include <cstdint>
#include <sys/types.h>
#include <string>
#include <vector>

struct ChildRun {
    int exitCode = -1;
    uint64_t peakRssAnon = 0;  // the largest RssAnon seen while polling; 0 when not polled
    uint64_t peakRss = 0;      // VmHWM, the peak resident set with file pages, at the last poll
};

// Starts the program with its standard output and error discarded; throws std::runtime_error when it
// cannot be started.
pid_t spawnQuietly(const std::vector<std::string>& argv);

// Throws std::runtime_error when the program cannot be started or does not exit normally.
ChildRun runQuietly(const std::vector<std::string>& argv, bool pollMemory = false);
