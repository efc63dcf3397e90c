// A copy of Veltrano.exe started with "-uninstall": asked, answered Yes, it removes its keys and
// then itself through its removal script.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/win32/wide.h"
#include "platform/win32/win32_registry.h"

namespace veltrano {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr wchar_t kSettingsKey[] = L"Software\\Brenlow\\Veltrano";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltrano";

fs::path HostExe() {
    std::string path = std::string("Z:") + VELTRANO_EXE;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

bool KeyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// The question the started copy asks. The window tests that run beside this one show dialogs of
// the same class and title; answering one of theirs would leave both hanging.
HWND QuestionOf(DWORD processId) {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32770", L"Veltrano"); w != nullptr;
         w = ::FindWindowExW(nullptr, w, L"#32770", L"Veltrano")) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        if (owner == processId)
            return w;
    }
    return nullptr;
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return condition();
}

TEST(UninstallRun, CopyRemovesItsKeysItselfAndItsScript) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const fs::path folder =
        fs::path(temp) / ("uninstall run " + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    const fs::path copy = folder / "Veltrano copy.exe";
    fs::copy_file(HostExe(), copy, fs::copy_options::overwrite_existing);
    for (const wchar_t* key : {kSettingsKey, kUninstallKey}) {
        HKEY handle = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr,
                                    &handle, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(handle);
    }

    std::wstring command = L"\"" + copy.wstring() + L"\" -uninstall";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 folder.c_str(), &startup, &process));
    // The confirmation: Yes.
    HWND question = nullptr;
    EXPECT_TRUE(
        WaitFor([&] { return (question = QuestionOf(process.dwProcessId)) != nullptr; }, 30s));
    if (question != nullptr)
        ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(::WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    EXPECT_FALSE(KeyExists(kSettingsKey));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_TRUE(KeyExists(L"Software\\Brenlow"));
    const fs::path script = fs::path(temp) / "delself.bat";
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(copy) && !fs::exists(script); }, 30s))
        << "copy " << fs::exists(copy) << ", script " << fs::exists(script);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
}  // namespace veltrano
