// Ranges of merged record numbers.
#include "engine/record_numbers.h"

#include <iterator>

namespace veltrano {

bool RecordNumbers::Insert(uint32_t number) {
    // The range starting after the number, and the one before it (which may hold it).
    auto next = ranges_.upper_bound(number);
    if (next != ranges_.begin()) {
        auto before = std::prev(next);
        if (number <= before->second)
            return false;
        if (before->second + 1 == number) {
            before->second = number;
            if (next != ranges_.end() && next->first == number + 1) {
                before->second = next->second;
                ranges_.erase(next);
            }
            return true;
        }
    }
    if (next != ranges_.end() && next->first == number + 1) {
        const uint32_t last = next->second;
        ranges_.erase(next);
        ranges_.emplace(number, last);
        return true;
    }
    ranges_.emplace(number, number);
    return true;
}

}  // namespace veltrano
