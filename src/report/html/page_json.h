// The page model as the JSON the page script reads, written to sit inside a
// <script type="application/json"> element: this is where the untrusted texts of logs and
// reports are made safe for the page, and nowhere else.
#pragma once

#include <string>

#include "base/text.h"
#include "report/html/page_model.h"

namespace veltrano {

// A JSON string literal (UTF-8) that no HTML parser can end early: besides the JSON escapes,
// "<", ">" and "&" are written as \u003c, \u003e, \u0026, U+2028 and U+2029 as escapes, and a
// lone surrogate unit as its \u escape (JSON.parse keeps it).
std::string ScriptJsonString(TextView text);

// The whole page model with the page's texts.
std::string PageModelJson(const PageModel& model);

}  // namespace veltrano
