// Registry port over the Win32 registry API.
#pragma once

#include <windows.h>

#include "platform/registry.h"

namespace veltrano {

class Win32Registry : public Registry {
  public:
    Text ReadMachineString(TextView keyPath, TextView valueName) override;
    std::optional<uint32_t> ReadUserDword(TextView keyPath, TextView valueName) override;
    bool WriteUserDword(TextView keyPath, TextView valueName, uint32_t value) override;
    bool WriteUserString(TextView keyPath, TextView valueName, TextView value) override;
    bool DeleteUserKeyTree(TextView keyPath) override;
};

// Deletes a key with all its subkeys, depth first; true when the key is gone afterwards.
bool DeleteKeyTree(HKEY root, const Text& path);

}  // namespace veltrano
