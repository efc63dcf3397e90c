// A program that crashes in its DLL (crash_target.dll) and writes its own minidump from an
// unhandled-exception filter with the system's MiniDumpWriteDump, then a report of what it knows
// about the crash from inside: the exception record it was given, the DLL's load address, and
// the return addresses its functions noted. The crash tests compare the dump's analysis with it.
//
//     crash_writer <null|overrun> <dump file> <report file>
//
// The report has one "name value" line each, numbers in hex: code, address, dll_base, exe_base,
// fault_offset (in the DLL), return_offset (into the exe, where the DLL function returns),
// caller_return_offset (into the exe, where the exe's function that called the DLL returns),
// parameter0, parameter1, thread, process, dump_written.
#include <windows.h>
#include <dbghelp.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>

extern "C" {
__declspec(dllimport) volatile void* crash_return_address;
__declspec(dllimport) int WriteThroughNull(int value);
__declspec(dllimport) size_t FillBuffer(uint8_t* buffer, size_t length, uint8_t value);
}

namespace {

const wchar_t* g_dumpPath = nullptr;
const wchar_t* g_reportPath = nullptr;
volatile void* g_callerReturnAddress = nullptr;

uintptr_t Offset(volatile void* address, HMODULE module) {
    return reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(module);
}

LONG WINAPI WriteDumpAndReport(EXCEPTION_POINTERS* pointers) {
    HANDLE file = ::CreateFileW(g_dumpPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    MINIDUMP_EXCEPTION_INFORMATION info{::GetCurrentThreadId(), pointers, FALSE};
    const BOOL written = file != INVALID_HANDLE_VALUE &&
                         ::MiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file,
                                             MiniDumpNormal, &info, nullptr, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);

    const EXCEPTION_RECORD& r = *pointers->ExceptionRecord;
    HMODULE dll = ::GetModuleHandleW(L"crash_target.dll");
    HMODULE exe = ::GetModuleHandleW(nullptr);
    FILE* report = ::_wfopen(g_reportPath, L"w");
    if (report) {
        std::fprintf(report, "code %lx\n", r.ExceptionCode);
        std::fprintf(report, "address %llx\n", (unsigned long long)(uintptr_t)r.ExceptionAddress);
        std::fprintf(report, "dll_base %llx\n", (unsigned long long)(uintptr_t)dll);
        std::fprintf(report, "exe_base %llx\n", (unsigned long long)(uintptr_t)exe);
        std::fprintf(report, "fault_offset %llx\n",
                     (unsigned long long)Offset(r.ExceptionAddress, dll));
        std::fprintf(report, "return_offset %llx\n",
                     (unsigned long long)Offset(crash_return_address, exe));
        std::fprintf(report, "caller_return_offset %llx\n",
                     (unsigned long long)Offset(g_callerReturnAddress, exe));
        for (DWORD i = 0; i < 2; ++i) {
            std::fprintf(
                report, "parameter%lu %llx\n", i,
                (unsigned long long)(i < r.NumberParameters ? r.ExceptionInformation[i] : 0));
        }
        std::fprintf(report, "thread %lx\n", ::GetCurrentThreadId());
        std::fprintf(report, "process %lx\n", ::GetCurrentProcessId());
        std::fprintf(report, "dump_written %x\n", written ? 1 : 0);
        std::fclose(report);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

__attribute__((noinline)) int CrashThroughNull(int value) {
    g_callerReturnAddress = __builtin_return_address(0);
    return WriteThroughNull(value) + 1;
}

// A committed page with a reserved one after it: a write past the page's end faults at once.
__attribute__((noinline)) size_t CrashByOverrun() {
    g_callerReturnAddress = __builtin_return_address(0);
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    auto* region = static_cast<uint8_t*>(
        ::VirtualAlloc(nullptr, system.dwPageSize * 2, MEM_RESERVE, PAGE_NOACCESS));
    if (!region || !::VirtualAlloc(region, system.dwPageSize, MEM_COMMIT, PAGE_READWRITE))
        return 0;
    return FillBuffer(region, system.dwPageSize + 64, 7) + 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: crash_writer <null|overrun> <dump file> <report file>\n");
        return 2;
    }
    g_dumpPath = argv[2];
    g_reportPath = argv[3];
    ::SetUnhandledExceptionFilter(WriteDumpAndReport);
    if (::wcscmp(argv[1], L"null") == 0)
        return CrashThroughNull(5);
    if (::wcscmp(argv[1], L"overrun") == 0)
        return static_cast<int>(CrashByOverrun());
    return 2;
}
