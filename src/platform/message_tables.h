// Message tables port: message files loaded as data, and the system's own tables.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/text.h"

namespace veltrano {

// A message module loaded as data (LoadLibraryExW with flags 0x22); released when destroyed.
class MessageModule {
  public:
    virtual ~MessageModule() = default;
    // FormatMessageW(FROM_HMODULE | FROM_SYSTEM | ALLOCATE_BUFFER, language 0): with inserts
    // ignored when arguments is null, else from the argument array. nullopt when no message.
    virtual std::optional<Text> Format(uint32_t messageId, const std::vector<Text>* arguments) = 0;
};

class MessageTables {
  public:
    virtual ~MessageTables() = default;
    // null when the module cannot be loaded.
    virtual std::unique_ptr<MessageModule> LoadAsData(TextView path) = 0;
    // The native-API library's table (ntdll), inserts ignored; nullopt when it has no message.
    virtual std::optional<Text> NativeApiMessage(uint32_t code) = 0;
    // The system table (FORMAT_MESSAGE_FROM_SYSTEM), inserts ignored.
    virtual std::optional<Text> SystemMessage(uint32_t id) = 0;
};

}  // namespace veltrano
