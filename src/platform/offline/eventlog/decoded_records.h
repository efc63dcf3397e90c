// The records a log service has just handed out, for the lookups that go with them: the text of
// a manifest-based provider's record comes from the record the log decoded for the reader, not
// from a second reading of the file.
#pragma once

#include <cstdint>
#include <optional>

#include "base/text.h"
#include "platform/offline/eventlog/evtx_event.h"

namespace veltrano::eventlog {

class DecodedRecords {
  public:
    virtual ~DecodedRecords() = default;
    // The record of a log by its number when it came out with the last read of that log (or
    // with the reads since the group it belongs to began); nullopt otherwise.
    virtual std::optional<EvtxEventFields> Recent(TextView logName, uint64_t number) = 0;
};

}  // namespace veltrano::eventlog
