// The main window over a machine of fakes, created modeless so tests can drive it by messages
// and read its controls.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "framework/app.h"
#include "framework/message_box.h"
#include "platform/host.h"
#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "support/engine_machine.h"
#include "support/report_files.h"
#include "support/test_drive.h"
#include "ui/main_dialog.h"

namespace veltrano::testing {

// The main window with a test's hooks.
class TestMainDialog : public CVeltranoDlg {
  public:
    using CVeltranoDlg::CVeltranoDlg;
    int aboutBoxes = 0;

  protected:
    void OpenAboutBox() override { ++aboutBoxes; }
};

class FakeSystemInfo : public SystemInfo {
  public:
    uint16_t language = 0x0409;
    WindowsVersion version{6, 1};
    uint16_t UserDefaultLanguage() override { return language; }
    WindowsVersion Version() override { return version; }
    std::optional<uint32_t> VolumeSerial(TextView) override { return 0x1234ABCD; }
};

class RecordingShell : public Shell {
  public:
    struct Call {
        Text verb, file, parameters;
        int show;
    };
    std::vector<Call> calls;
    bool Execute(uintptr_t, TextView verb, TextView file, TextView parameters, int show) override {
        calls.push_back({Text(verb), Text(file), Text(parameters), show});
        return true;
    }
};

class UiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitLocalTexts(0x0409, u"");
        m.machine.files = &drive.files();
        m.machine.system = &system;
        m.machine.shell = &shell;
        m.machine.ansi = ansi.get();
        m.logs.Log(u"Application");
        m.logs.Log(u"System");
        SetMessageBoxHook([this](HWND, const Text& text, const Text&, UINT) {
            messageBoxes.push_back(text);
            return IDOK;
        });
    }
    void TearDown() override {
        if (dialog) {
            WaitForScan();
            dialog.reset();
        }
        SetMessageBoxHook({});
    }

    // Creates the window and lets its scan run to the end.
    TestMainDialog& Open(bool waitForScan = true) {
        dialog = std::make_unique<TestMainDialog>(m.machine);
        EXPECT_TRUE(dialog->Create());
        if (waitForScan)
            WaitForScan();
        return *dialog;
    }

    // Pumps messages until the scan's worker has ended and its messages are handled.
    void WaitForScan() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            Pump();
            auto scan = dialog ? dialog->Scan() : nullptr;
            if (!scan || !scan->running)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        Pump();
    }
    static void Pump() {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

    void AddRecord(const Text& log, RecordFields fields) {
        m.logs.Log(log).records.push_back(BuildRecord(fields));
    }
    void AddReport(const std::string& folder, const ReportFields& fields) {
        drive.tree().Write(
            "ProgramData/Microsoft/Windows/WER/ReportArchive/" + folder + "/Report.wer",
            ReportBytes(fields));
    }
    HWND Item(int id) const { return ::GetDlgItem(dialog->hwnd(), id); }
    Text ItemText(int id) const { return CWindow(Item(id)).GetText(); }

    EngineMachine m;
    TestDrive drive;
    FakeSystemInfo system;
    RecordingShell shell;
    std::unique_ptr<AnsiCodePage> ansi = MakeHostAnsiCodePage();
    std::unique_ptr<TestMainDialog> dialog;
    std::vector<Text> messageBoxes;
};

}  // namespace veltrano::testing
