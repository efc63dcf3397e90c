// Reads the Application and System logs newest first in three phases (the Application log's
// last week, the whole System log, the rest of the Application log), feeds every buffer to the
// record processing, and posts the first-week notice and the progress texts.
#pragma once

#include "engine/catalogue.h"
#include "platform/machine.h"

namespace veltrano {

constexpr uint32_t kInitialReadBuffer = 16384;
constexpr int kBuffersPerProgress = 20;
constexpr uint32_t kFinalPauseMilliseconds = 2000;

// 0, or -1 when a log could not be opened or reading failed (see the phases).
int ReadEventLogs(ErrorCatalogue& catalogue, Machine& machine);

}  // namespace veltrano
