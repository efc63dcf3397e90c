// A user-mode minidump (.dmp, as Windows Error Reporting, debuggers and crash reporters write
// them) read by ranges: the header, the stream directory and the streams below, never the whole
// file; the memory it holds is read when asked for. x86 and x64 dumps have their thread
// contexts read; every offset, size and count comes from the file and is checked against it.
//
//     std::string problem;
//     auto dump = dump::ReadMinidump(files, u"C:\\dumps\\app.dmp", &problem);
//     if (dump && dump->exception()) {
//         const auto& context = dump->exception()->context;
//         const dump::DumpModule* module = context ? dump->ModuleAt(context->ip) : nullptr;
//         auto stack = context ? dump->ReadMemory(context->sp, 256) : std::nullopt;
//     }
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/files.h"
#include "platform/offline/dump/dump_file.h"
#include "platform/offline/dump/dump_memory.h"

namespace veltrano::dump {

struct DumpHeader {
    uint32_t version = 0;  // MINIDUMP_VERSION in the low word, the writer's own in the high one
    uint32_t streamCount = 0;
    uint32_t directoryRva = 0;
    uint32_t checksum = 0;
    uint32_t timeStamp = 0;  // seconds since 1970, UTC
    uint64_t flags = 0;      // MINIDUMP_TYPE: what the writer was asked to include
};

// Where a structure lies in the file (MINIDUMP_LOCATION_DESCRIPTOR).
struct DumpLocation {
    uint32_t size = 0;
    uint32_t rva = 0;
};

// One entry of the stream directory, of any type (those this reader does not know included).
struct DumpStream {
    uint32_t type = 0;
    DumpLocation location;
};

enum class DumpArchitecture { X86, X64, Other };

struct DumpSystemInfo {
    uint16_t processorArchitecture = 0;  // PROCESSOR_ARCHITECTURE_*: 0 x86, 9 x64, 12 ARM64
    uint16_t processorLevel = 0;
    uint16_t processorRevision = 0;
    uint8_t processorCount = 0;
    uint8_t productType = 0;  // 1 workstation, 2 domain controller, 3 server
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t platformId = 0;  // 2: Windows NT
    uint16_t suiteMask = 0;
    Text csdVersion;  // the service pack ("Service Pack 1"); empty when none
    DumpArchitecture Architecture() const;
};

// The registers a walk of a thread's stack starts from, widened to 64 bits for x86.
struct DumpContext {
    DumpArchitecture architecture = DumpArchitecture::Other;
    uint32_t flags = 0;  // CONTEXT_* bits: which register groups the writer filled
    uint64_t ip = 0;     // Rip / Eip
    uint64_t sp = 0;     // Rsp / Esp
    uint64_t fp = 0;     // Rbp / Ebp
};

struct DumpException {
    uint32_t threadId = 0;
    uint32_t code = 0;                 // the NTSTATUS (0xC0000005 access violation ...)
    uint32_t flags = 0;                // 1: not continuable
    uint64_t record = 0;               // address of a chained exception record in the process
    uint64_t address = 0;              // where the exception happened
    std::vector<uint64_t> parameters;  // at most 15
    DumpLocation contextLocation;
    std::optional<DumpContext> context;  // the faulting thread's registers at the exception
};

// VS_FIXEDFILEINFO: versions with the most significant part in the high word
// (10.0.17134.254 is 0x000A0000'42EE00FE).
struct DumpFileVersion {
    uint64_t fileVersion = 0;
    uint64_t productVersion = 0;
    uint32_t fileFlags = 0;
    uint32_t fileOs = 0;
    uint32_t fileType = 0;
};

// The CodeView record that names a module's debug information.
struct DumpCodeView {
    enum class Kind { None, Pdb70, Pdb20 };
    Kind kind = Kind::None;
    std::array<uint8_t, 16> guid{};  // Pdb70: the GUID's bytes as the file holds them
    uint32_t signature = 0;          // Pdb20: the PDB's time stamp
    uint32_t age = 0;
    Text pdbName;
};

struct DumpModule {
    uint64_t base = 0;
    uint32_t size = 0;
    uint32_t checksum = 0;
    uint32_t timeStamp = 0;  // the image's link time, seconds since 1970
    Text name;               // the image's full path; empty when its string is damaged
    std::optional<DumpFileVersion> version;  // none when the writer had no version resource
    DumpCodeView codeView;
    bool Contains(uint64_t address) const { return address >= base && address - base < size; }
};

struct DumpUnloadedModule {
    uint64_t base = 0;
    uint32_t size = 0;
    uint32_t checksum = 0;
    uint32_t timeStamp = 0;
    Text name;
};

struct DumpThread {
    uint32_t id = 0;
    uint32_t suspendCount = 0;
    uint32_t priorityClass = 0;
    uint32_t priority = 0;
    uint64_t teb = 0;
    uint64_t stackStart = 0;
    DumpLocation stackMemory;
    DumpLocation contextLocation;
    std::optional<DumpContext> context;  // where the thread was when the dump was written
};

struct DumpMiscInfo {
    uint32_t flags = 0;
    std::optional<uint32_t> processId;
    std::optional<uint32_t> processCreateTime;  // seconds since 1970, UTC
};

// Everything read from a dump's streams.
struct MinidumpFacts {
    DumpHeader header;
    std::vector<DumpStream> streams;
    std::optional<DumpSystemInfo> systemInfo;
    std::optional<DumpException> exception;
    std::vector<DumpModule> modules;
    std::vector<DumpUnloadedModule> unloadedModules;
    std::vector<DumpThread> threads;
    std::optional<DumpMiscInfo> miscInfo;
    DumpMemory memory;
    // What could not be read (a stream past the end of the file, a count that does not fit its
    // stream, a damaged name), one line each; the facts above hold what could.
    std::vector<std::string> problems;
};

// A dump's facts and its file, kept open to read the process memory it holds.
class Minidump {
  public:
    Minidump(DumpFile file, MinidumpFacts facts);

    const MinidumpFacts& facts() const { return facts_; }
    const DumpHeader& header() const { return facts_.header; }
    const std::vector<DumpStream>& streams() const { return facts_.streams; }
    const std::optional<DumpSystemInfo>& systemInfo() const { return facts_.systemInfo; }
    const std::optional<DumpException>& exception() const { return facts_.exception; }
    const std::vector<DumpModule>& modules() const { return facts_.modules; }
    const std::vector<DumpUnloadedModule>& unloadedModules() const {
        return facts_.unloadedModules;
    }
    const std::vector<DumpThread>& threads() const { return facts_.threads; }
    const std::optional<DumpMiscInfo>& miscInfo() const { return facts_.miscInfo; }
    // The memory ranges of both memory lists, in address order.
    const std::vector<DumpMemoryRange>& memory() const { return facts_.memory.ranges(); }
    const std::vector<std::string>& problems() const { return facts_.problems; }

    // The module whose image holds the address; null when none does.
    const DumpModule* ModuleAt(uint64_t address) const;
    const DumpThread* Thread(uint32_t id) const;
    // The process's bytes at [address, address + size) as the dump holds them, read from the
    // file now; nullopt when the dump lacks any of them or the file cannot be read.
    std::optional<std::vector<uint8_t>> ReadMemory(uint64_t address, size_t size);
    // The bytes of a part of the file (a thread's whole CONTEXT record, for the registers a stack
    // walk restores besides ip, sp and fp); nullopt when it does not lie inside the file.
    std::optional<std::vector<uint8_t>> ReadLocation(DumpLocation location);

  private:
    DumpFile file_;
    MinidumpFacts facts_;
};

// Reads a minidump from an open file (kept open by the result for ReadMemory). nullopt, with
// the reason in problem when given, when it is not a minidump or its header or directory
// cannot be read; a damaged stream leaves its facts empty and a line in problems().
std::optional<Minidump> ReadMinidump(std::unique_ptr<ReadableFile> file, std::string* problem);
// The same for a file of the files port.
std::optional<Minidump> ReadMinidump(FileSystem& files, TextView path, std::string* problem);

}  // namespace veltrano::dump
