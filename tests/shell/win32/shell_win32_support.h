// Helpers for the shell's Windows tests: a shell that records instead of starting, real files
// with the special folders moved into a test tree, a fixed Windows version, a private current-user
// hive, and an answerer for modal dialogs.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ansi_code_page.h"
#include "platform/clock.h"
#include "platform/shell.h"
#include "platform/win32/win32_file_system.h"

namespace veltrano::testing {

class RecordingShell : public Shell {
  public:
    struct Call {
        uintptr_t owner;
        Text verb, file, parameters;
        int show;
    };
    bool Execute(uintptr_t owner, TextView verb, TextView file, TextView parameters,
                 int show) override {
        calls.push_back({owner, Text(verb), Text(file), Text(parameters), show});
        return true;
    }
    std::vector<Call> calls;
};

// The real Win32 files, with the temporary folder, the desktop and the executable's path as the
// test sets them (an unset one is the system's).
class RedirectedFiles : public Win32FileSystem {
  public:
    std::optional<Text> temp, desktop, module;
    Text TempFolder() override { return temp ? *temp : Win32FileSystem::TempFolder(); }
    Text DesktopFolder() override { return desktop ? *desktop : Win32FileSystem::DesktopFolder(); }
    Text ModulePath() override { return module ? *module : Win32FileSystem::ModulePath(); }
};

class FixedSystemInfo : public SystemInfo {
  public:
    WindowsVersion version{6, 1};
    uint16_t UserDefaultLanguage() override { return 0x0409; }
    WindowsVersion Version() override { return version; }
    std::optional<uint32_t> VolumeSerial(TextView) override { return std::nullopt; }
};

// WideCharToMultiByte(CP_ACP) that refuses substitutes, as the program's own adapter does.
class StrictAnsiCodePage : public AnsiCodePage {
  public:
    std::optional<std::string> FromUtf16(TextView text) override;
};

// HKEY_CURRENT_USER of this process redirected to a fresh key of its own for the lifetime of the
// object (RegOverridePredefKey), so tests of the program's fixed key paths never meet the
// prefix's real keys or each other.
class PrivateUserHive {
  public:
    PrivateUserHive();
    ~PrivateUserHive();
    PrivateUserHive(const PrivateUserHive&) = delete;
    PrivateUserHive& operator=(const PrivateUserHive&) = delete;

  private:
    Text path_;
    HKEY key_ = nullptr;
};

bool KeyExists(HKEY root, const Text& path);
void CreateKey(HKEY root, const Text& path);
void SetString(HKEY root, const Text& path, const Text& name, const Text& value);

struct StoredString {
    DWORD type = 0;
    DWORD bytes = 0;  // as stored
    Text value;       // up to the first zero
};
std::optional<StoredString> ReadStored(HKEY root, const Text& path, const Text& name);

// Runs `answer` once on the first visible top-level window of this thread with the given title,
// polled by a thread timer: a modal loop started afterwards (a dialog, a task dialog) answers
// itself.
class DialogAnswerer {
  public:
    DialogAnswerer(std::wstring title, std::function<void(HWND)> answer);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;
    bool Answered() const { return answered_; }

  private:
    static void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD);
    std::wstring title_;
    std::function<void(HWND)> answer_;
    UINT_PTR timer_ = 0;
    bool answered_ = false;
};

// The visible descendant of a window whose text begins with `prefix`; null when none.
HWND FindChildByText(HWND parent, const std::wstring& prefix);

// Presses Escape in a dialog the way the keyboard does (through its message loop).
void PressEscape(HWND dialog);

std::vector<uint8_t> ReadBytes(const Text& path);
bool FileExists(const Text& path);

}  // namespace veltrano::testing
