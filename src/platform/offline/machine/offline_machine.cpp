// Assembly of the offline adapters.
#include "platform/offline/machine/offline_machine.h"

#include <algorithm>
#include <thread>

#include "platform/host.h"
#include "platform/offline/drive_environment.h"
#include "platform/offline/drive_mapped_file_system.h"
#include "platform/offline/eventlog/offline_event_log.h"
#include "platform/offline/host_clock.h"
#include "platform/offline/manifest/manifest_event_query.h"
#include "platform/offline/messages/pe_message_tables.h"
#include "platform/offline/registry/hive_registry.h"

namespace veltrano {
namespace {

// A log's chunks are decoded on the processors there are, up to four (more give little: the
// reader of the records then waits for nothing).
int LogDecoderThreads() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

}  // namespace

struct OfflineMachine::Adapters {
    Adapters(FileSystem& host, Text root, std::vector<Mount> mounts)
        : mapped(host, std::move(root)),
          drive(mapped, host, std::move(mounts)),
          registry(drive, kAnalysedSystemRoot),
          environment(kAnalysedSystemRoot, &registry),
          messages(drive, kAnalysedSystemRoot),
          eventQuery(drive, kAnalysedSystemRoot, registry, &environment, &messages),
          eventLogs(MakeOfflineEventLogService(drive, kAnalysedSystemRoot, &logFacts,
                                               LogDecoderThreads())),
          system(MakeHostSystemInfo()),
          ansi(MakeHostAnsiCodePage()) {}
    DriveMappedFileSystem mapped;
    MountedFileSystem drive;
    HiveRegistry registry;
    DriveEnvironment environment;
    PeMessageTables messages;
    eventlog::LogFactsLedger logFacts;
    manifest::ManifestEventQuery eventQuery;
    std::unique_ptr<OfflineEventLogService> eventLogs;
    std::unique_ptr<SystemInfo> system;
    std::unique_ptr<AnsiCodePage> ansi;
};

OfflineMachine::OfflineMachine(FileSystem& host, Text root, Clock& clock, std::vector<Mount> mounts)
    : adapters_(std::make_unique<Adapters>(host, std::move(root), std::move(mounts))) {
    Adapters& a = *adapters_;
    a.eventQuery.FollowReads(a.eventLogs.get());
    machine_.files = &a.drive;
    machine_.clock = &clock;
    machine_.system = a.system.get();
    machine_.eventLogs = a.eventLogs.get();
    machine_.registry = &a.registry;
    machine_.messages = &a.messages;
    machine_.eventQuery = &a.eventQuery;
    machine_.environment = &a.environment;
    machine_.ansi = a.ansi.get();
}

OfflineMachine::~OfflineMachine() = default;

const std::vector<eventlog::LogFileFacts>& OfflineMachine::LogFacts() const {
    return adapters_->logFacts.Logs();
}

manifest::ManifestEventQuery& OfflineMachine::manifestQuery() {
    return adapters_->eventQuery;
}

Text OfflineMachine::HostPathOf(TextView path) const {
    return adapters_->drive.HostPathOf(path);
}

std::vector<Text> OfflineMachine::MissingHives() {
    std::vector<Text> missing;
    for (const TextView hive : {TextView(u"SYSTEM"), TextView(u"SOFTWARE")}) {
        if (!adapters_->registry.HasHive(hive))
            missing.emplace_back(hive);
    }
    return missing;
}

}  // namespace veltrano
