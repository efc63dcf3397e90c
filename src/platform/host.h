// The adapters of the host the program runs on: Win32 on Windows, POSIX and the C runtime
// elsewhere. Chosen by the build.
#pragma once

#include <memory>

#include "platform/ansi_code_page.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace veltrano {

std::unique_ptr<FileSystem> MakeHostFileSystem();
std::unique_ptr<Clock> MakeHostClock();
std::unique_ptr<SystemInfo> MakeHostSystemInfo();
std::unique_ptr<AnsiCodePage> MakeHostAnsiCodePage();

}  // namespace veltrano
