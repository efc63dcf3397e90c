// Reads the version resource of the running executable through the version API.
#include "shell/win32/version_resource.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/win32/wide.h"

namespace veltrano {
namespace {

std::optional<std::vector<uint8_t>> OwnVersionResource() {
    wchar_t path[260];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, 260);
    if (length == 0 || length >= 260)
        return std::nullopt;
    const DWORD size = ::GetFileVersionInfoSizeW(path, nullptr);
    if (size == 0)
        return std::nullopt;
    std::vector<uint8_t> block(size);
    if (!::GetFileVersionInfoW(path, 0, size, block.data()))
        return std::nullopt;
    return block;
}

}  // namespace

bool GetFileVersionText(Text& version) {
    auto block = OwnVersionResource();
    if (!block)
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (!::VerQueryValueW(block->data(), L"\\", reinterpret_cast<void**>(&info), &size) ||
        info == nullptr || size < sizeof(VS_FIXEDFILEINFO)) {
        return false;
    }
    version = DecimalText(HIWORD(info->dwFileVersionMS)) + u"." +
              DecimalText(LOWORD(info->dwFileVersionMS)) + u"." +
              DecimalText(HIWORD(info->dwFileVersionLS)) + u"." +
              DecimalText(LOWORD(info->dwFileVersionLS));
    return true;
}

bool GetVersionString(TextView name, Text& value) {
    auto block = OwnVersionResource();
    if (!block)
        return false;
    const Text query = u"\\StringFileInfo\\040904E4\\" + Text(name);
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block->data(), Wide(query), reinterpret_cast<void**>(&text), &length) ||
        text == nullptr || length == 0) {
        return false;
    }
    // The length counts the terminator when the resource stores one.
    const size_t characters = ::wcsnlen(text, length);
    if (characters == 0)
        return false;
    value = FromWide(text, characters);
    return true;
}

}  // namespace veltrano
