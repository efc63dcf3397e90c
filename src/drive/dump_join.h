// Which error of a catalogue a user-mode dump belongs to, and whether the crash record's own
// fault module and offset are the dump's.
#pragma once

#include <optional>

#include "base/text.h"
#include "crash/crash_findings.h"
#include "engine/catalogue.h"
#include "platform/files.h"

namespace veltrano {

// Where the record (or its report) puts the fault: "lumen.dll", "0x000000000001a2b3".
struct RecordFault {
    Text module;
    Text offset;
};

// The fault a report file names in its signature ("Fault Module Name", "Exception Offset").
RecordFault ReportFault(TextView reportText);

struct DumpOwner {
    Text key;  // the error's key in the catalogue
    crash::DumpJoin join = crash::DumpJoin::ReportFolder;
    RecordFault reportFault;  // what the dump's report names, for a dump beside one
};

// The error of the report file a dump lies beside: the crash event the report is joined to, else
// the report's own. nullopt when the report cannot be read or has no error in the catalogue.
std::optional<DumpOwner> OwnerOfReportDump(const ErrorCatalogue& catalogue, FileSystem& files,
                                           TextView reportFile);

// The program crash ("Application Error") a LocalDumps file belongs to: the program of the dump's
// process (its file name "app.exe.1234.dmp" where the dump names no modules), a crash of it within
// two minutes of the dump, and, where the entry's record names its process, the same process id.
std::optional<DumpOwner> OwnerOfLocalDump(const ErrorCatalogue& catalogue, TextView dumpPath,
                                          const crash::CrashAnalysis& analysis);

// The record's fault: its entry's own, else its report's.
RecordFault FaultOfRecord(const ErrorEntry& entry, const RecordFault& reportFault);

// The record's fault against the dump's faulting module.
crash::FaultAgreement CompareFault(const RecordFault& fault, const crash::CrashAnalysis& analysis);

}  // namespace veltrano
