// What a machine's crash dumps add to its errors: the user-mode dump joined to each crash it
// belongs to, and the stop error that a blue screen's records and kernel dump become; both by
// the key of the error they describe, for every output to show beside the error.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "crash/crash_analysis.h"
#include "platform/offline/dump/kernel_dump.h"

namespace veltrano::crash {

// How a dump was found to belong to its error.
enum class DumpJoin {
    ReportFolder,    // it lies in the folder of the error's report
    ProcessAndTime,  // a LocalDumps file: the crash record's process id and time match
    Time,            // a LocalDumps file: the program and time match; the record names no process
};

// "report folder", "process id and time", "time".
const char* DumpJoinName(DumpJoin join);

// Whether the crash record's own fault module and offset are the dump's.
enum class FaultAgreement {
    Agrees,
    Differs,       // the two are shown side by side; neither is preferred
    RecordSilent,  // the record names no fault module (a report file, or strings of no known layout)
};

// "agrees", "differs", "record silent".
const char* FaultAgreementName(FaultAgreement agreement);

struct JoinedDump {
    Text path;  // the dump as the analysed drive names it
    DumpJoin join = DumpJoin::ReportFolder;
    CrashAnalysis analysis;
    FaultAgreement agreement = FaultAgreement::RecordSilent;
    // The fault the record (else its report) names, as compared: "lumen.dll", "0x1a2b".
    Text recordModule;
    Text recordOffset;
    int32_t dumps = 1;  // dumps that belong to the error; the newest is the one described
};

// A blue screen: the bug check of a "BugCheck" 1001 record, with what its kernel dump says.
struct StopError {
    uint32_t bugCheckCode = 0;
    Text bugCheckName;  // the published name; empty for a code the table lacks
    std::array<uint64_t, 4> parameters{};
    Text dumpPath;  // the kernel dump, as the drive names it; empty when none was found
    std::optional<dump::KernelDumpHeader> dump;
    int32_t powerRecords = 0;     // "Kernel-Power" 41 records of the same boots taken into it
    int32_t shutdownRecords = 0;  // "EventLog" 6008 records of the same boots taken into it
};

struct CrashFindings {
    std::map<Text, JoinedDump> dumps;       // by the key of the crash (or report) error
    std::map<Text, StopError> stopErrors;   // by the key of the stop error's row
    std::vector<std::string> problems;      // dumps that could not be read, one line each
    int32_t dumpsRead = 0;                  // user-mode and kernel dumps read

    const JoinedDump* DumpOf(const Text& key) const {
        const auto it = dumps.find(key);
        return it == dumps.end() ? nullptr : &it->second;
    }
    const StopError* StopErrorOf(const Text& key) const {
        const auto it = stopErrors.find(key);
        return it == stopErrors.end() ? nullptr : &it->second;
    }
};

}  // namespace veltrano::crash
