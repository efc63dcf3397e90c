// Merging occurrences into the catalogue.
#include "engine/catalogue.h"


namespace veltrano {
namespace {
constexpr FileTime kTicksPerQuarterHour = 900 * kTicksPerSecond;
}  // namespace

int32_t QuarterHourOf(FileTime time) {
    return static_cast<int32_t>(time / kTicksPerQuarterHour);
}

FileTime QuarterHourStart(int32_t quarterHour) {
    return static_cast<FileTime>(quarterHour) * kTicksPerQuarterHour;
}

Text EntryKey(const ErrorOccurrence& occurrence) {
    return occurrence.AppName + u"_" + occurrence.ErrorName;
}

Text EntryKey(const ErrorEntry& entry) {
    return entry.AppName + u"_" + entry.ErrorName;
}

void ErrorCatalogue::Clear() {
    entries.clear();
    index_.Clear();
    ReportFileIndex.clear();
    EventReportIndex.clear();
    RecencyIndex.clear();
    readRecords_.clear();
    lastLog_ = nullptr;
    mergedReports_.clear();
    TotalErrors = 0;
}

bool ErrorCatalogue::NoteRecord(TextView logName, uint32_t recordNumber) {
    if (lastLog_ == nullptr || logName != lastLogName_) {
        auto log = readRecords_.find(logName);
        if (log == readRecords_.end())
            log = readRecords_.emplace(Text(logName), RecordNumbers()).first;
        lastLog_ = &log->second;
        lastLogName_ = Text(logName);
    }
    return lastLog_->Insert(recordNumber);
}

std::map<Text, Text>& ErrorCatalogue::ReportIndexFor(const ErrorEntry& entry) {
    return entry.Category == CategoryReportFile ? ReportFileIndex : EventReportIndex;
}

void ErrorCatalogue::RemoveRecency(FileTime time, const Text& key) {
    auto [first, last] = RecencyIndex.equal_range(time);
    for (auto it = first; it != last; ++it) {
        if (it->second == key) {
            RecencyIndex.erase(it);
            return;
        }
    }
}

bool ErrorCatalogue::TakesReportId(const ErrorOccurrence& occurrence) {
    key_.assign(occurrence.AppName).append(u"_").append(occurrence.ErrorName);
    const ErrorEntry* e = Find(key_);
    return e == nullptr || occurrence.time > e->LastErrorDateTime;
}

bool ErrorCatalogue::Merge(const ErrorOccurrence& occurrence) {
    Text& key = key_;
    key.assign(occurrence.AppName).append(u"_").append(occurrence.ErrorName);
    if (!occurrence.ReportKey.empty() && !mergedReports_.insert(occurrence.ReportKey).second)
        return true;
    ErrorEntry* found = Find(key);
    if (found == nullptr)
        return false;
    ErrorEntry& e = *found;
    const FileTime t = occurrence.time;
    if (occurrence.queued)
        e.Queued = 1;

    ++e.ErrorCount;
    if (t > e.LastErrorDateTime) {
        RemoveRecency(e.LastErrorDateTime, key);
        RecencyIndex.emplace(t, key);
        e.LastErrorDateTime = t;
        auto& index = ReportIndexFor(e);
        // Only E's own mapping goes: an identifier that maps to another entry stays with it.
        if (auto old = index.find(e.ReportId); old != index.end() && old->second == key) {
            index.erase(old);
        }
        if (!occurrence.ReportId.empty())
            index.emplace(occurrence.ReportId, key);
        e.ReportId = occurrence.ReportId;
    }
    if (t < e.FirstErrorDateTime)
        e.FirstErrorDateTime = t;

    struct Window {
        FileTime start;
        int32_t& count;
        FileTime& first;
    };
    for (Window w : {Window{WeekStart, e.WeekCount, e.WeekFirstTime},
                     Window{MonthStart, e.MonthCount, e.MonthFirstTime},
                     Window{HalfYearStart, e.HalfYearCount, e.HalfYearFirstTime}}) {
        if (t >= w.start) {
            ++w.count;
            if (t < w.first)
                w.first = t;
        }
    }
    // Logs are read newest first: a time and its quarter hour usually go last.
    e.OccurrenceTimes.insert(t);
    ++e.QuarterHourCounts[QuarterHourOf(t)];
    return true;
}

ErrorEntry ErrorCatalogue::CreateEntry(const ErrorOccurrence& occurrence, FileTime now) const {
    ErrorEntry e;
    const FileTime t = occurrence.time;
    e.ErrorCount = 1;
    e.WeekCount = t > WeekStart ? 1 : 0;
    e.MonthCount = t > MonthStart ? 1 : 0;
    e.HalfYearCount = t > HalfYearStart ? 1 : 0;
    e.WeekFirstTime = t > WeekStart ? t : now;
    e.MonthFirstTime = t > MonthStart ? t : now;
    e.HalfYearFirstTime = t > HalfYearStart ? t : now;
    e.Linked = 0;
    e.LastErrorDateTime = t;
    e.FirstErrorDateTime = t;
    e.OccurrenceTimes.insert(t);
    e.QuarterHourCounts[QuarterHourOf(t)] = 1;
    e.AppName = occurrence.AppName;
    e.ErrorName = occurrence.ErrorName;
    e.AppPath = occurrence.AppPath;
    e.ReportId = occurrence.ReportId;
    e.Queued = occurrence.queued ? 1 : 0;
    return e;
}

void ErrorCatalogue::Add(ErrorEntry entry) {
    Text key = EntryKey(entry);
    if (!entry.ReportId.empty())
        ReportIndexFor(entry).emplace(entry.ReportId, key);
    RecencyIndex.emplace(entry.LastErrorDateTime, key);
    auto [at, added] = entries.insert_or_assign(std::move(key), std::move(entry));
    index_.Add(at->first, at->second);
}

std::optional<ErrorEntry> ErrorCatalogue::Remove(const Text& key) {
    const auto at = entries.find(key);
    if (at == entries.end())
        return std::nullopt;
    ErrorEntry entry = std::move(at->second);
    RemoveRecency(entry.LastErrorDateTime, key);
    auto& reports = ReportIndexFor(entry);
    if (auto id = reports.find(entry.ReportId); id != reports.end() && id->second == key)
        reports.erase(id);
    entries.erase(at);
    index_.Clear();  // built again from the entries at the next look-up
    return entry;
}

const ErrorEntry* ErrorCatalogue::Find(const Text& key) const {
    return index_.Find(const_cast<std::map<Text, ErrorEntry>&>(entries), key);
}

ErrorEntry* ErrorCatalogue::Find(const Text& key) {
    return index_.Find(entries, key);
}

FileTime ErrorCatalogue::IntervalStart(int interval) const {
    switch (interval) {
        case IntervalWeek:
            return WeekStart;
        case IntervalMonth:
            return MonthStart;
        case IntervalHalfYear:
            return HalfYearStart;
        default:
            return 0;
    }
}

bool ErrorCatalogue::InInterval(const ErrorEntry& entry, int interval) const {
    return entry.LastErrorDateTime >= IntervalStart(interval);
}

int32_t ErrorCatalogue::IntervalCount(const ErrorEntry& entry, int interval) {
    switch (interval) {
        case IntervalWeek:
            return entry.WeekCount;
        case IntervalMonth:
            return entry.MonthCount;
        case IntervalHalfYear:
            return entry.HalfYearCount;
        default:
            return entry.ErrorCount;
    }
}

}  // namespace veltrano
