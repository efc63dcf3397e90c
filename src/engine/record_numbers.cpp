// Ranges of read record numbers.
#include "engine/record_numbers.h"

#include <iterator>

namespace veltrano {

bool RecordNumbers::Insert(uint32_t number) {
    // The first range that ends at or after the number; the one before it ends below it.
    const auto next = ranges_.lower_bound(number);
    if (next != ranges_.end() && next->second <= number)
        return false;
    const auto before = next == ranges_.begin() ? ranges_.end() : std::prev(next);
    const bool joinsNext = next != ranges_.end() && next->second == number + 1;
    const bool joinsBefore = before != ranges_.end() && before->first + 1 == number;
    if (joinsNext) {
        next->second = joinsBefore ? before->second : number;
        if (joinsBefore)
            ranges_.erase(before);
    } else if (joinsBefore) {
        const uint32_t first = before->second;
        ranges_.erase(before);
        ranges_.emplace_hint(next, number, first);
    } else {
        ranges_.emplace_hint(next, number, number);
    }
    return true;
}

}  // namespace veltrano
