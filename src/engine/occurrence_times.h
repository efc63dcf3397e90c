// The distinct times of an entry's occurrences, newest first: a sorted vector, since logs are read
// newest first and a time then goes at the end; a time out of that order finds its place.
#pragma once

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <vector>

#include "base/filetime.h"

namespace veltrano {

class OccurrenceTimeSet {
  public:
    using const_iterator = std::vector<FileTime>::const_iterator;
    using const_reverse_iterator = std::vector<FileTime>::const_reverse_iterator;

    OccurrenceTimeSet() = default;
    OccurrenceTimeSet(std::initializer_list<FileTime> times) {
        for (const FileTime t : times)
            insert(t);
    }
    OccurrenceTimeSet& operator=(std::initializer_list<FileTime> times) {
        times_.clear();
        for (const FileTime t : times)
            insert(t);
        return *this;
    }

    // False when the time is there already.
    bool insert(FileTime t) {
        if (times_.empty() || t < times_.back()) {
            times_.push_back(t);
            return true;
        }
        const auto at = std::lower_bound(times_.begin(), times_.end(), t, std::greater<FileTime>());
        if (at != times_.end() && *at == t)
            return false;
        times_.insert(at, t);
        return true;
    }
    void clear() { times_.clear(); }

    size_t size() const { return times_.size(); }
    bool empty() const { return times_.empty(); }
    const_iterator begin() const { return times_.begin(); }
    const_iterator end() const { return times_.end(); }
    const_reverse_iterator rbegin() const { return times_.rbegin(); }
    const_reverse_iterator rend() const { return times_.rend(); }
    bool operator==(const OccurrenceTimeSet&) const = default;

  private:
    std::vector<FileTime> times_;  // descending, each once
};

}  // namespace veltrano
