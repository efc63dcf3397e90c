// Counting how the error records' texts come out.
#include "cli/message_stats.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/json_writer.h"
#include "cli/text_path_names.h"
#include "drive/missing_texts.h"
#include "engine/event_record.h"
#include "engine/message_texts.h"

namespace veltrano {
namespace {

constexpr uint32_t kFirstBuffer = 64 * 1024;

TextPath Classify(Machine& machine, manifest::ManifestEventQuery* query,
                  const EventRecordView& record, TextView logName, bool registryMissing) {
    if (ResolveMessageTexts(machine, record, logName).ErrorText)
        return TextPath::MessageFile;
    return WhyNoText(machine, query,
                     {Text(logName), record.RecordNumber(), record.SourceName(), record.EventID()},
                     registryMissing);
}

void CountLog(Machine& machine, manifest::ManifestEventQuery* query, TextView logName,
              bool registryMissing, MessageStatistics& stats) {
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
            const TextPath path = Classify(machine, query, record, logName, registryMissing);
            for (ProviderTextCounts* counts :
                 {&stats.providers[record.SourceName()], &stats.total}) {
                ++counts->errors;
                ++counts->byPath[static_cast<size_t>(path)];
            }
        });
    }
}

// A path's column: its title and two spaces, at least 16 wide.
size_t ColumnWidth(size_t path) {
    return std::max<size_t>(16, std::strlen(TextPathTitle(static_cast<TextPath>(path))) + 2);
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
        row += Padded(std::to_string(c.byPath[i]), ColumnWidth(i));
    return row + "\n";
}

void WriteCounts(JsonWriter& json, const ProviderTextCounts& c) {
    json.BeginObject().Key("errors").Number(c.errors);
    for (size_t i = 0; i < kTextPathCount; ++i)
        json.Key(TextPathName(static_cast<TextPath>(i))).Number(c.byPath[i]);
    json.EndObject();
}

}  // namespace

MessageStatistics CountMessageTexts(Machine& machine, manifest::ManifestEventQuery* query,
                                    bool registryMissing) {
    MessageStatistics stats;
    for (const TextView log : {TextView(u"Application"), TextView(u"System")})
        CountLog(machine, query, log, registryMissing, stats);
    return stats;
}

std::string RenderMessageStatsTable(const MessageStatistics& stats) {
    size_t width = 8;
    for (const auto& [name, counts] : stats.providers)
        width = std::max(width, Utf16ToUtf8(name).size() + 2);
    std::string out = std::string("provider") + std::string(width - 8, ' ') + Padded("errors", 8);
    for (size_t i = 0; i < kTextPathCount; ++i)
        out += Padded(TextPathTitle(static_cast<TextPath>(i)), ColumnWidth(i));
    out += "\n";
    for (const auto& [name, counts] : stats.providers)
        out += TableRow(Utf16ToUtf8(name), counts, width);
    return out + TableRow("total", stats.total, width);
}

namespace {

// "providers": {…}, "total": {…}, each on a line of its own at an indent.
void WriteStatsFields(JsonWriter& json, const MessageStatistics& stats, const std::string& indent) {
    json.NewLine(indent).Key("providers").BeginObject();
    for (const auto& [name, counts] : stats.providers) {
        json.NewLine(indent + "  ").Key(name);
        WriteCounts(json, counts);
    }
    if (!stats.providers.empty())
        json.NewLine(indent);
    json.EndObject().NewLine(indent).Key("total");
    WriteCounts(json, stats.total);
}

void Add(ProviderTextCounts& sum, const ProviderTextCounts& counts) {
    sum.errors += counts.errors;
    for (size_t i = 0; i < kTextPathCount; ++i)
        sum.byPath[i] += counts.byPath[i];
}

}  // namespace

std::string RenderMessageStatsJson(const MessageStatistics& stats) {
    JsonWriter json;
    json.BeginObject();
    WriteStatsFields(json, stats, "  ");
    return json.NewLine("").EndObject().Take() + "\n";
}

std::string RenderRunMessageStats(const MachineRun& run, bool json) {
    std::vector<std::pair<Text, MessageStatistics>> machines;
    MessageStatistics all;
    for (const RunMachine& m : run.machines) {
        if (m.ports == nullptr)
            continue;
        MessageStatistics stats = CountMessageTexts(*m.ports, m.textQuery, !m.missingHives.empty());
        for (const auto& [provider, counts] : stats.providers)
            Add(all.providers[provider], counts);
        Add(all.total, stats.total);
        machines.emplace_back(m.name, std::move(stats));
    }
    if (run.machines.size() == 1 && machines.size() == 1)
        return json ? RenderMessageStatsJson(all) : RenderMessageStatsTable(all);
    if (json) {
        JsonWriter out;
        out.BeginObject().NewLine("  ").Key("machines").BeginArray();
        for (const auto& [name, stats] : machines) {
            out.NewLine("    ").BeginObject().Key("Machine").String(name);
            WriteStatsFields(out, stats, "     ");
            out.EndObject();
        }
        if (!machines.empty())
            out.NewLine("  ");
        out.EndArray();
        WriteStatsFields(out, all, "  ");
        return out.NewLine("").EndObject().Take() + "\n";
    }
    std::string out;
    for (const auto& [name, stats] : machines)
        out += Utf16ToUtf8(name) + ":\n" + RenderMessageStatsTable(stats) + "\n";
    return out + "All machines:\n" + RenderMessageStatsTable(all);
}

}  // namespace veltrano
