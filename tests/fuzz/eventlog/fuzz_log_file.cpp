// Shared body of the log-file fuzz targets.
#include "fuzz_log_file.h"

#include <cstdlib>
#include <vector>

#include "platform/offline/eventlog/classic_record.h"

namespace veltrano::fuzz {

void CheckLogFile(const uint8_t* data, size_t size, eventlog::LogFormat format) {
    eventlog::ClassicLog log = eventlog::ReadLogFile(eventlog::Bytes(data, size), format);
    for (size_t i = 0; i < log.Count(); ++i) {
        if (!eventlog::ReadClassicRecord(log.Record(i)))
            std::abort();
    }
    // Drain with a buffer that is sometimes too small for the next record.
    std::vector<uint8_t> buffer(size % 4096 + 64);
    size_t records = 0;
    for (;;) {
        EventLogRead r = log.ReadBackwards(buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (!r.ok && r.error == kErrorInsufficientBuffer) {
            if (r.bytesNeeded <= buffer.size())
                std::abort();
            buffer.resize(r.bytesNeeded);
            continue;
        }
        if (!r.ok)
            break;
        for (uint32_t at = 0; at < r.bytesRead; ++records) {
            const uint32_t length = eventlog::Le32(buffer.data() + at);
            if (length < eventlog::kRecordFixedSize || length > r.bytesRead - at)
                std::abort();
            at += length;
        }
    }
    if (records != log.Count())
        std::abort();
}

}  // namespace veltrano::fuzz
