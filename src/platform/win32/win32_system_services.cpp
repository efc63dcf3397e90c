// Environment expansion, shell start and message posting.
#include "platform/win32/win32_system_services.h"

#include <shellapi.h>

#include <vector>

#include "platform/win32/wide.h"

namespace veltrano {

Text Win32Environment::Expand(TextView text) {
    const Text source(text);
    const DWORD needed = ::ExpandEnvironmentStringsW(Wide(source), nullptr, 0);
    if (needed == 0)
        return {};
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD n = ::ExpandEnvironmentStringsW(Wide(source), buffer.data(), needed + 1);
    if (n == 0 || n > needed + 1)
        return {};
    return FromWide(buffer.data());
}

bool Win32Shell::Execute(uintptr_t owner, TextView verb, TextView file, TextView parameters,
                         int show) {
    const Text v(verb), f(file), p(parameters);
    const HINSTANCE result =
        ::ShellExecuteW(reinterpret_cast<HWND>(owner), v.empty() ? nullptr : Wide(v), Wide(f),
                        p.empty() ? nullptr : Wide(p), nullptr, show);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool WindowMessageSink::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return ::PostMessageW(window_, message, wParam, lParam) != 0;
}

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace veltrano
