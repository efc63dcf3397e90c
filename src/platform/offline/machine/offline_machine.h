// The ports of an analysed Windows drive on any host: "C:\" maps to a host folder, the event logs
// come from its log files, message texts from its registry hives and message files, and those of
// manifest-based providers from their manifests (the event query port).
#pragma once

#include <memory>

#include "platform/machine.h"
#include "platform/offline/eventlog/log_facts.h"
#include "platform/offline/mounted_file_system.h"

namespace veltrano {

namespace manifest {
class ManifestEventQuery;
}

class OfflineMachine {
  public:
    // host: the host's own file system; root: the folder that stands for "C:\"; clock: the
    // clock and time zone to use (the host's, or a fixed one); mounts: host files and folders put
    // into the drive (the first that holds a path wins).
    OfflineMachine(FileSystem& host, Text root, Clock& clock, std::vector<Mount> mounts = {});
    ~OfflineMachine();
    OfflineMachine(const OfflineMachine&) = delete;
    OfflineMachine& operator=(const OfflineMachine&) = delete;

    Machine& machine() { return machine_; }
    // What became of each log the scan opened.
    const std::vector<eventlog::LogFileFacts>& LogFacts() const;
    // The event query port with the reasons why a record's text came out or not.
    manifest::ManifestEventQuery& manifestQuery();
    // The registry hives ("SYSTEM", "SOFTWARE") that the drive lacks or that cannot be read.
    std::vector<Text> MissingHives();
    // The host path a drive path is mounted from; empty when it is the drive's own.
    Text HostPathOf(TextView path) const;

  private:
    struct Adapters;
    std::unique_ptr<Adapters> adapters_;
    Machine machine_;
};

// The Windows folder of every analysed drive.
inline constexpr char16_t kAnalysedSystemRoot[] = u"C:\\Windows";

}  // namespace veltrano
