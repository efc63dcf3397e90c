// Writes classic event log files (.evt of Windows NT to 2003): the header, the records in a ring
// that may wrap around the end of the file, and the end-of-file record. For tests and the sample
// machine.
#pragma once

#include <cstdint>
#include <vector>

#include "base/text.h"

namespace veltrano::evtwriter {

struct EvtEvent {
    uint32_t recordNumber = 0;
    uint32_t timeGenerated = 0;  // seconds since 1970
    uint32_t timeWritten = 0;
    uint32_t eventId = 0;    // the full 32-bit value, severity bits included
    uint16_t eventType = 4;  // 1 error, 2 warning, 4 information
    uint16_t category = 0;
    Text source;
    Text computer;
    std::vector<Text> strings;
    std::vector<uint8_t> userSid;
    std::vector<uint8_t> data;
};

struct EvtFileOptions {
    uint32_t fileSize = 0x10000;
    // Where the oldest record starts; records that reach the end of the file continue after
    // the header, so a start near the end makes the log wrap.
    uint32_t startOffset = 48;
    bool dirty = false;
};

// Throws std::length_error when the records and the end-of-file record do not fit the ring.
std::vector<uint8_t> WriteEvtLog(const std::vector<EvtEvent>& events,
                                 const EvtFileOptions& options = {});

constexpr uint32_t kEvtHeaderSize = 48;

}  // namespace veltrano::evtwriter
