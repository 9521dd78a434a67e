#pragma once
// For people at a terminal: one line on standard error that shows how far a check of many files has
// come, redrawn in place, and the summary line at the end.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class ProgressLine {
public:
    // `fd` is a terminal; `total` is the number of files when known beforehand.
    ProgressLine(int fd, std::optional<uint64_t> total);

    // Redraws at most ten times a second: the files done (of the total), files per second, and the
    // path begun last, shortened to fit the terminal's width.
    void update(uint64_t done, std::string_view current);
    // Removes the line; it comes back with the next update.
    void clear();

private:
    using Clock = std::chrono::steady_clock;
    int fd_;
    std::optional<uint64_t> total_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point drawn_ = start_;
    bool shown_ = false;
};

// "N files: a clean, b with errors, c fatally broken, d not analysed", counts by outcome 0 to 3.
std::string summaryLine(const std::array<uint64_t, 4>& filesByOutcome);
