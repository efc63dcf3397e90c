// WideCharToMultiByte(CP_ACP) refusing every character that would become a substitute: no
// best-fit mapping ("é" must not quietly turn into "e"), no default character.
#include "platform/win32/win32_ansi_code_page.h"

#include <windows.h>

namespace veltrano {

std::optional<std::string> Win32AnsiCodePage::FromUtf16(TextView text) {
    if (text.empty())
        return std::string();
    if (text.size() > 0x10000000)
        return std::nullopt;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    // With UTF-8 as the ANSI code page (a manifest option of newer systems) the function refuses
    // a default-character query; it reports invalid input through WC_ERR_INVALID_CHARS instead.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int size =
        ::WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, usedDefaultOut);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string out(static_cast<size_t>(size), '\0');
    if (::WideCharToMultiByte(CP_ACP, flags, wide, length, out.data(), size, nullptr,
                              usedDefaultOut) != size ||
        usedDefault) {
        return std::nullopt;
    }
    return out;
}

}  // namespace veltrano
