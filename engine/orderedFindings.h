#pragma once
// Findings of a pass whose codes are recorded in ascending order, each code's in file order, however
// the pass comes across them.

#include "engine/errorLog.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

template <int First, int Last>
class OrderedFindings {
public:
    void add(int code, uint64_t position) { lists_[code - First].push_back(position); }
    bool has(int code) const { return !lists_[code - First].empty(); }

    void recordInto(ErrorLog& log)
    {
        for (size_t i = 0; i < lists_.size(); ++i) {
            std::stable_sort(lists_[i].begin(), lists_[i].end());
            for (uint64_t position : lists_[i])
                log.record(First + static_cast<int>(i), position);
        }
    }

private:
    std::array<std::vector<uint64_t>, Last - First + 1> lists_;
};
