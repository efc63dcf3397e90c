// Registry access: machine strings for message files, the user's settings and key trees.
#include "platform/win32/win32_registry.h"

#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide.h"

namespace veltrano {
namespace {

ScopedRegistryKey OpenKey(HKEY root, TextView path, REGSAM access) {
    const Text p(path);
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, Wide(p), 0, access, &key) != ERROR_SUCCESS)
        return {};
    return ScopedRegistryKey(key);
}

ScopedRegistryKey CreateKey(TextView path) {
    const Text p(path);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(p), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return {};
    }
    return ScopedRegistryKey(key);
}

}  // namespace

Text Win32Registry::ReadMachineString(TextView keyPath, TextView valueName) {
    ScopedRegistryKey key = OpenKey(HKEY_LOCAL_MACHINE, keyPath, KEY_QUERY_VALUE);
    if (!key)
        return {};
    const Text name(valueName);
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), Wide(name), nullptr, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size == 0) {
        return {};
    }
    // One spare unit so that a value stored without its terminator still ends in the block.
    std::vector<wchar_t> block(size / sizeof(wchar_t) + 2, L'\0');
    if (::RegQueryValueExW(key.get(), Wide(name), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(block.data()), &size) != ERROR_SUCCESS) {
        return {};
    }
    return FromWide(block.data());
}

std::optional<uint32_t> Win32Registry::ReadUserDword(TextView keyPath, TextView valueName) {
    ScopedRegistryKey key = OpenKey(HKEY_CURRENT_USER, keyPath, KEY_READ);
    if (!key)
        return std::nullopt;
    const Text name(valueName);
    DWORD value = 0, size = sizeof value, type = 0;
    if (::RegQueryValueExW(key.get(), Wide(name), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

bool Win32Registry::WriteUserDword(TextView keyPath, TextView valueName, uint32_t value) {
    ScopedRegistryKey key = CreateKey(keyPath);
    if (!key)
        return false;
    const Text name(valueName);
    const DWORD data = value;
    return ::RegSetValueExW(key.get(), Wide(name), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

bool Win32Registry::WriteUserString(TextView keyPath, TextView valueName, TextView value) {
    ScopedRegistryKey key = CreateKey(keyPath);
    if (!key)
        return false;
    const Text name(valueName), data(value);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.get(), Wide(name), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()), bytes) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteUserKeyTree(TextView keyPath) {
    return DeleteKeyTree(HKEY_CURRENT_USER, Text(keyPath));
}

bool DeleteKeyTree(HKEY root, const Text& path) {
    if (::RegDeleteKeyW(root, Wide(path)) == ERROR_SUCCESS)
        return true;
    HKEY raw = nullptr;
    const LONG opened = ::RegOpenKeyExW(root, Wide(path), 0, KEY_READ, &raw);
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND;
    {
        ScopedRegistryKey key(raw);
        wchar_t name[260];
        for (;;) {
            DWORD length = 260;
            if (::RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            if (!DeleteKeyTree(root, path + u"\\" + FromWide(name, length)))
                break;
        }
    }
    return ::RegDeleteKeyW(root, Wide(path)) == ERROR_SUCCESS;
}

}  // namespace veltrano
