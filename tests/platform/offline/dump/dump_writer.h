// Minidumps written from a description, for the reader's tests and the fuzzer's seeds: the header
// and the stream directory first, then the memory the dump holds, then each stream after the
// names, CodeView records and thread contexts it points at. Written from the published layout
// (minidump_format.h), x86 and x64 contexts at their full sizes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/offline/dump/minidump.h"

namespace veltrano::testing {

struct WrittenThread {
    uint32_t id = 0;
    uint64_t teb = 0;
    uint64_t stackStart = 0;
    std::vector<uint8_t> stack;  // held by the dump's memory at stackStart
    dump::DumpContext context;   // flags, ip, sp, fp; the rest of the record is zeros
};

struct WrittenException {
    uint32_t threadId = 0;
    uint32_t code = 0;
    uint32_t flags = 0;
    uint64_t address = 0;
    std::vector<uint64_t> parameters;
    dump::DumpContext context;
};

struct DumpPlan {
    uint16_t processorArchitecture = 9;  // x64
    uint32_t majorVersion = 10;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 19045;
    Text csdVersion;
    uint32_t timeStamp = 1700000000;
    uint64_t flags = 0;
    std::vector<dump::DumpModule> modules;
    std::vector<dump::DumpUnloadedModule> unloadedModules;
    std::vector<WrittenThread> threads;
    std::optional<WrittenException> exception;
    std::optional<dump::DumpMiscInfo> miscInfo;
    // Memory besides the threads' stacks, by start address.
    std::vector<std::pair<uint64_t, std::vector<uint8_t>>> memory;
    bool memory64 = false;  // all memory in one 64-bit memory list, as full dumps hold it
    std::vector<uint32_t> otherStreams;  // types the reader does not know, a few bytes each
};

// A dump and where its writer put the parts that tests damage.
struct WrittenDump {
    std::vector<uint8_t> bytes;
    std::map<uint32_t, dump::DumpLocation> streams;  // by type
    std::vector<uint32_t> moduleNameRvas;
};

WrittenDump WriteDump(const DumpPlan& plan);

// The tests' usual dumps: a process with an executable and two DLLs (one with a PDB 2.0
// record, one without version or CodeView), an unloaded module, two threads whose stacks the
// dump holds, an exception in the first and a foreign stream; x64 and x86.
DumpPlan SmallX64Dump();
DumpPlan SmallX86Dump();

}  // namespace veltrano::testing
