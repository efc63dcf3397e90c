// The maker's name, address and the registry keys the program owns: the about box shows the
// address, the install entry names the maker, the removal deletes the keys.
#pragma once

namespace veltrano {

inline constexpr char16_t kMakerName[] = u"Brenlow Software";
inline constexpr char16_t kMakerPostBox[] = u"P.O. Box 1207";
inline constexpr char16_t kMakerTown[] = u"8001 Zurich, Switzerland";
inline constexpr char16_t kMakerEmail[] = u"support@brenlow.example";

// Both under HKEY_CURRENT_USER.
inline constexpr char16_t kSettingsKeyPath[] = u"Software\\Brenlow\\Veltrano";
inline constexpr char16_t kUninstallKeyPath[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltrano";

}  // namespace veltrano
