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

// Whether the process's standard error goes to a terminal (console).
bool StandardErrorIsTerminal();

// Standard output takes the bytes as written: the outputs end their lines themselves (CSV with
// CR LF, NDJSON with LF), which a C runtime's text mode would otherwise change.
void UseBinaryStandardOutput();

}  // namespace veltrano
