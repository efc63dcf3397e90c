// The checks every log-file fuzz target makes on what the reader hands out: every record is
// well-formed, the reads keep the buffer contract, and draining the log ends.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/offline/eventlog/log_file.h"

namespace veltrano::fuzz {

void CheckLogFile(const uint8_t* data, size_t size, eventlog::LogFormat format);

}  // namespace veltrano::fuzz
