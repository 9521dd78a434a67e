#pragma once
// The error list: codes in the order the user reads them, each with the file position it concerns.
// Codes raised as jpcAnalyzerException and caught go to the front (latest first); codes recorded in
// place go to the back (earliest first).

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

class ErrorLog {
public:
    void record(int code, uint64_t position)
    {
        codes_.push_back(code);
        positions_.push_back(position);
    }
    void insertCaught(int code, uint64_t position)
    {
        codes_.push_front(code);
        positions_.push_front(position);
    }

    // Puts the codes of `earlier` before these, in their order.
    void prepend(const ErrorLog& earlier)
    {
        codes_.insert(codes_.begin(), earlier.codes_.begin(), earlier.codes_.end());
        positions_.insert(positions_.begin(), earlier.positions_.begin(), earlier.positions_.end());
    }

    const std::deque<int>& codes() const { return codes_; }
    const std::deque<uint64_t>& positions() const { return positions_; }
    bool empty() const { return codes_.empty(); }
    bool contains(int code) const;

    // Builds the index for containsAt; called once the list is final.
    void seal();
    // The code was found in the element at this position.
    bool containsAt(int code, uint64_t position) const;

private:
    std::deque<int> codes_;
    std::deque<uint64_t> positions_;
    std::vector<std::pair<uint64_t, int>> byPosition_;
};
