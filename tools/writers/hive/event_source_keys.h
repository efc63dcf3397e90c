// The registry keys through which Windows finds the message files of event sources, written
// into hives for the tests and the sample machine.
#pragma once

#include "writers/hive/hive_writer.h"

namespace veltrano {

// SYSTEM\Select: Current, Default and LastKnownGood name ControlSet00<current>.
void SelectControlSet(HiveWriter& system, uint32_t current);

// SYSTEM\ControlSet00<controlSet>\Services\EventLog\<log>\<source> with its EventMessageFile
// (REG_EXPAND_SZ) and TypesSupported; returns the key for further values (providerGuid, ...).
HiveWriterKey& AddEventSource(HiveWriter& system, uint32_t controlSet, TextView log,
                              TextView source, TextView eventMessageFile);

// The sources through which Windows reports crashed and hung programs, "Application Error" and
// "Application Hang" in the Application log, with their message file.
void AddCrashSources(HiveWriter& system, uint32_t controlSet, TextView eventMessageFile);

// SOFTWARE\Microsoft\Windows\CurrentVersion\WINEVT\Publishers\<guid> with its MessageFileName.
HiveWriterKey& AddPublisher(HiveWriter& software, TextView guid, TextView messageFileName);

}  // namespace veltrano
