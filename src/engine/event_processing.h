// Turns the error records of an event-log buffer into occurrences and merges them into the
// catalogue: names and category from source and identifier, and for crashed and hung programs
// the path, exception code and report identifier read from the message text.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"
#include "engine/catalogue.h"
#include "engine/event_record.h"
#include "engine/message_file_cache.h"
#include "platform/machine.h"

namespace veltrano {

// What the records of one fill share: the message modules found so far, and room reused for
// each record's occurrence and names.
struct RecordContext {
    MessageFileCache messageFiles;
    ErrorOccurrence occurrence;
    Text source;
    Text program;
};

// Processes every record of a buffer that was not read before; oldestErrorTime becomes the time
// of the last error record processed (the oldest, since logs are read backwards).
void ProcessEventRecords(const uint8_t* buffer, uint32_t bytesRead, TextView logName,
                         ErrorCatalogue& catalogue, Machine& machine,
                         std::optional<FileTime>& oldestErrorTime);

// One record, which the caller has not handed over before; returns its time when it is an error
// record.
std::optional<FileTime> ProcessEventRecord(const EventRecordView& record, TextView logName,
                                           ErrorCatalogue& catalogue, Machine& machine);
// The same as one of the records of a fill.
std::optional<FileTime> ProcessEventRecord(const EventRecordView& record, TextView logName,
                                           ErrorCatalogue& catalogue, Machine& machine,
                                           RecordContext& context);

// The message's lines as the crash and hang messages are read: cut at CR/LF runs, trimmed,
// ending at the first blank line.
struct MessageLines {
    std::vector<TextView> lines;
    // The part after the first ": " of line `number` (1-based) when the message has exactly
    // `count` lines; empty otherwise.
    Text ValueAt(size_t count, size_t number) const;
};
MessageLines ReadMessageLines(TextView message);

}  // namespace veltrano
