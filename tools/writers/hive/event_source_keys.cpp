// Event source registration keys.
#include "writers/hive/event_source_keys.h"

#include <cstdio>

namespace veltrano {
namespace {

Text ControlSetName(uint32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "ControlSet%03u", number);
    return Ascii(name);
}

}  // namespace

void SelectControlSet(HiveWriter& system, uint32_t current) {
    system.Root()
        .Key(u"Select")
        .SetDword(u"Current", current)
        .SetDword(u"Default", current)
        .SetDword(u"Failed", 0)
        .SetDword(u"LastKnownGood", current);
}

HiveWriterKey& AddEventSource(HiveWriter& system, uint32_t controlSet, TextView log,
                              TextView source, TextView eventMessageFile) {
    const Text path =
        ControlSetName(controlSet) + u"\\Services\\EventLog\\" + Text(log) + u"\\" + Text(source);
    return system.Root()
        .Key(path)
        .SetExpandString(u"EventMessageFile", eventMessageFile)
        .SetDword(u"TypesSupported", 7);
}

void AddCrashSources(HiveWriter& system, uint32_t controlSet, TextView eventMessageFile) {
    for (const TextView source : {TextView(u"Application Error"), TextView(u"Application Hang")}) {
        AddEventSource(system, controlSet, u"Application", source, eventMessageFile);
    }
}

HiveWriterKey& AddPublisher(HiveWriter& software, TextView guid, TextView messageFileName) {
    return software.Root()
        .Key(Text(u"Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\").append(guid))
        .SetExpandString(u"MessageFileName", messageFileName);
}

}  // namespace veltrano
