// Filling a catalogue from event records, the one way every reader of records shares: begun
// (emptied, its intervals fixed at the clock's time), records added one by one newest first
// through the record rules, and finished (reports joined, TotalErrors counted).
#pragma once

#include <optional>

#include "base/filetime.h"
#include "engine/catalogue.h"
#include "engine/event_processing.h"
#include "engine/event_record.h"
#include "platform/machine.h"

namespace veltrano {

// Empties the catalogue and fixes its interval boundaries at the clock's current time: the start
// of every scan, and of a catalogue filled record by record from another machine's log.
void PrepareCatalogue(ErrorCatalogue& catalogue, Clock& clock);

class CatalogueFill {
  public:
    // Whether a record handed out twice (by two passes over one log) is to count once. A reader
    // that hands out every record once need not note them.
    enum class Noting { EveryRecord, None };

    // The catalogue must have been prepared (a scan reads its report files first).
    CatalogueFill(ErrorCatalogue& catalogue, Machine& machine, Noting noting = Noting::EveryRecord)
        : catalogue_(catalogue), machine_(machine), noting_(noting) {}

    // One record of a log.
    void Add(const EventRecordView& record, TextView logName);
    // Every record of a buffer in the classic layout.
    void AddBuffer(const uint8_t* buffer, uint32_t bytes, TextView logName);

    // The time of the oldest error record added, and of the last one (in a log read newest
    // first, how far back the reading has come).
    const std::optional<FileTime>& OldestError() const { return oldestError_; }
    const std::optional<FileTime>& LastError() const { return lastError_; }
    // Whole days from the oldest error to now; 0 without errors.
    int32_t OldestErrorDays() const;

    // Joins reports to events; the distinct errors there are now.
    int32_t Link();
    // The last join: TotalErrors becomes the distinct errors.
    int32_t Finish();

  private:
    ErrorCatalogue& catalogue_;
    Machine& machine_;
    Noting noting_;
    RecordContext context_;
    std::optional<FileTime> oldestError_;
    std::optional<FileTime> lastError_;
};

}  // namespace veltrano
