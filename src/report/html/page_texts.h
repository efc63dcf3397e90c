// The texts of the report page in the interface language: the window's own (column titles,
// interval buttons, the details link) and the few the page adds (timeline, search, header).
#pragma once

#include <utility>
#include <vector>

#include "base/text.h"

namespace veltrano {

// Pairs of (name the page script uses, text).
std::vector<std::pair<const char*, Text>> PageTexts();

}  // namespace veltrano
