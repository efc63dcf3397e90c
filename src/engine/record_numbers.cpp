// Ranges of read record numbers.
#include "engine/record_numbers.h"

#include <iterator>

namespace veltrano {

bool RecordNumbers::Insert(uint32_t number) {
    // The first range that ends at or after the number; the one before it ends below it.
    const auto next = ranges_.lower_bound(number);
    if (next != ranges_.end() && next->first <= number)
        return false;
    const auto before = next == ranges_.begin() ? ranges_.end() : std::prev(next);
    const bool joinsNext = next != ranges_.end() && next->first == number + 1;
    const bool joinsBefore = before != ranges_.end() && before->last + 1 == number;
    if (joinsNext) {
        next->first = joinsBefore ? before->first : number;
        if (joinsBefore)
            ranges_.erase(before);
    } else if (joinsBefore) {
        before->last = number;
    } else {
        ranges_.emplace_hint(next, Range{number, number});
    }
    return true;
}

}  // namespace veltrano
