// The ForwardedEvents log of a collector that other sample machines forward their events to.
#pragma once

#include <vector>

#include "sample_machine/sample_content.h"
#include "writers/evtx/evtx_log_writer.h"

namespace veltrano::sample {

// Every event of the senders (each record naming its computer and log), some records of other
// logs, and a few error records without a computer; oldest first, numbered from 1.
std::vector<evtxwriter::EvtxEvent> ForwardedLogEvents(const std::vector<SampleMachine>& senders,
                                                      FileTime now);

}  // namespace veltrano::sample
