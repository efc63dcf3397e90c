// A real copy of a program started from a subfolder of the temporary folder counts as running
// from there; the same program started from its build folder does not.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_tree.h"

namespace veltrano {
namespace {

namespace fs = std::filesystem;

DWORD RunAndWait(const fs::path& program) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &process)) {
        return 0xFFFFFFFF;
    }
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

fs::path Probe() {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / "veltrano_temp_probe.exe";
}

TEST(RunningFromTemp, CopyInASubfolderOfTheTemporaryFolderCounts) {
    ASSERT_TRUE(fs::exists(Probe())) << Probe();
    testing::TempTree tree;  // below the temporary folder
    const fs::path copy = tree.MakeFolder("unpacked") / "Veltrano.exe";
    fs::copy_file(Probe(), copy);
    EXPECT_EQ(RunAndWait(copy), 10u);
}

TEST(RunningFromTemp, ProgramElsewhereDoesNotCount) {
    EXPECT_EQ(RunAndWait(Probe()), 20u);
}

}  // namespace
}  // namespace veltrano
