// Readable names of exception codes, taken from the system's own message tables.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "platform/message_tables.h"

namespace veltrano {

Text ExceptionCodeName(MessageTables& messages, uint32_t code);
// The code given as hexadecimal text ("c0000005", "0xC0000005"); no digits read as code 0.
Text ExceptionCodeTextName(MessageTables& messages, TextView text);

}  // namespace veltrano
