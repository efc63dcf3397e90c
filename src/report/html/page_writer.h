// The report page: one HTML file holding its style, script, icons and data, which opens in any
// browser without a network.
#pragma once

#include <string>

#include "base/text.h"
#include "platform/files.h"
#include "report/html/report_page.h"

namespace veltrano {

// The page in UTF-8.
std::string RenderReportPage(const ReportPage& page);

// Writes the page to a host file; false when it cannot be created or written whole.
bool WriteReportPage(FileSystem& files, TextView path, const ReportPage& page);

}  // namespace veltrano
