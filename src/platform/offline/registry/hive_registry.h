// Registry port over an analysed drive's hive files: HKEY_LOCAL_MACHINE\SYSTEM and \SOFTWARE are
// read from <SystemRoot>\System32\config\SYSTEM and SOFTWARE. There is no current user offline:
// the user methods fail, as they would for a user without a profile.
#pragma once

#include <mutex>
#include <optional>

#include "platform/files.h"
#include "platform/offline/registry/hive.h"
#include "platform/registry.h"

namespace veltrano {

class HiveRegistry : public Registry {
  public:
    // files: the drive's file system (usually drive-mapped); systemRoot: its Windows folder as
    // the program sees it ("C:\Windows"). Hives are read on first use and kept.
    HiveRegistry(FileSystem& files, Text systemRoot);

    // keyPath starts with the hive's name ("SYSTEM\CurrentControlSet\services\..."); the
    // "CurrentControlSet" of SYSTEM is the control set that Select\Current names.
    Text ReadMachineString(TextView keyPath, TextView valueName) override;
    std::optional<uint32_t> ReadUserDword(TextView, TextView) override { return std::nullopt; }
    bool WriteUserDword(TextView, TextView, uint32_t) override { return false; }
    bool WriteUserString(TextView, TextView, TextView) override { return false; }
    bool DeleteUserKeyTree(TextView) override { return false; }

    // Whether the drive holds a readable hive of this name ("SYSTEM", "SOFTWARE").
    bool HasHive(TextView name);

    // Any value of a machine key; nullopt when the hive, key or value is missing or damaged.
    std::optional<HiveValue> ReadMachineValue(TextView keyPath, TextView valueName);

  private:
    struct LoadedHive {
        bool tried = false;
        std::optional<Hive> hive;
    };
    const Hive* Load(LoadedHive& slot, TextView fileName);
    // The hive and the key path inside it that a machine key path names.
    const Hive* Locate(TextView keyPath, Text& pathInHive);
    Text CurrentControlSet(const Hive& system) const;

    FileSystem& files_;
    Text configFolder_;
    std::mutex mutex_;  // guards the lazy loads
    LoadedHive system_;
    LoadedHive software_;
};

}  // namespace veltrano
