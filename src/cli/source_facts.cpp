// What the scan read and what it skipped.
#include "cli/source_facts.h"

#include "base/json_writer.h"
#include "cli/options.h"

namespace veltrano {
namespace {

using Facts = eventlog::LogFileFacts;
using Outcome = Facts::Outcome;

constexpr char kHiveFolder[] = "C:\\Windows\\System32\\config";

}  // namespace

std::string LogOutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Read:
            return "read";
        case Outcome::NoFile:
            return "no file";
        case Outcome::NotAFile:
            return "not a file";
        case Outcome::Unreadable:
            return "unreadable";
        case Outcome::NotAnEventLog:
            return "not an event log";
    }
    return "";
}

namespace {

std::string Counted(uint64_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string ReadLine(const Facts& log) {
    std::string line = Utf16ToUtf8(log.path) + ": ";
    line += log.records == 0 ? "no records"
                             : Counted(log.records, "record") + ", " + IsoUtc(log.oldest) + " to " +
                                   IsoUtc(log.newest);
    if (log.damagedChunks != 0)
        line += ", " + Counted(log.damagedChunks, "damaged chunk") + " skipped";
    if (log.damagedRecords != 0)
        line += ", " + Counted(log.damagedRecords, "damaged record") + " skipped";
    if (log.truncated)
        line += ", the file is cut short";
    return line;
}

}  // namespace

std::vector<std::string> SourceFactLines(const std::vector<Facts>& logs,
                                         const std::vector<Text>& missingHives) {
    std::vector<std::string> lines;
    for (const Facts& log : logs) {
        std::string line = Utf16ToUtf8(log.log) + ": ";
        switch (log.outcome) {
            case Outcome::Read:
                line += ReadLine(log);
                break;
            case Outcome::NoFile:
                line += "no log file";
                break;
            case Outcome::NotAFile:
                line += Utf16ToUtf8(log.path) + " is not a file, skipped";
                break;
            case Outcome::Unreadable:
                line += Utf16ToUtf8(log.path) + " cannot be read, skipped";
                break;
            case Outcome::NotAnEventLog:
                line += Utf16ToUtf8(log.path) + " is not an event log (no file header), skipped";
                break;
        }
        lines.push_back(line);
    }
    if (!missingHives.empty()) {
        std::string hives;
        for (const Text& hive : missingHives)
            hives += (hives.empty() ? "no " : " and no ") + Utf16ToUtf8(hive);
        lines.push_back("Registry: " + hives + " hive in " + kHiveFolder +
                        ", so the sources' message texts cannot be found on this drive; the "
                        "records' own strings stand in for them");
    }
    return lines;
}

std::string SourcesJson(const std::vector<Facts>& logs, const std::vector<Text>& missingHives) {
    JsonWriter json;
    json.BeginObject().Key("logs").BeginArray();
    for (const Facts& log : logs) {
        json.NewLine("    ").BeginObject().Key("log").String(log.log).Key("path").String(log.path);
        json.Key("outcome").String(LogOutcomeName(log.outcome)).Key("records").Number(log.records);
        // A log without records has no time span.
        auto time = [&](const char* name, FileTime t) {
            json.Key(name);
            log.records == 0 ? json.Null() : json.String(IsoUtc(t));
        };
        time("oldest", log.oldest);
        time("newest", log.newest);
        json.Key("damagedChunks").Number(log.damagedChunks);
        json.Key("damagedRecords").Number(log.damagedRecords);
        json.Key("truncated").Bool(log.truncated).EndObject();
    }
    if (!logs.empty())
        json.NewLine("  ");
    json.EndArray().Key("missingHives");
    json.Array(missingHives, [&](const Text& hive) { json.String(hive); });
    return json.EndObject().Take();
}

bool AnyLogRead(const std::vector<Facts>& logs) {
    for (const Facts& log : logs) {
        if (log.outcome == Outcome::Read)
            return true;
    }
    return false;
}

}  // namespace veltrano
