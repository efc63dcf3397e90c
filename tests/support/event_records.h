// Classic event log records built byte by byte for tests, in the EVENTLOGRECORD layout.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"

namespace veltrano::testing {

struct RecordFields {
    uint32_t recordNumber = 1;
    int64_t timeGenerated = 0;  // seconds since 1970
    uint32_t eventId = 1000;
    uint16_t eventType = 1;  // error
    Text source = u"Application Error";
    Text computer = u"PC";
    std::vector<Text> strings;
    // Overrides for damaged records.
    std::optional<uint16_t> numStrings;
    std::optional<uint32_t> stringOffset;
    std::optional<uint32_t> lengthField;
};

std::vector<uint8_t> BuildRecord(const RecordFields& fields);

// Seconds since 1970 of a FILETIME.
inline int64_t UnixTime(FileTime ft) {
    return FileTimeToUnixSeconds(ft);
}

}  // namespace veltrano::testing
