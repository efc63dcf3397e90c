// Exception code names: the native-API table first, then the system table, one fixed override.
#include "shell/exception_names.h"

namespace veltrano {
namespace {

constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr uint32_t kFacilityWin32 = 8;

}  // namespace

Text ExceptionCodeName(MessageTables& messages, uint32_t code) {
    Text name = messages.NativeApiMessage(code).value_or(Text());
    if (name.empty()) {
        const bool windowsSubsystem = ((code >> 16) & 0x1FFF) == kFacilityWin32;
        name = messages.SystemMessage(windowsSubsystem ? (code & 0xFFFF) : code).value_or(Text());
    }
    if (name.size() >= 2 && name.ends_with(u"\r\n"))
        name.resize(name.size() - 2);
    if (code == kAccessViolation)
        name = u"Memory Access Violation";
    return name;
}

Text ExceptionCodeTextName(MessageTables& messages, TextView text) {
    uint32_t code = 0;
    ParseHex(text, code);
    return ExceptionCodeName(messages, code);
}

}  // namespace veltrano
