// Names of how a dump was joined and whether it agrees with its record.
#include "crash/crash_findings.h"

namespace veltrano::crash {

const char* DumpJoinName(DumpJoin join) {
    switch (join) {
        case DumpJoin::ReportFolder:
            return "report folder";
        case DumpJoin::ProcessAndTime:
            return "process id and time";
        case DumpJoin::Time:
            return "time";
    }
    return "";
}

const char* FaultAgreementName(FaultAgreement agreement) {
    switch (agreement) {
        case FaultAgreement::Agrees:
            return "agrees";
        case FaultAgreement::Differs:
            return "differs";
        case FaultAgreement::RecordSilent:
            return "record silent";
    }
    return "";
}

}  // namespace veltrano::crash
