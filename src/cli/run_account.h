// What a run says of its machines on standard error, and the exit status a script acts on: what
// each scan read and skipped (prefixed by the machine when there are several), the machines of
// which nothing could be read, and for several machines a summary line.
#pragma once

#include <string>
#include <vector>

#include "fleet/run_machine.h"

namespace veltrano {

// Exit statuses of a run.
inline constexpr int kExitAllRead = 0;
inline constexpr int kExitNothingRead = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitSomeUnreadable = 3;

// "System: C:\…\System.evtx: 812 records, …" per log, and the registry's line, of one machine.
std::vector<std::string> MachineFactLines(const RunMachine& machine);

// The machine lines, each with "PC-A: " in front when the run has several machines.
std::vector<std::string> RunFactLines(const MachineRun& run);

// One line per machine that could not be opened or of which nothing could be read, then the
// problems and notes of the run; for several machines, "4 machines: 3 read, 1 with nothing
// readable" last.
std::vector<std::string> RunProblemLines(const MachineRun& run);

// 0 when every machine was read, 1 when none was (or none was found), 3 when some were not.
int RunExitStatus(const MachineRun& run);

}  // namespace veltrano
