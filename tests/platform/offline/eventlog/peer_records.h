// Records of an event log file as an independent decoder reads them: python-evtx for .evtx files,
// the reference decodings next to the shared samples for the classic ones. Runs
// event_log_peer.py with the system's python3; its output for a sample file is kept in the build
// tree, because python-evtx needs a minute for the largest sample.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "writers/evtx/evtx_log_writer.h"

namespace veltrano::testing {

struct PeerRecord {
    bool decoded = false;  // false: the peer could not decode it (error holds why)
    uint64_t id = 0;
    bool intact = false;   // its sizes and its chunk's header hold
    uint64_t created = 0;  // FILETIME (evtx) or seconds since 1970 (classic)
    uint32_t level = 0;    // the event type of classic records
    uint32_t eventId = 0;
    uint32_t qualifiers = 0;
    Text provider;
    Text sourceName;
    Text computer;
    Text channel;  // empty for classic records
    std::vector<Text> strings;
    std::string error;
};

// Why the peer cannot run here in the mode ("evtx" or "reference"), or empty when it can.
std::string PeerUnavailableReason(const std::string& mode);

// mode: "evtx" or "reference". nullopt when the peer failed.
std::optional<std::vector<PeerRecord>> PeerRecords(const std::string& mode,
                                                   const std::filesystem::path& file,
                                                   bool keepOutput);

// Expects the peer to have decoded, intact, the event our writer wrote from e.
void ExpectWrittenEvent(const PeerRecord& p, const evtxwriter::EvtxEvent& e);

}  // namespace veltrano::testing
