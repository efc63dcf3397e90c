// Occurrences per quarter hour of one entry, iterated in ascending quarter hours like a map. Held
// as a vector newest first: logs are read newest first, so a quarter hour usually goes at the end
// or is the last one there, and an entry needs no allocation per occurrence.
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

namespace veltrano {

class QuarterHourCountMap {
  public:
    using value_type = std::pair<int32_t, int32_t>;  // quarter hour, count
    using const_iterator = std::vector<value_type>::const_reverse_iterator;

    // The count of a quarter hour, which starts at 0 when the quarter hour was not there.
    int32_t& operator[](int32_t quarterHour) {
        if (counts_.empty() || quarterHour < counts_.back().first)
            return counts_.emplace_back(quarterHour, 0).second;
        if (counts_.back().first == quarterHour)
            return counts_.back().second;
        const auto at = std::lower_bound(
            counts_.begin(), counts_.end(), quarterHour,
            [](const value_type& held, int32_t q) { return held.first > q; });
        if (at != counts_.end() && at->first == quarterHour)
            return at->second;
        return counts_.insert(at, value_type(quarterHour, 0))->second;
    }
    int32_t at(int32_t quarterHour) const {
        const auto found = std::find_if(counts_.begin(), counts_.end(),
                                        [&](const value_type& v) { return v.first == quarterHour; });
        if (found == counts_.end())
            throw std::out_of_range("no such quarter hour");
        return found->second;
    }
    void clear() { counts_.clear(); }

    size_t size() const { return counts_.size(); }
    bool empty() const { return counts_.empty(); }
    // Ascending quarter hours.
    const_iterator begin() const { return counts_.rbegin(); }
    const_iterator end() const { return counts_.rend(); }
    bool operator==(const QuarterHourCountMap&) const = default;

  private:
    std::vector<value_type> counts_;  // descending quarter hours, each once
};

}  // namespace veltrano
