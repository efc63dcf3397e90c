// What a crash ("Application Error" 1000) or hang ("Application Hang" 1002) record says in its
// insertion strings, by their fixed positions: what its message text would show, for a drive
// whose message files are not at hand.
#pragma once

#include <cstdint>
#include <vector>

#include "base/text.h"

namespace veltrano {

struct CrashStringFacts {
    Text appPath;
    Text exceptionCode;  // "0xc0000005", as the message line writes it
    Text reportId;
    Text faultModule;
    Text faultModuleVersion;
    Text faultOffset;  // "0x000000000004f3a2"
    Text processId;    // "0x1a2c"
};

enum class CrashSource { Crash, Hang };

// The facts of a record of event identifier eventId (low 16 bits) from its strings. Only events
// and string counts whose layout is known give facts, and only values of the expected shape are
// taken: everything else stays empty.
CrashStringFacts CrashFactsFromStrings(CrashSource source, uint32_t eventId,
                                       const std::vector<Text>& strings);

}  // namespace veltrano
