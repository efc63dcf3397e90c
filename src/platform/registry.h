// Registry port: the machine's string values (message files of event sources) and the current
// user's settings.
#pragma once

#include <cstdint>
#include <optional>

#include "base/text.h"

namespace veltrano {

class Registry {
  public:
    virtual ~Registry() = default;
    // A REG_SZ / REG_EXPAND_SZ value under HKEY_LOCAL_MACHINE, up to its first zero; "" on any
    // failure.
    virtual Text ReadMachineString(TextView keyPath, TextView valueName) = 0;
    // A REG_DWORD value under HKEY_CURRENT_USER; nullopt when it cannot be read.
    virtual std::optional<uint32_t> ReadUserDword(TextView keyPath, TextView valueName) = 0;
    // Creates the key under HKEY_CURRENT_USER when needed and writes the value; false on failure.
    virtual bool WriteUserDword(TextView keyPath, TextView valueName, uint32_t value) = 0;
    virtual bool WriteUserString(TextView keyPath, TextView valueName, TextView value) = 0;
    // Deletes a key of HKEY_CURRENT_USER with all its subkeys; true when it is gone afterwards.
    virtual bool DeleteUserKeyTree(TextView keyPath) = 0;
};

}  // namespace veltrano
