// Message texts of every error record of the largest shared log through the event query port of
// an analysed drive, against the engine's message-file path over the same records and drive
// (its peer: the path the engine tries first). The drive holds the log and, for every provider
// its error records name, a binary with a manifest of our writer (the real services.exe
// manifest for the Service Control Manager when the samples have it) and an en-US .mui with a
// message per event; the providers are registered as publishers and as classic sources naming
// the same file. Prints the time per record cold (fresh ports: the log indexed, hives and files
// read) and warm (the same ports again), the records resolved, and the ratio to the peer.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "engine/event_record.h"
#include "manifest_drive.h"
#include "engine/message_texts.h"
#include "platform/host.h"
#include "platform/offline/eventlog/log_file.h"
#include "platform/offline/host_clock.h"
#include "platform/offline/machine/offline_machine.h"
#include "platform/offline/manifest/crim_manifest.h"
#include "writers/hive/event_source_keys.h"
#include "writers/manifest/crim_writer.h"
#include "writers/manifest/resource_dll_writer.h"

namespace fs = std::filesystem;
using namespace veltrano;

namespace {

constexpr const char* kLargestLog = "DAM_Win2012R2_StolenSzechuan__System.evtx";
constexpr const char* kServicesManifest = "pyevtx-rs__services_wevt_template.bin";

// Every error record of the log, as the engine reads them.
std::vector<std::vector<uint8_t>> ErrorRecords(Machine& machine) {
    std::vector<std::vector<uint8_t>> records;
    auto log = machine.eventLogs->Open(u"System");
    std::vector<uint8_t> buffer(1 << 16);
    for (;;) {
        const EventLogRead read =
            log->ReadBackwards(buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (!read.ok)
            break;
        uint32_t offset = 0;
        WalkEventRecords(buffer.data(), read.bytesRead, [&](const EventRecordView& r) {
            if (r.EventType() == kEventTypeError)
                records.emplace_back(buffer.begin() + offset, buffer.begin() + offset + r.Length());
            offset += r.Length();
        });
    }
    return records;
}

struct Pass {
    double microseconds = 0;
    size_t resolved = 0;
};

template <typename Resolve>
Pass Time(const std::vector<std::vector<uint8_t>>& records, Resolve resolve) {
    using Clock = std::chrono::steady_clock;
    Pass pass;
    const auto start = Clock::now();
    for (const auto& bytes : records) {
        const EventRecordView r(bytes.data(), static_cast<uint32_t>(bytes.size()));
        pass.resolved += resolve(r) ? 1 : 0;
    }
    pass.microseconds = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    return pass;
}

}  // namespace

int main() {
    const fs::path samples = VELTRANO_SAMPLES_DIR;
    const fs::path log = samples / "evtx" / kLargestLog;
    if (!fs::exists(log)) {
        std::fprintf(stderr, "the shared samples are not there (%s)\n", log.c_str());
        return 1;
    }
    const fs::path root =
        fs::temp_directory_path() / ("veltrano-bench-" + std::to_string(std::random_device()()));
    const size_t modern = bench::BuildManifestDrive(root, log, samples / "wevt" / kServicesManifest);
    auto host = MakeHostFileSystem();
    auto hostClock = MakeHostClock();

    std::vector<std::vector<uint8_t>> records;
    {
        OfflineMachine reader(*host, Utf8ToUtf16(root.string()), *hostClock);
        records = ErrorRecords(reader.machine());
    }
    const auto query = [&](Machine& m) {
        return [&m](const EventRecordView& r) {
            return QueryEventText(m, u"System", r.RecordNumber()).has_value();
        };
    };
    const auto messageFile = [&](Machine& m) {
        return [&m](const EventRecordView& r) {
            return ResolveMessageTexts(m, r, u"System").ErrorText.has_value();
        };
    };
    OfflineMachine manifestPorts(*host, Utf8ToUtf16(root.string()), *hostClock);
    const Pass cold = Time(records, query(manifestPorts.machine()));
    const Pass warm = Time(records, query(manifestPorts.machine()));
    OfflineMachine classicPorts(*host, Utf8ToUtf16(root.string()), *hostClock);
    const Pass peerCold = Time(records, messageFile(classicPorts.machine()));
    const Pass peerWarm = Time(records, messageFile(classicPorts.machine()));
    fs::remove_all(root);

    const double n = static_cast<double>(records.size());
    std::printf("%zu error records of %s, %zu of providers with a manifest\n", records.size(),
                kLargestLog, modern);
    std::printf("event query (manifest): cold %.2f us/record, warm %.2f us/record, %zu resolved\n",
                cold.microseconds / n, warm.microseconds / n, warm.resolved);
    std::printf("message file (peer):    cold %.2f us/record, warm %.2f us/record, %zu resolved\n",
                peerCold.microseconds / n, peerWarm.microseconds / n, peerWarm.resolved);
    std::printf("ratio to the peer: cold %.2f, warm %.2f\n",
                cold.microseconds / peerCold.microseconds,
                warm.microseconds / peerWarm.microseconds);
    return cold.resolved == modern && warm.resolved == modern ? 0 : 1;
}
