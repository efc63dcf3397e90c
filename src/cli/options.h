// The command line of veltrano-scan.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/filetime.h"
#include "base/iso_time.h"
#include "platform/clock.h"

namespace veltrano {

enum class OutputFormat { Table, Csv, Json, Ndjson };

struct ScanOptions {
    std::optional<std::string> root;   // the Windows drive to analyse (the first --root)
    std::vector<std::string> roots;    // every --root, in order
    std::optional<std::string> fleet;  // a folder whose subfolders are machines
    std::vector<std::string> logFiles;       // exported logs of the one machine (--log)
    std::vector<std::string> reportFolders;  // report folders of the one machine (--reports)
    std::optional<int> jobs;           // machines scanned at once; none: one per core
    std::optional<int> interval;       // 1 to 4; none: the window's automatic choice
    std::optional<int> language;       // kLanguageEnglish / kLanguageGerman
    std::optional<FileTime> now;       // the current time, for reproducible output
    OutputFormat format = OutputFormat::Table;
    std::optional<std::string> xmlPath;
    std::optional<std::string> zipPath;
    std::optional<std::string> htmlPath;  // the self-contained HTML report
    bool messageStats = false;            // print how the error records' texts came out instead
    bool readDumps = true;    // --dumps: read the crash dumps and join them to their errors
    bool localTimes = false;  // table and CSV dates in the machine's zone rather than UTC
    bool help = false;
    bool version = false;
};

struct ParsedOptions {
    ScanOptions options;
    std::string error;  // one line naming the bad option; empty when the command line is good
};

ParsedOptions ParseScanOptions(const std::vector<std::string>& arguments);

// A FILETIME as the clock's local time with its offset, "2026-12-08T13:00:00+01:00"; as IsoUtc
// when it cannot be converted.
std::string IsoLocal(Clock& clock, FileTime time);

extern const char kUsage[];

}  // namespace veltrano
