// A log file of either format read into a classic log, newest record first.
#pragma once

#include <functional>

#include "platform/offline/eventlog/classic_log.h"
#include "platform/offline/eventlog/evtx_event.h"
#include "platform/offline/eventlog/log_facts.h"

namespace veltrano::eventlog {

enum class LogFormat { Evtx, Evt };

// Calls visit with the fields of every record of an .evtx file whose XML reads without damage;
// counts the damage stepped over into facts when given.
void ForEachEvtxEvent(Bytes file, const std::function<void(const EvtxEventFields&)>& visit,
                      LogFileFacts* facts = nullptr);

// The records of a log file, ordered by record number, newest first. A file that holds no
// intact record gives an empty log. Facts, when given, get the records, their time span, the
// damage and whether the file was cut short.
ClassicLog ReadLogFile(Bytes file, LogFormat format, LogFileFacts* facts = nullptr);

}  // namespace veltrano::eventlog
