// The records of a log and the reading position in them.
#include "platform/offline/eventlog/classic_log.h"

#include <algorithm>
#include <cstring>

namespace veltrano::eventlog {

void ClassicLog::Add(uint64_t order, const ClassicEvent& event) {
    const size_t offset = bytes_.size();
    AppendClassicRecord(bytes_, event);
    entries_.push_back(Entry{order, offset, static_cast<uint32_t>(bytes_.size() - offset)});
}

void ClassicLog::Finish() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.order > b.order; });
    // Among equal orders the one added first sorts first (stable), and it is the one kept.
    entries_.erase(std::unique(entries_.begin(), entries_.end(),
                               [](const Entry& a, const Entry& b) { return a.order == b.order; }),
                   entries_.end());
    next_ = 0;
}

Bytes ClassicLog::Record(size_t index) const {
    const Entry& e = entries_[index];
    return Bytes(bytes_).subspan(e.offset, e.length);
}

EventLogRead ClassicLog::ReadBackwards(uint8_t* buffer, uint32_t size) {
    EventLogRead result;
    if (next_ >= entries_.size()) {
        result.error = kErrorHandleEof;
        return result;
    }
    uint32_t used = 0;
    while (next_ < entries_.size() && entries_[next_].length <= size - used) {
        const Entry& e = entries_[next_];
        std::memcpy(buffer + used, bytes_.data() + e.offset, e.length);
        used += e.length;
        ++next_;
    }
    if (used == 0) {
        result.error = kErrorInsufficientBuffer;
        result.bytesNeeded = entries_[next_].length;
        return result;
    }
    result.ok = true;
    result.bytesRead = used;
    return result;
}

}  // namespace veltrano::eventlog
