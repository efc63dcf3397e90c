// What the HTML report is made from: one or more scanned machines, each with its catalogue and
// the facts of what its scan read and skipped, and what the page needs of the program itself.
#pragma once

#include <vector>

#include "base/filetime.h"
#include "base/text.h"
#include "engine/catalogue.h"
#include "platform/clock.h"
#include "platform/environment.h"

namespace veltrano::crash {
struct CrashFindings;
}

namespace veltrano {

// One line of a machine's header: "Application log" / "12,345 records, 2025-01-02 … 2026-03-01".
struct ReportFact {
    Text label;
    Text value;
};

struct ReportMachine {
    Text name;
    const ErrorCatalogue* catalogue = nullptr;  // the scan has ended: read without CatalogueLock
    Clock* clock = nullptr;                     // the machine's zone, "now" and date texts
    SystemInfo* system = nullptr;               // for the lookup query; null: no lookup links
    Environment* environment = nullptr;         // user folders masked in the lookup; may be null
    std::vector<ReportFact> facts;              // what was read and skipped, in order
    const crash::CrashFindings* crashes = nullptr;  // its dumps by error key; may be null
};

struct ReportPage {
    Text fileVersion;  // the program's version text, as the lookup query sends its first digit
    std::vector<ReportMachine> machines;
};

}  // namespace veltrano

namespace veltrano {

struct Machine;

// A scanned machine for the page, under the name every output gives it: its catalogue, ports
// and facts.
ReportMachine ScannedMachine(Machine& machine, const ErrorCatalogue& catalogue, Text name,
                             std::vector<ReportFact> facts);

}  // namespace veltrano
