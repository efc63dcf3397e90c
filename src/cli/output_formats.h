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
// One object per row; the caller holds CatalogueLock (or the scan has ended). sources, when not
// empty, is the JSON object that tells what was read (source_facts.h).
std::string RenderJson(const ErrorCatalogue& catalogue, const std::vector<ErrorRow>& rows,
                       int interval, const Text& statusText, const std::string& sources = {});

std::string JsonString(TextView text);

}  // namespace veltrano
