// The host adapters of the Windows build.
#include "platform/host.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/win32/win32_ansi_code_page.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_file_system.h"

namespace veltrano {

std::unique_ptr<FileSystem> MakeHostFileSystem() {
    return std::make_unique<Win32FileSystem>();
}
std::unique_ptr<Clock> MakeHostClock() {
    return std::make_unique<Win32Clock>();
}
std::unique_ptr<SystemInfo> MakeHostSystemInfo() {
    return std::make_unique<Win32SystemInfo>();
}
std::unique_ptr<AnsiCodePage> MakeHostAnsiCodePage() {
    return std::make_unique<Win32AnsiCodePage>();
}

bool StandardErrorIsTerminal() {
    return ::_isatty(2) != 0;
}

void UseBinaryStandardOutput() {
    std::fflush(stdout);
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

}  // namespace veltrano
