// Entry point of veltrano-scan. Its arguments become UTF-8 once, here: on Windows from the UTF-16
// command line (argv there is in the ANSI code page, which cannot hold every file name).
#include <string>
#include <vector>

#include "cli/scan_command.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "base/text.h"

int main() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::string> arguments;
    for (int i = 1; argv != nullptr && i < count; ++i) {
        const std::wstring_view argument(argv.get()[i]);
        arguments.push_back(veltrano::Utf16ToUtf8(veltrano::TextView(
            reinterpret_cast<const char16_t*>(argument.data()), argument.size())));
    }
    return veltrano::RunScanCommand(arguments);
}
#else
int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return veltrano::RunScanCommand(arguments);
}
#endif
