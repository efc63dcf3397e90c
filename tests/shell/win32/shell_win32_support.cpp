// Helpers for the shell's Windows tests.
#include "shell_win32_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/win32/wide.h"
#include "platform/win32/win32_registry.h"

namespace veltrano::testing {

std::optional<std::string> StrictAnsiCodePage::FromUtf16(TextView text) {
    if (text.empty())
        return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    BOOL substituted = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0,
                                           nullptr, &substituted);
    if (size <= 0 || substituted)
        return std::nullopt;
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, out.data(), size, nullptr,
                          &substituted);
    if (substituted)
        return std::nullopt;
    return out;
}

PrivateUserHive::PrivateUserHive() {
    static int counter = 0;
    path_ = u"Software\\VeltranoTests\\hive-" + DecimalText(::GetCurrentProcessId()) + u"-" +
            DecimalText(counter++);
    ::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path_), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, key_);
}

PrivateUserHive::~PrivateUserHive() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (key_ != nullptr)
        ::RegCloseKey(key_);
    DeleteKeyTree(HKEY_CURRENT_USER, path_);
}

bool KeyExists(HKEY root, const Text& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, Wide(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void CreateKey(HKEY root, const Text& path) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, Wide(path), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                          &key, nullptr) == ERROR_SUCCESS) {
        ::RegCloseKey(key);
    }
}

void SetString(HKEY root, const Text& path, const Text& name, const Text& value) {
    ::RegSetKeyValueW(root, Wide(path), Wide(name), REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
}

std::optional<StoredString> ReadStored(HKEY root, const Text& path, const Text& name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, Wide(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    StoredString stored;
    std::vector<wchar_t> data(2048, L'\0');
    stored.bytes = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    const LONG result = ::RegQueryValueExW(key, Wide(name), nullptr, &stored.type,
                                           reinterpret_cast<BYTE*>(data.data()), &stored.bytes);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    stored.value = FromWide(data.data());
    return stored;
}

namespace {

DialogAnswerer* g_answerer = nullptr;

struct WindowSearch {
    const std::wstring* text;
    bool prefix;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    if (!::IsWindowVisible(hwnd))
        return TRUE;
    wchar_t text[512] = {};
    ::GetWindowTextW(hwnd, text, 512);
    const std::wstring have(text);
    const bool match = search.prefix ? have.rfind(*search.text, 0) == 0 : have == *search.text;
    if (!match)
        return TRUE;
    search.found = hwnd;
    return FALSE;
}

}  // namespace

DialogAnswerer::DialogAnswerer(std::wstring title, std::function<void(HWND)> answer)
    : title_(std::move(title)), answer_(std::move(answer)) {
    g_answerer = this;
    timer_ = ::SetTimer(nullptr, 0, 30, &Poll);
}

DialogAnswerer::~DialogAnswerer() {
    ::KillTimer(nullptr, timer_);
    g_answerer = nullptr;
}

void CALLBACK DialogAnswerer::Poll(HWND, UINT, UINT_PTR, DWORD) {
    DialogAnswerer* self = g_answerer;
    if (self == nullptr || self->answered_)
        return;
    WindowSearch search{&self->title_, false, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
        return;
    self->answered_ = true;
    self->answer_(search.found);
}

HWND FindChildByText(HWND parent, const std::wstring& prefix) {
    WindowSearch search{&prefix, true, nullptr};
    ::EnumChildWindows(parent, &MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PressEscape(HWND dialog) {
    HWND focus = ::GetFocus();
    HWND target = focus != nullptr && ::IsChild(dialog, focus) ? focus : dialog;
    ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

std::vector<uint8_t> ReadBytes(const Text& path) {
    std::ifstream in(std::filesystem::path(std::wstring(Wide(path))), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool FileExists(const Text& path) {
    return ::GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace veltrano::testing
