// A log file of either format read into a classic log, newest record first.
#pragma once

#include <functional>

#include "platform/offline/eventlog/classic_log.h"
#include "platform/offline/eventlog/evtx_event.h"

namespace veltrano::eventlog {

enum class LogFormat { Evtx, Evt };

// Calls visit with the fields of every record of an .evtx file whose XML reads without damage.
void ForEachEvtxEvent(Bytes file, const std::function<void(const EvtxEventFields&)>& visit);

// The records of a log file, ordered by record number, newest first. A file that holds no
// intact record gives an empty log.
ClassicLog ReadLogFile(Bytes file, LogFormat format);

}  // namespace veltrano::eventlog
