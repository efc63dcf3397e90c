// Counting how the error records' texts come out.
#include "cli/message_stats.h"

#include <algorithm>
#include <vector>

#include "cli/output_formats.h"
#include "engine/event_record.h"
#include "engine/message_texts.h"

namespace veltrano {
namespace {

constexpr const char* kPathNames[kTextPathCount] = {
    "messageFile", "manifest", "notRegistered", "filesMissing", "noMessage", "formattingFailed",
};
constexpr const char* kPathTitles[kTextPathCount] = {
    "message file", "manifest", "not registered", "files missing", "no message", "format failed",
};
constexpr uint32_t kFirstBuffer = 64 * 1024;

// Why the message-file path gave no text for a record.
TextPath ClassicFailure(Machine& machine, const EventRecordView& record, TextView logName) {
    const Text file = MessageFileOf(machine, logName, record.SourceName());
    if (file.empty())
        return TextPath::NotRegistered;
    auto module = machine.messages != nullptr ? machine.messages->LoadAsData(file) : nullptr;
    if (!module)
        return TextPath::FilesMissing;
    return module->Format(record.EventID(), nullptr) ? TextPath::FormattingFailed
                                                     : TextPath::NoMessage;
}

TextPath FromQuery(manifest::QueryOutcome outcome) {
    switch (outcome) {
        case manifest::QueryOutcome::Resolved:
            return TextPath::Manifest;
        case manifest::QueryOutcome::FilesMissing:
            return TextPath::FilesMissing;
        case manifest::QueryOutcome::NoMessage:
            return TextPath::NoMessage;
        case manifest::QueryOutcome::FormattingFailed:
            return TextPath::FormattingFailed;
        case manifest::QueryOutcome::NoRecord:
        case manifest::QueryOutcome::NotRegistered:
            break;
    }
    return TextPath::NotRegistered;
}

TextPath Classify(Machine& machine, manifest::ManifestEventQuery* query,
                  const EventRecordView& record, TextView logName) {
    if (ResolveMessageTexts(machine, record, logName).ErrorText)
        return TextPath::MessageFile;
    const TextPath modern = query != nullptr
                                ? FromQuery(query->Query(logName, record.RecordNumber()).outcome)
                                : TextPath::NotRegistered;
    if (modern == TextPath::Manifest)
        return modern;
    const TextPath classic = ClassicFailure(machine, record, logName);
    // The path that got furthest tells why: the buckets are ordered by how far a lookup went.
    return std::max(classic, modern);
}

void CountLog(Machine& machine, manifest::ManifestEventQuery* query, TextView logName,
              MessageStatistics& stats) {
    auto log = machine.eventLogs != nullptr ? machine.eventLogs->Open(logName) : nullptr;
    if (!log)
        return;
    std::vector<uint8_t> buffer(kFirstBuffer);
    for (;;) {
        const EventLogRead read =
            log->ReadBackwards(buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (!read.ok) {
            if (read.error == kErrorInsufficientBuffer && read.bytesNeeded > buffer.size()) {
                buffer.resize(read.bytesNeeded);
                continue;
            }
            return;
        }
        WalkEventRecords(buffer.data(), read.bytesRead, [&](const EventRecordView& record) {
            if (record.EventType() != kEventTypeError)
                return;
            const TextPath path = Classify(machine, query, record, logName);
            for (ProviderTextCounts* counts :
                 {&stats.providers[record.SourceName()], &stats.total}) {
                ++counts->errors;
                ++counts->byPath[static_cast<size_t>(path)];
            }
        });
    }
}

std::string Padded(std::string text, size_t width) {
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

std::string TableRow(const std::string& name, const ProviderTextCounts& c, size_t nameWidth) {
    std::string row = name + std::string(nameWidth - std::min(nameWidth, name.size()), ' ');
    row += Padded(std::to_string(c.errors), 8);
    for (size_t i = 0; i < kTextPathCount; ++i)
        row += Padded(std::to_string(c.byPath[i]), 16);
    return row + "\n";
}

std::string CountsJson(const ProviderTextCounts& c) {
    std::string out = "{\"errors\": " + std::to_string(c.errors);
    for (size_t i = 0; i < kTextPathCount; ++i)
        out += ", \"" + std::string(kPathNames[i]) + "\": " + std::to_string(c.byPath[i]);
    return out + "}";
}

}  // namespace

MessageStatistics CountMessageTexts(Machine& machine, manifest::ManifestEventQuery* query) {
    MessageStatistics stats;
    for (const TextView log : {TextView(u"Application"), TextView(u"System")})
        CountLog(machine, query, log, stats);
    return stats;
}

std::string RenderMessageStatsTable(const MessageStatistics& stats) {
    size_t width = 8;
    for (const auto& [name, counts] : stats.providers)
        width = std::max(width, Utf16ToUtf8(name).size() + 2);
    std::string out = std::string("provider") + std::string(width - 8, ' ') + Padded("errors", 8);
    for (const char* title : kPathTitles)
        out += Padded(title, 16);
    out += "\n";
    for (const auto& [name, counts] : stats.providers)
        out += TableRow(Utf16ToUtf8(name), counts, width);
    return out + TableRow("total", stats.total, width);
}

std::string RenderMessageStatsJson(const MessageStatistics& stats) {
    std::string out = "{\n  \"providers\": {";
    bool first = true;
    for (const auto& [name, counts] : stats.providers) {
        out += (first ? "\n    " : ",\n    ") + JsonString(name) + ": " + CountsJson(counts);
        first = false;
    }
    return out + (first ? "},\n" : "\n  },\n") + "  \"total\": " + CountsJson(stats.total) +
           "\n}\n";
}

}  // namespace veltrano
