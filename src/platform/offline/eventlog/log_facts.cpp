// The facts of the logs a service opened.
#include "platform/offline/eventlog/log_facts.h"

namespace veltrano::eventlog {

void LogFactsLedger::Record(LogFileFacts facts) {
    for (LogFileFacts& known : logs_) {
        if (EqualsNoCase(known.log, facts.log)) {
            known = std::move(facts);
            return;
        }
    }
    logs_.push_back(std::move(facts));
}

}  // namespace veltrano::eventlog
