// Message tables port over LoadLibraryExW and FormatMessageW.
#pragma once

#include "platform/message_tables.h"

namespace veltrano {

class Win32MessageTables : public MessageTables {
  public:
    std::unique_ptr<MessageModule> LoadAsData(TextView path) override;
    std::optional<Text> NativeApiMessage(uint32_t code) override;
    std::optional<Text> SystemMessage(uint32_t id) override;
};

}  // namespace veltrano
