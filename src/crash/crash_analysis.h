// What a user-mode crash dump says about its crash, in one call: the exception and where it
// happened, the crashing thread's frames as module+offset (no symbols are needed), a signature
// that names the crash the same way on every machine, and the process's modules.
//
//     crash::CrashOptions options;
//     options.messages = &driveMessages;  // for the exception's name; may be null
//     crash::CrashAnalysis a = crash::AnalyseDump(driveFiles, u"C:\\dumps\\app.dmp", options);
//     if (a.readable && a.signature)
//         Use(a.signature->hash, a.faultingModule->name, a.frames);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "crash/crash_signature.h"
#include "crash/stack_walk.h"
#include "platform/files.h"
#include "platform/message_tables.h"

namespace veltrano::crash {

struct CrashOptions {
    // The analysed machine's message tables, for the exception code's name; null: no names.
    MessageTables* messages = nullptr;
    // Read the modules' PE files from the analysed drive (through the files port, at the paths
    // the dump names) to unwind x64 stacks and to check scanned return addresses.
    bool readModuleFiles = true;
    WalkLimits limits;
};

// A module of the process, as the dump's module list gives it.
struct CrashModule {
    Text name;               // file name only, lower-case ("kernelbase.dll")
    Text path;               // the full path the dump gives ("C:\Windows\System32\KERNELBASE.dll")
    uint64_t base = 0;       // load address
    uint32_t size = 0;       // bytes of the image in memory
    Text version;            // file version "10.0.17134.254"; empty when the module has none
    uint32_t timeStamp = 0;  // the image's link time (seconds since 1970): with size, the key
                             // symbol servers file the image under
    Text pdbName;            // the PDB the CodeView record names; empty when none
    // The PDB's identity as symbol servers spell it: the GUID's 32 hex digits in its textual
    // byte order then the age in hex (PDB 7.0), or the signature then the age (PDB 2.0), upper
    // case; empty when the module has no CodeView record.
    Text pdbId;
};

// The module an address lies in and where in it.
struct ModuleOffset {
    Text name;            // as CrashModule::name
    Text version;         // as CrashModule::version
    uint64_t offset = 0;  // address minus the module's load address
};

struct CrashAnalysis {
    // False when the file is not a minidump that can be read at all; problems then say why.
    bool readable = false;
    // What could not be read or found, one line each (damaged streams, no exception stream, no
    // stack memory ...); the facts below hold what could. Empty when all went well.
    std::vector<std::string> problems;

    // The exception stream's record. No exception stream (a dump of a hang, written on request):
    // hasException false and the fields below about it empty.
    bool hasException = false;
    uint32_t exceptionCode = 0;  // the NTSTATUS (0xC0000005: access violation)
    Text exceptionName;          // the code's name from the machine's message tables; may be empty
    uint64_t exceptionAddress = 0;  // the faulting instruction's address (the record's own)
    uint32_t threadId = 0;          // the thread that raised it
    // The record's parameters (at most 15): for an access violation (0xC0000005) the first is
    // 0 read, 1 write or 8 execute, the second the address that was touched.
    std::vector<uint64_t> exceptionParameters;
    // The module the exception address lies in; nullopt when it lies in none (jumped into a
    // stray pointer, or code made at run time).
    std::optional<ModuleOffset> faultingModule;

    // The crashing thread's frames, innermost first: the first is where its registers point
    // (the exception's context). A frame's moduleIndex indexes modules below.
    std::vector<Frame> frames;
    // The first frame outside the system's exception-dispatch modules (system_module_list.h),
    // hashed (crash_signature.h says how); when every frame in a module is in one of them, the
    // first such frame; nullopt when no frame lies in a module.
    std::optional<CrashSignature> signature;

    std::vector<CrashModule> modules;  // in the dump's order
    // The version of Windows the process ran on, as "10.0.17134"; empty without a system info.
    Text osVersion;
    Text architecture;                  // "x64", "x86" or "other"
    std::optional<uint32_t> processId;  // from the misc info stream, when it has one
    uint32_t dumpTime = 0;              // when the dump was written, seconds since 1970 UTC
};

// Reads the dump at path (a path of the analysed drive, as files maps it) and says what it can:
// any bytes give an answer (readable false for what is no minidump), read by ranges, so a dump
// of gigabytes costs what its streams and the crashing thread's stack cost.
CrashAnalysis AnalyseDump(FileSystem& files, TextView path, const CrashOptions& options = {});

}  // namespace veltrano::crash
