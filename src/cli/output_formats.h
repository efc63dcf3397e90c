// veltrano-scan's outputs: the window's list as a text table, as CSV (RFC 4180) and as JSON
// with every field of each listed entry. All in UTF-8.
#pragma once

#include <string>
#include <vector>

#include "base/json_writer.h"
#include "crash/crash_findings.h"
#include "engine/catalogue.h"
#include "engine/error_rows.h"
#include "platform/clock.h"

namespace veltrano {

// One object per row; the caller holds CatalogueLock (or the scan has ended). With a machine
// name the object starts with it ("Machine"); sources, when not empty, is the JSON object that
// tells what was read (source_facts.h). The clock gives the days of the day counts; crashes, when
// given, the errors' dumps and blue screens.
std::string RenderJson(const ErrorCatalogue& catalogue, const std::vector<ErrorRow>& rows,
                       int interval, const Text& statusText, Clock& clock,
                       const Text* machine = nullptr, const std::string& sources = {},
                       const crash::CrashFindings* crashes = nullptr);
// One machine's rows among several.
struct MachineRows {
    Text machine;
    std::vector<ErrorRow> rows;
    Text status;
    const crash::CrashFindings* crashes = nullptr;  // its dumps and blue screens; may be null
};
// The machines' rows one after another, with the computer column first when machineColumn is
// set: the window's five columns and the last error's date and time, before the path, in UTC or,
// given a local zone, in its time with the offset. The table ends with each machine's status
// line, after the machine's name. Where a machine has dumps or blue screens, a crash column
// follows the path.
std::string RenderFleetTable(const std::vector<MachineRows>& machines, bool machineColumn,
                             Clock* localZone = nullptr);
std::string RenderFleetCsv(const std::vector<MachineRows>& machines, bool machineColumn,
                           Clock* localZone = nullptr);

// The fields of one error as its JSON object holds them, into the object the caller opened.
void WriteErrorFields(JsonWriter& json, const ErrorEntry& entry, const ErrorRow& row, Clock& clock,
                      const crash::CrashFindings* crashes);

}  // namespace veltrano
