// The record numbers of one log that have been merged, kept as ranges: a log is read in record
// order, so bursts and whole passes collapse into a few ranges however many records they hold.
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
    std::map<uint32_t, uint32_t> ranges_;  // first -> last, disjoint and not adjacent
};

}  // namespace veltrano
