// Hexadecimal numbers as crash facts write them: fixed widths ("0x000000000004a1b2") and any
// width read back ("0x4a1b2", "000000000004A1B2").
#pragma once

#include <cstdint>
#include <optional>

#include "base/text.h"

namespace veltrano::crash {

// "0x" and the value in lower-case hex, zero-padded to digits (at least).
Text PaddedHex(uint64_t value, size_t digits);

// A hexadecimal number of 1 to 16 digits with an optional "0x"; nullopt for anything else.
std::optional<uint64_t> ParseHexNumber(TextView text);

}  // namespace veltrano::crash
