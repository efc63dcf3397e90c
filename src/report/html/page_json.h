// The page model as the JSON the page script reads, written to sit inside a
// <script type="application/json"> element: this is where the untrusted texts of logs and
// reports are made safe for the page (the script-safe JSON escaping), and nowhere else.
#pragma once

#include <string>

#include "base/text.h"
#include "report/html/page_model.h"

namespace veltrano {

// The whole page model with the page's texts.
std::string PageModelJson(const PageModel& model);

}  // namespace veltrano
