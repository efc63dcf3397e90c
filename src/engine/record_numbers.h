// The record numbers of one log that have been read, kept as ranges: a log is read in record
// order, so a whole pass over it is one range however many records it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>

namespace veltrano {

class RecordNumbers {
  public:
    // Adds a number; false when it was already there.
    bool Insert(uint32_t number);
    size_t RangeCount() const { return ranges_.size(); }

  private:
    // A range grows at either end in place: that keeps it between its neighbours, so the set's
    // order holds.
    struct Range {
        mutable uint32_t last;
        mutable uint32_t first;
    };
    struct ByLast {
        using is_transparent = void;
        bool operator()(const Range& a, const Range& b) const { return a.last < b.last; }
        bool operator()(const Range& a, uint32_t b) const { return a.last < b; }
        bool operator()(uint32_t a, const Range& b) const { return a < b.last; }
    };
    std::set<Range, ByLast> ranges_;  // disjoint and not adjacent
};

}  // namespace veltrano
