// A scanned machine as the page describes it.
#include "report/html/report_page.h"

#include "platform/machine.h"

namespace veltrano {

ReportMachine ScannedMachine(Machine& machine, const ErrorCatalogue& catalogue,
                             TextView fallbackName, std::vector<ReportFact> facts) {
    ReportMachine m;
    if (machine.registry != nullptr) {
        m.name = machine.registry->ReadMachineString(
            u"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", u"ComputerName");
    }
    if (m.name.empty())
        m.name = Text(fallbackName);
    m.catalogue = &catalogue;
    m.clock = machine.clock;
    m.system = machine.system;
    m.environment = machine.environment;
    m.facts = std::move(facts);
    return m;
}

}  // namespace veltrano
