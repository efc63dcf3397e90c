// What was read of a machine.
#include "fleet/run_machine.h"

namespace veltrano {

bool RunMachine::Readable() const {
    if (forwarded)
        return true;
    for (const eventlog::LogFileFacts& log : logs) {
        if (log.outcome == eventlog::LogFileFacts::Outcome::Read)
            return true;
    }
    for (const ReportFolderFacts& folder : reportFolders) {
        if (folder.reports > 0)
            return true;
    }
    // A drive that keeps only its dumps (a blue screen's, the logs gone) has been read too.
    return crashes.dumpsRead > 0;
}

}  // namespace veltrano
