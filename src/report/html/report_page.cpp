// A scanned machine as the page describes it.
#include "report/html/report_page.h"

#include "platform/machine.h"

namespace veltrano {

ReportMachine ScannedMachine(Machine& machine, const ErrorCatalogue& catalogue, Text name,
                             std::vector<ReportFact> facts) {
    ReportMachine m;
    m.name = std::move(name);
    m.catalogue = &catalogue;
    m.clock = machine.clock;
    m.system = machine.system;
    m.environment = machine.environment;
    m.facts = std::move(facts);
    return m;
}

}  // namespace veltrano
