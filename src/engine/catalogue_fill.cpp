// The catalogue fill.
#include "engine/catalogue_fill.h"

#include <mutex>

#include "engine/event_processing.h"
#include "engine/link_reports.h"
#include "shell/time_text.h"

namespace veltrano {

void PrepareCatalogue(ErrorCatalogue& catalogue, Clock& clock) {
    catalogue.FirstWeekPosted = 0;
    const FileTime now = clock.UtcNow();
    std::lock_guard lock(catalogue.CatalogueLock);
    catalogue.Clear();
    catalogue.WeekStart = now - kTicksPerWeek;
    catalogue.MonthStart = ShiftMonths(clock, now, -1).value_or(now);
    catalogue.HalfYearStart = ShiftMonths(clock, now, -6).value_or(now);
    catalogue.MaxAgeDays = 0;
}

void CatalogueFill::Add(const EventRecordView& record, TextView logName) {
    // A record read before (at the boundary of two passes over one log) counts once.
    if (noting_ == Noting::EveryRecord && !catalogue_.NoteRecord(logName, record.RecordNumber()))
        return;
    if (auto time = ProcessEventRecord(record, logName, catalogue_, machine_, context_)) {
        lastError_ = time;
        if (!oldestError_ || *time < *oldestError_)
            oldestError_ = time;
    }
}

void CatalogueFill::AddBuffer(const uint8_t* buffer, uint32_t bytes, TextView logName) {
    WalkEventRecords(buffer, bytes, [&](const EventRecordView& record) { Add(record, logName); });
}

int32_t CatalogueFill::OldestErrorDays() const {
    return oldestError_ && machine_.clock != nullptr ? DaysSince(*machine_.clock, *oldestError_)
                                                     : 0;
}

int32_t CatalogueFill::Link() {
    std::lock_guard lock(catalogue_.CatalogueLock);
    return LinkReports(catalogue_, machine_.messages);
}

int32_t CatalogueFill::Finish() {
    std::lock_guard lock(catalogue_.CatalogueLock);
    catalogue_.TotalErrors = LinkReports(catalogue_, machine_.messages);
    return catalogue_.TotalErrors;
}

}  // namespace veltrano
