// One log's records in the classic layout, handed out newest first with the classic buffer
// contract: as many whole records as fit, error 122 with the size needed when not even the next
// one fits, error 38 after the last one; every read continues where the previous one stopped.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/event_log.h"
#include "platform/offline/eventlog/classic_record.h"

namespace veltrano::eventlog {

class ClassicLog {
  public:
    // Adds a record; order is what sorts it (higher is newer), the record number of the log.
    void Add(uint64_t order, const ClassicEvent& event);
    // Puts the records newest first. Of records with the same order only the first added stays:
    // a stale copy of a record cannot come out twice.
    void Finish();

    size_t Count() const { return entries_.size(); }
    // Whether every record has been handed out.
    bool AtEnd() const { return next_ >= entries_.size(); }
    Bytes Record(size_t index) const;

    EventLogRead ReadBackwards(uint8_t* buffer, uint32_t size);

  private:
    struct Entry {
        uint64_t order;
        size_t offset;
        uint32_t length;
    };
    std::vector<uint8_t> bytes_;
    std::vector<Entry> entries_;
    size_t next_ = 0;
};

}  // namespace veltrano::eventlog
