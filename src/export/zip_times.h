// The time stamps of a ZIP entry from a file's FILETIME values: MS-DOS date and time (taken
// directly from the FILETIME, no conversion to local time) and 32-bit Unix times.
#pragma once

#include <cstdint>

#include "base/filetime.h"

namespace veltrano::zip {

struct DosDateTime {
    uint16_t date = 0;
    uint16_t time = 0;
};

// Years outside what the format holds (1980 to 2107) are clamped to its first or last moment.
DosDateTime ToDosDateTime(FileTime time);

// Seconds since 1970 of the time, with a year before 1970 replaced by 1 January 1970 and a year
// after 2037 by 31 December 2037, the time of day kept.
uint32_t ToUnixTime(FileTime time);

}  // namespace veltrano::zip
