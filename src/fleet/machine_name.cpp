// Reading a machine's own name.
#include "fleet/machine_name.h"

#include <optional>
#include <vector>

#include "engine/event_record.h"
#include "fleet/fleet_folders.h"
#include "fleet/forwarded_events.h"
#include "platform/offline/eventlog/byte_cursor.h"

namespace veltrano {
namespace {

constexpr char16_t kComputerNameKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
constexpr uint32_t kFirstReadBuffer = 65536;
constexpr uint32_t kLargestRecord = 16u << 20;

struct NamedRecord {
    uint32_t time = 0;
    Text computer;
};

// The newest record of a log (the first a backwards read gives), with the computer it names.
std::optional<NamedRecord> NewestRecord(EventLogService& logs, TextView logName) {
    auto log = logs.Open(logName);
    if (!log)
        return std::nullopt;
    std::vector<uint8_t> buffer(kFirstReadBuffer);
    for (;;) {
        const EventLogRead read =
            log->ReadBackwards(buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (read.ok && read.bytesRead >= kEventRecordFixedSize && read.bytesRead <= buffer.size()) {
            const uint32_t length = eventlog::Le32(buffer.data());
            if (length < kEventRecordFixedSize || length > read.bytesRead)
                return std::nullopt;
            const EventRecordView record(buffer.data(), length);
            const size_t computerOffset =
                kEventRecordFixedSize + (record.SourceName().size() + 1) * sizeof(char16_t);
            if (computerOffset >= length)
                return std::nullopt;
            return NamedRecord{record.TimeGenerated(),
                               record.TextAt(static_cast<uint32_t>(computerOffset))};
        }
        if (read.ok || read.error != kErrorInsufficientBuffer ||
            read.bytesNeeded <= buffer.size() || read.bytesNeeded > kLargestRecord)
            return std::nullopt;
        buffer.resize(read.bytesNeeded);
    }
}

}  // namespace

Text RecordedComputerName(Machine& machine, const std::vector<eventlog::LogFileFacts>* logs) {
    if (machine.registry != nullptr) {
        Text name = machine.registry->ReadMachineString(kComputerNameKey, u"ComputerName");
        if (!name.empty())
            return name;
    }
    std::optional<NamedRecord> newest;
    auto consider = [&newest](NamedRecord record) {
        if (!record.computer.empty() && (!newest || record.time > newest->time))
            newest = std::move(record);
    };
    if (logs != nullptr) {
        for (const eventlog::LogFileFacts& log : *logs) {
            if (log.records > 0)
                consider(
                    {static_cast<uint32_t>(FileTimeToUnixSeconds(log.lastTime)), log.lastComputer});
        }
    } else if (machine.eventLogs != nullptr) {
        for (TextView log : {TextView(u"Application"), TextView(u"System")}) {
            if (auto record = NewestRecord(*machine.eventLogs, log))
                consider(std::move(*record));
        }
    }
    return newest ? newest->computer : Text();
}

Text MachineName(Machine& machine, const std::string& folder,
                 const std::vector<eventlog::LogFileFacts>* logs) {
    Text name = RecordedComputerName(machine, logs);
    if (name.empty())
        name = folder.empty() ? Text() : Utf8ToUtf16(FolderName(folder));
    return name.empty() ? Text(kUnknownComputer) : name;
}

}  // namespace veltrano
