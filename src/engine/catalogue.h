// The error catalogue: every scanned occurrence merged into one entry per distinct error, with
// counts per interval, first and last times, and the indexes that join report files to events
// and order the entries by their latest occurrence.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"
#include "engine/entry_index.h"
#include "engine/occurrence_times.h"
#include "engine/quarter_hour_counts.h"
#include "engine/record_numbers.h"
#include "platform/message_sink.h"

namespace veltrano {

enum Category : int32_t {
    CategoryReportFile = 1,
    CategoryEventLog = 2,
    CategoryApplicationHang = 3,
    CategoryApplicationError = 4,
};

// Interval codes of the list and the lookup.
enum Interval : int32_t {
    IntervalWeek = 1,
    IntervalMonth = 2,
    IntervalHalfYear = 3,
    IntervalAll = 4,
};

// Capacities of the fixed-capacity fields, terminator included.
constexpr size_t kNameCapacity = 128;
constexpr size_t kPathCapacity = 1024;
constexpr size_t kReportIdCapacity = 128;
constexpr size_t kExceptionCodeCapacity = 16;
constexpr size_t kSummaryCapacity = 1024;
constexpr size_t kDescriptionCapacity = 1024;

// Why an event record's message text did not come out, from the first step that failed; the
// order is how far a lookup went.
enum class TextPath {
    MessageFile,
    Manifest,
    NoRegistry,  // the drive lacks the registry hive that would name the source's files
    NotRegistered,
    FilesMissing,
    NoMessage,
    FormattingFailed,
};
inline constexpr size_t kTextPathCount = 7;

// The record that created an event entry.
struct RecordOrigin {
    Text log;
    uint32_t recordNumber = 0;
    Text source;  // the record's source name
    uint32_t eventId = 0;
};

struct ErrorEntry {
    int32_t Category = 0;
    int32_t ErrorCount = 0;
    int32_t WeekCount = 0;
    int32_t MonthCount = 0;
    int32_t HalfYearCount = 0;
    FileTime WeekFirstTime = 0;
    FileTime MonthFirstTime = 0;
    FileTime HalfYearFirstTime = 0;
    uint8_t Linked = 0;
    FileTime LastErrorDateTime = 0;
    FileTime FirstErrorDateTime = 0;
    OccurrenceTimeSet OccurrenceTimes;  // newest first
    // Occurrences per UTC quarter hour (quarter hours since 1601): every time zone is a whole
    // number of quarter hours away from UTC, so each bucket lies in one local day of any zone.
    QuarterHourCountMap QuarterHourCounts;
    Text AppName;
    Text ErrorName;
    Text AppPath;
    Text ReportId;
    Text ExceptionCode;
    Text ErrorSummary;
    std::optional<Text> ErrorText;
    std::optional<Text> MessageTemplate;
    Text ErrorTextParams;
    // The first record's insertion strings, whether or not a message text was found.
    std::vector<Text> InsertionStrings;
    // A crash's faulting module, its version and the fault offset, from the record's strings.
    Text FaultModule;
    Text FaultModuleVersion;
    Text FaultOffset;
    uint8_t Queued = 0;  // a report of it still waits in a report queue (not sent)
    std::optional<RecordOrigin> Origin;
    // Why ErrorText is absent, where the caller found out (the command line does).
    std::optional<TextPath> MissingText;
};

// What a source knows of one occurrence before it is merged.
struct ErrorOccurrence {
    FileTime time = 0;
    Text AppName;
    Text ErrorName;
    Text AppPath;
    Text ReportId;
    Text ReportPath;         // report files only
    Text ReportDescription;  // report files only
    Text WerReportId;        // report files only: Windows Error Reporting's own identifier
    // Which report this is, so that one met twice (through a second path to its folder) counts
    // once: ReportId, else the file below its archive. Empty: never taken as met before.
    Text ReportKey;
    bool queued = false;  // report files found in a report queue

    // Copies into the fields with their capacities.
    void SetAppName(TextView v) { AppName = CopyCapped(v, kNameCapacity); }
    void SetErrorName(TextView v) { ErrorName = CopyCapped(v, kNameCapacity); }
    void SetAppPath(TextView v) { AppPath = CopyCapped(v, kPathCapacity); }
    void SetReportId(TextView v) { ReportId = CopyCapped(v, kReportIdCapacity); }
};

Text EntryKey(const ErrorOccurrence& occurrence);
Text EntryKey(const ErrorEntry& entry);

// A catalogue's own lock. A copy of a catalogue gets a lock of its own, not the original's.
class OwnLock {
  public:
    OwnLock() = default;
    OwnLock(const OwnLock&) {}
    OwnLock& operator=(const OwnLock&) { return *this; }
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool try_lock() { return mutex_.try_lock(); }

  private:
    std::mutex mutex_;
};

class ErrorCatalogue {
  public:
    // Guards the entries, the indexes and TotalErrors: the scan holds it for each change, the
    // window for each read. Scans of separate catalogues do not wait on one another.
    mutable OwnLock CatalogueLock;
    // Distinct errors by key (keys compared as unsigned 16-bit units).
    std::map<Text, ErrorEntry> entries;
    std::map<Text, Text> ReportFileIndex;   // ReportId of report-file entries -> key
    std::map<Text, Text> EventReportIndex;  // ReportId of event entries -> key
    // Latest occurrence -> key, newest first; equal times keep their insertion order.
    std::multimap<FileTime, Text, std::greater<FileTime>> RecencyIndex;
    FileTime WeekStart = 0;
    FileTime MonthStart = 0;
    FileTime HalfYearStart = 0;
    int32_t TotalErrors = 0;
    int32_t MaxAgeDays = 0;
    ErrorOccurrence scanOccurrence;  // reused for report files
    MessageSink* ownerWindow = nullptr;
    uint8_t FirstWeekPosted = 0;

    // Empties entries and indexes; TotalErrors becomes 0. Caller holds CatalogueLock.
    void Clear();
    // Merges into the entry with the occurrence's key; false when there is none, and the caller
    // then adds the entry it creates from the occurrence. A report met before changes nothing and
    // counts as merged. Caller holds CatalogueLock.
    bool Merge(const ErrorOccurrence& occurrence);
    // Whether Merge would take the occurrence's ReportId: there is no entry for it yet, or it is
    // newer than the entry's latest. Caller holds CatalogueLock.
    bool TakesReportId(const ErrorOccurrence& occurrence);
    // Notes a record that a log handed out; false when it was read before (a second pass over
    // the log, or its boundary), and the record is then left alone. Only the catalogue's writer
    // calls it, with or without the lock: no reader looks at the numbers.
    bool NoteRecord(TextView logName, uint32_t recordNumber);
    // Inserts a new entry under its key with its index elements. Caller holds CatalogueLock.
    void Add(ErrorEntry entry);
    // Takes the entry out with its index elements and gives it back; nullopt when there is none.
    // Caller holds CatalogueLock.
    std::optional<ErrorEntry> Remove(const Text& key);
    // A new entry for an occurrence by the shared creation rules; now is the current UTC time.
    ErrorEntry CreateEntry(const ErrorOccurrence& occurrence, FileTime now) const;

    const ErrorEntry* Find(const Text& key) const;
    ErrorEntry* Find(const Text& key);

    // Whether an entry belongs to an interval, and its count there.
    bool InInterval(const ErrorEntry& entry, int interval) const;
    static int32_t IntervalCount(const ErrorEntry& entry, int interval);
    FileTime IntervalStart(int interval) const;

  private:
    std::map<Text, Text>& ReportIndexFor(const ErrorEntry& entry);
    void RemoveRecency(FileTime time, const Text& key);
    mutable EntryIndex index_;
    Text key_;  // the key of the occurrence being merged, its room reused
    std::map<Text, RecordNumbers, std::less<>> readRecords_;  // per log
    RecordNumbers* lastLog_ = nullptr;                        // and the last one noted
    Text lastLogName_;
    std::set<Text> mergedReports_;
};

// The quarter hour of a time, as QuarterHourCounts keys it, and the time it starts at.
int32_t QuarterHourOf(FileTime time);
FileTime QuarterHourStart(int32_t quarterHour);

}  // namespace veltrano
