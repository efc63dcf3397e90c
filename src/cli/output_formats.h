// veltrano-scan's outputs: the window's list as a text table, as CSV (RFC 4180) and as JSON
// with every field of each listed entry. All in UTF-8.
#pragma once

#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/error_rows.h"

namespace veltrano {

// The five columns with their titles, then the status text.
std::string RenderTable(const std::vector<ErrorRow>& rows, const Text& statusText);
std::string RenderCsv(const std::vector<ErrorRow>& rows);
// One object per row; the caller holds CatalogueLock (or the scan has ended). With a machine
// name the object starts with it ("Machine"); sources, when not empty, is the JSON object that
// tells what was read (source_facts.h).
std::string RenderJson(const ErrorCatalogue& catalogue, const std::vector<ErrorRow>& rows,
                       int interval, const Text& statusText, const Text* machine = nullptr,
                       const std::string& sources = {});
// One machine's rows among several.
struct MachineRows {
    Text machine;
    std::vector<ErrorRow> rows;
    Text status;
};
// The machines' rows one after another, with the computer column first when machineColumn is
// set; the table ends with each machine's status line.
std::string RenderFleetTable(const std::vector<MachineRows>& machines, bool machineColumn);
std::string RenderFleetCsv(const std::vector<MachineRows>& machines, bool machineColumn);

// The fields of one error as its JSON object holds them, without the braces.
std::string JsonErrorFields(const ErrorEntry& entry, const ErrorRow& row);

std::string JsonString(TextView text);

}  // namespace veltrano
