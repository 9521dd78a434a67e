#include "engine/errorLog.h"

#include <algorithm>

bool ErrorLog::contains(int code) const { return std::find(codes_.begin(), codes_.end(), code) != codes_.end(); }

void ErrorLog::seal()
{
    byPosition_.clear();
    byPosition_.reserve(codes_.size());
    for (size_t i = 0; i < codes_.size(); ++i)
        byPosition_.emplace_back(positions_[i], codes_[i]);
    std::sort(byPosition_.begin(), byPosition_.end());
}

bool ErrorLog::containsAt(int code, uint64_t position) const
{
    return std::binary_search(byPosition_.begin(), byPosition_.end(), std::make_pair(position, code));
}
