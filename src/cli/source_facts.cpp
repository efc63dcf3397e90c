// What the scan read and what it skipped.
#include "cli/source_facts.h"

#include "cli/options.h"
#include "cli/output_formats.h"

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
    std::string out = "{\"logs\": [";
    for (size_t i = 0; i < logs.size(); ++i) {
        const Facts& log = logs[i];
        out += (i == 0 ? "\n    " : ",\n    ");
        out += "{\"log\": " + JsonString(log.log) + ", \"path\": " + JsonString(log.path) +
               ", \"outcome\": \"" + LogOutcomeName(log.outcome) +
               "\", \"records\": " + std::to_string(log.records) +
               ", \"oldest\": " + (log.records == 0 ? "null" : "\"" + IsoUtc(log.oldest) + "\"") +
               ", \"newest\": " + (log.records == 0 ? "null" : "\"" + IsoUtc(log.newest) + "\"") +
               ", \"damagedChunks\": " + std::to_string(log.damagedChunks) +
               ", \"damagedRecords\": " + std::to_string(log.damagedRecords) +
               ", \"truncated\": " + (log.truncated ? "true" : "false") + "}";
    }
    out += logs.empty() ? "]" : "\n  ]";
    std::string hives;
    for (const Text& hive : missingHives)
        hives += (hives.empty() ? "" : ", ") + JsonString(hive);
    return out + ", \"missingHives\": [" + hives + "]}";
}

bool AnyLogRead(const std::vector<Facts>& logs) {
    for (const Facts& log : logs) {
        if (log.outcome == Outcome::Read)
            return true;
    }
    return false;
}

}  // namespace veltrano
