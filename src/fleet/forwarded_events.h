// A forwarding collector's ForwardedEvents log split into one catalogue per computer that sent
// records: each Application or System record goes through the same record rules as a local log
// of that name, newest first; records of other logs are counted. The file is read chunk by chunk
// (worker threads decode chunks, the caller's thread fills the catalogues), so memory grows with
// the catalogues, not with the log.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

#include "engine/catalogue.h"
#include "platform/machine.h"

namespace veltrano {

// The machine of the records that name no computer.
inline constexpr char16_t kUnknownComputer[] = u"(unknown)";

struct ForwardedMachines {
    std::map<Text, std::unique_ptr<ErrorCatalogue>> catalogues;  // by computer
    std::map<Text, uint64_t> skippedByLog;                       // records of other logs
    uint64_t records = 0;                                        // records read
    uint64_t damagedRecords = 0;                                 // records whose XML does not read
    uint64_t damagedChunks = 0;  // chunks that gave no record (header or records damaged)
};

// files and log: the log file through a files port; ports: the collector's message texts
// (registry, message tables, environment) and the clock; its files and event logs are not used.
// threads: chunk decoders at once. nullopt when the file cannot be opened.
std::optional<ForwardedMachines> SplitForwardedEvents(FileSystem& files, TextView log,
                                                      Machine& ports, int threads);
// The same for a file of the host.
std::optional<ForwardedMachines> SplitForwardedEvents(const std::filesystem::path& log,
                                                      Machine& ports, int threads);

}  // namespace veltrano
