// The two conversions at the Win32 boundary: char16_t and wchar_t are both UTF-16 there.
#pragma once

#include <cwchar>
#include <string>

#include "base/text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide characters are UTF-16 units");

namespace veltrano {

inline const wchar_t* Wide(const Text& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline Text FromWide(const wchar_t* text) {
    return text == nullptr ? Text()
                           : Text(reinterpret_cast<const char16_t*>(text), std::wcslen(text));
}

inline Text FromWide(const wchar_t* text, size_t length) {
    return Text(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace veltrano
