// What an error's crash dump or blue screen adds to its outputs: the JSON fields every error
// object carries (empty where there is nothing), and the text of the table's and CSV's crash
// column.
#pragma once

#include "base/json_writer.h"
#include "crash/crash_findings.h"

namespace veltrano {

// The fields after the error's own; dump and stop may be null.
void WriteCrashFields(JsonWriter& json, const crash::JoinedDump* dump, const crash::StopError* stop);

// "lumen.dll+0x1a2b [d9134ec2]", with the record's fault where it differs; for a blue screen
// "0x0000000a IRQL_NOT_LESS_OR_EQUAL, nvlddmkm.sys+0x1a2b"; empty without either.
Text CrashCell(const crash::JoinedDump* dump, const crash::StopError* stop);

// The crash column's title.
Text CrashColumnTitle();

// A frame as "module+0x1a2b", or its address where it lies in no module.
Text FrameText(const crash::CrashAnalysis& analysis, const crash::Frame& frame);

}  // namespace veltrano
