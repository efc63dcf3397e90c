// Events and logs for the event-log reader tests, written by our own writers.
#pragma once

#include <vector>

#include "platform/offline/eventlog/classic_log.h"
#include "platform/offline/eventlog/log_file.h"
#include "writers/evtx/evtx_log_writer.h"

namespace veltrano::testing {

// An "Application Error"-like event; every field depends on id so that tests can tell records
// apart.
evtxwriter::EvtxEvent NumberedEvent(uint64_t id);
std::vector<evtxwriter::EvtxEvent> NumberedEvents(uint64_t first, uint64_t count);

// All events of an .evtx file that read without damage, in file order.
std::vector<eventlog::EvtxEventFields> ReadEvents(const std::vector<uint8_t>& file);

// Every record a log hands out, read back from its bytes, newest first.
std::vector<eventlog::ClassicRecordView> Records(const eventlog::ClassicLog& log);

// The record numbers of the records, in order.
std::vector<uint32_t> Numbers(const std::vector<eventlog::ClassicRecordView>& records);

}  // namespace veltrano::testing
