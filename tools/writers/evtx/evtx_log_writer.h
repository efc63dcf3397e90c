// Event logs as the Windows event-log service writes them for classic event sources: every event
// in the classic template (System with Provider, EventID and Qualifiers, Level, Task, Keywords,
// TimeCreated, EventRecordID, Channel, Computer, Security; EventData with one Data element per
// insertion string); events of manifest-based providers also name the provider's Guid and the
// event's Version. For tests and the sample machine.
#pragma once

#include <optional>
#include <vector>

#include "writers/evtx/evtx_file_writer.h"

namespace veltrano::evtxwriter {

struct EvtxEvent {
    uint64_t recordId = 0;
    FileTime time = 0;
    uint8_t level = 4;  // 1 critical, 2 error, 3 warning, 4 information
    Text provider;
    std::optional<Text> eventSourceName;
    std::optional<Text> providerGuid;  // "{...}": a manifest-based provider
    uint8_t version = 0;               // written with providerGuid
    uint16_t eventId = 0;
    std::optional<uint16_t> qualifiers;
    uint16_t task = 0;
    Text computer;
    // The log the event was written to when it is not the file's (a collector's forwarded events).
    std::optional<Text> channel;
    std::vector<Text> data;
};

// channel: the log's name ("Application", "System").
std::vector<uint8_t> WriteEvtxLog(const std::vector<EvtxEvent>& events, TextView channel,
                                  const EvtxFileOptions& options = {});

// The template and values WriteEvtxLog writes for one event, for tests that vary them.
std::shared_ptr<const EvtxTemplate> ClassicEventTemplate(size_t dataCount, bool manifest = false);
std::vector<EvtxValue> ClassicEventValues(const EvtxEvent& event, TextView channel);

}  // namespace veltrano::evtxwriter
