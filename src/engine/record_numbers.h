// The record numbers of one log that have been read, kept as ranges: a log is read in record
// order, so a whole pass over it is one range however many records it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

namespace veltrano {

class RecordNumbers {
  public:
    // Adds a number; false when it was already there.
    bool Insert(uint32_t number);
    size_t RangeCount() const { return ranges_.size(); }

  private:
    using Ranges = std::map<uint32_t, uint32_t>;  // last -> first, disjoint and not adjacent
    Ranges ranges_;
};

}  // namespace veltrano
