// veltrano-scan --message-stats: for every error record of the Application and System logs, how
// its message text came out — through the source's message file, through the provider's
// manifest (the event query port), or why not — counted per provider and in total.
#pragma once

#include <map>
#include <string>

#include "engine/catalogue.h"
#include "fleet/run_machine.h"
#include "platform/machine.h"
#include "platform/offline/manifest/manifest_event_query.h"

namespace veltrano {


struct ProviderTextCounts {
    size_t errors = 0;
    size_t byPath[kTextPathCount] = {};
};

struct MessageStatistics {
    std::map<Text, ProviderTextCounts> providers;  // by the record's source name
    ProviderTextCounts total;
};

// query: the manifest port with its reasons; null where the machine has none (a live machine),
// whose records are then judged by the message-file path alone. registryMissing: the drive lacks
// a registry hive, so that no source can be found registered.
MessageStatistics CountMessageTexts(Machine& machine, manifest::ManifestEventQuery* query,
                                    bool registryMissing);

std::string RenderMessageStatsTable(const MessageStatistics& stats);
std::string RenderMessageStatsJson(const MessageStatistics& stats);

// The statistics of every machine of a run whose drive is at hand (a collector's senders have
// none of their own), and of all of them together: one machine as above; several as a table per
// machine and one of all, or JSON {"machines": [{"Machine": …, "providers": …, "total": …}, …],
// "providers": …, "total": …}.
std::string RenderRunMessageStats(const MachineRun& run, bool json);

}  // namespace veltrano
