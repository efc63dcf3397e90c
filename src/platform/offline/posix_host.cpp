// The host adapters of a POSIX build.
#include "platform/host.h"

#include <unistd.h>

#include "platform/offline/host_clock.h"
#include "platform/offline/posix_file_system.h"
#include "platform/offline/windows1252_code_page.h"

namespace veltrano {

std::unique_ptr<FileSystem> MakeHostFileSystem() {
    return std::make_unique<PosixFileSystem>();
}
std::unique_ptr<Clock> MakeHostClock() {
    return std::make_unique<HostClock>();
}
std::unique_ptr<SystemInfo> MakeHostSystemInfo() {
    return std::make_unique<HostSystemInfo>();
}
std::unique_ptr<AnsiCodePage> MakeHostAnsiCodePage() {
    return std::make_unique<Windows1252CodePage>();
}

bool StandardErrorIsTerminal() {
    return ::isatty(2) != 0;
}

void UseBinaryStandardOutput() {}  // POSIX streams have no text mode

}  // namespace veltrano
