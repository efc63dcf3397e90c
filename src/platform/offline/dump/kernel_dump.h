// The header of a kernel crash dump (MEMORY.DMP, the small dumps in Minidump\): the 4 KiB
// DUMP_HEADER32 ("PAGEDUMP") or 8 KiB DUMP_HEADER64 ("PAGEDU64") the system writes at a bug
// check, read without the memory behind it. For small (triage) dumps, whose header is followed
// by a TRIAGE_DUMP with the loaded-driver list, the driver a bug-check parameter points into.
//
//     std::string problem;
//     if (auto k = dump::ReadKernelDumpHeader(files, u"C:\\Windows\\Minidump\\x.dmp", &problem))
//         Show(k->bugCheckCode, k->bugCheckName, k->parameters, k->driver);
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"
#include "platform/files.h"

namespace veltrano::dump {

// A driver of a triage dump's driver list.
struct KernelDriver {
    Text name;  // as the dump stores it ("nvlddmkm.sys"); empty when its string is damaged
    uint64_t base = 0;
    uint32_t size = 0;
    bool Contains(uint64_t address) const { return address >= base && address - base < size; }
};

// The driver whose image holds one of the bug check's parameters (the first such parameter).
struct ParameterDriver {
    int parameter = 0;  // 1 to 4, as the bug check's documentation numbers them
    Text name;
    uint64_t offset = 0;  // the parameter minus the driver's base
};

struct KernelDumpHeader {
    bool is64Bit = false;                  // "PAGEDU64" rather than "PAGEDUMP"
    uint32_t bugCheckCode = 0;             // 0x0A, 0x1000007E ...
    Text bugCheckName;                     // the published name; empty for a code the table lacks
    std::array<uint64_t, 4> parameters{};  // widened for 32-bit dumps
    // When the system crashed (FILETIME, UTC); 0 when the writer left it empty.
    FileTime systemTime = 0;
    // MajorVersion is 0xF for a free build, 0xC for a checked one; MinorVersion is the build.
    uint32_t majorVersion = 0;
    uint32_t buildNumber = 0;
    uint16_t machineType = 0;  // IMAGE_FILE_MACHINE_*: 0x14C x86, 0x8664 x64, 0xAA64 ARM64
    uint32_t processors = 0;
    // DUMP_TYPE: 1 full, 2 kernel (summary), 4 small (triage), 5 full and 6 kernel with a bitmap.
    uint32_t dumpType = 0;
    // Drivers of a small dump's triage header; empty for other dumps (their driver list lies in
    // the memory the dump holds, which this header reader does not translate).
    std::vector<KernelDriver> drivers;
    std::optional<ParameterDriver> driver;  // nullopt: no parameter lies in a listed driver
    std::vector<std::string> problems;      // a damaged driver list, one line each
};

inline constexpr uint32_t kDumpTypeFull = 1;
inline constexpr uint32_t kDumpTypeKernel = 2;
inline constexpr uint32_t kDumpTypeTriage = 4;

// nullopt, with the reason in problem when given, when the file is no kernel dump or its header
// cannot be read whole.
std::optional<KernelDumpHeader> ReadKernelDumpHeader(FileSystem& files, TextView path,
                                                     std::string* problem = nullptr);
std::optional<KernelDumpHeader> ReadKernelDumpHeader(std::unique_ptr<ReadableFile> file,
                                                     std::string* problem = nullptr);

// The published name of a bug-check code ("IRQL_NOT_LESS_OR_EQUAL"); empty when unknown.
Text BugCheckName(uint32_t code);

}  // namespace veltrano::dump
