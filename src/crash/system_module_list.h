// The system's exception-dispatch, C runtime and error-reporting modules, lower-case file names;
// a final '*' stands for any ending ("wer*.dll" is written "wer*" and takes werfault.exe too).
#pragma once

#include <array>
#include <string_view>

namespace veltrano::crash {

inline constexpr std::array<std::u16string_view, 16> kDispatchModules = {
    u"ntdll.dll",       // the exception dispatcher, RtlRaiseException, the loader
    u"kernelbase.dll",  // RaiseException, UnhandledExceptionFilter
    u"kernel32.dll",    // the thread's start, the older entry points of both
    u"wow64.dll",       // 32-bit processes on 64-bit Windows
    u"wow64cpu.dll",    // their switch between the two modes
    u"wow64win.dll",    // their window calls
    u"ucrtbase.dll",    // abort, the invalid-parameter handler, terminate
    u"ucrtbased.dll",   // the same, of a debug build
    u"msvcrt.dll",      // the system's own C runtime
    u"msvcr*",          // the older C runtimes: msvcr100.dll, msvcr120.dll ...
    u"vcruntime*",      // C++ exception throwing: vcruntime140.dll ...
    u"msvcp*",          // std:: exceptions thrown from the C++ library
    u"wer*",            // the error-reporting client: wer.dll, werfault.exe ...
    u"faultrep.dll",    // the older one
    u"dbghelp.dll",     // where a process writes its own dump from
    u"dbgcore.dll",     // the same, since Windows 8.1
};

}  // namespace veltrano::crash
