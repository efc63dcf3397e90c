// The layout of a user-mode minidump as Microsoft publishes it (minidumpapiset.h, winnt.h): a
// header, a directory of streams, each stream a structure at a file offset (an "RVA"); names are
// MINIDUMP_STRINGs elsewhere in the file. The structures are packed to 4 bytes, so every offset
// below is the documented one. Shared by the reader and the tests' dump writer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrano::dump {

// MINIDUMP_HEADER: signature, version (MINIDUMP_VERSION in its low word, the writer's own value
// in the high one), stream count, directory RVA, checksum, time stamp (time_t), flags.
inline constexpr char kDumpSignature[] = "MDMP";
inline constexpr uint16_t kDumpVersion = 0xA793;
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kHeaderVersion = 4;
inline constexpr size_t kHeaderStreamCount = 8;
inline constexpr size_t kHeaderDirectoryRva = 12;
inline constexpr size_t kHeaderChecksum = 16;
inline constexpr size_t kHeaderTimeStamp = 20;
inline constexpr size_t kHeaderFlags = 24;

// MINIDUMP_DIRECTORY: stream type, then the stream's MINIDUMP_LOCATION_DESCRIPTOR (size, RVA).
inline constexpr size_t kDirectoryEntrySize = 12;
inline constexpr size_t kLocationSize = 8;

// MINIDUMP_STREAM_TYPE values this reader knows.
inline constexpr uint32_t kThreadListStream = 3;
inline constexpr uint32_t kModuleListStream = 4;
inline constexpr uint32_t kMemoryListStream = 5;
inline constexpr uint32_t kExceptionStream = 6;
inline constexpr uint32_t kSystemInfoStream = 7;
inline constexpr uint32_t kMemory64ListStream = 9;
inline constexpr uint32_t kUnloadedModuleListStream = 14;
inline constexpr uint32_t kMiscInfoStream = 15;

// MINIDUMP_STRING: a byte count (without the terminator), then UTF-16LE.
inline constexpr size_t kStringHeaderSize = 4;

// MINIDUMP_SYSTEM_INFO.
inline constexpr size_t kSystemInfoSize = 56;
inline constexpr size_t kSystemArchitecture = 0;
inline constexpr size_t kSystemProcessorLevel = 2;
inline constexpr size_t kSystemProcessorRevision = 4;
inline constexpr size_t kSystemProcessorCount = 6;
inline constexpr size_t kSystemProductType = 7;
inline constexpr size_t kSystemMajorVersion = 8;
inline constexpr size_t kSystemMinorVersion = 12;
inline constexpr size_t kSystemBuildNumber = 16;
inline constexpr size_t kSystemPlatformId = 20;
inline constexpr size_t kSystemCsdVersionRva = 24;
inline constexpr size_t kSystemSuiteMask = 28;
// PROCESSOR_ARCHITECTURE values.
inline constexpr uint16_t kArchitectureIntel = 0;
inline constexpr uint16_t kArchitectureAmd64 = 9;

// MINIDUMP_EXCEPTION_STREAM: thread id, alignment, MINIDUMP_EXCEPTION, context location.
inline constexpr size_t kExceptionStreamSize = 168;
inline constexpr size_t kExceptionThreadId = 0;
inline constexpr size_t kExceptionCode = 8;
inline constexpr size_t kExceptionFlags = 12;
inline constexpr size_t kExceptionRecord = 16;
inline constexpr size_t kExceptionAddress = 24;
inline constexpr size_t kExceptionParameterCount = 32;
inline constexpr size_t kExceptionParameters = 40;
inline constexpr size_t kExceptionMaximumParameters = 15;
inline constexpr size_t kExceptionContext = 160;

// MINIDUMP_MODULE_LIST: a count, then MINIDUMP_MODULEs.
inline constexpr size_t kListCountSize = 4;
inline constexpr size_t kModuleSize = 108;
inline constexpr size_t kModuleBase = 0;
inline constexpr size_t kModuleImageSize = 8;
inline constexpr size_t kModuleChecksum = 12;
inline constexpr size_t kModuleTimeStamp = 16;
inline constexpr size_t kModuleNameRva = 20;
inline constexpr size_t kModuleVersionInfo = 24;
inline constexpr size_t kModuleCvRecord = 76;

// VS_FIXEDFILEINFO inside a module: thirteen 32-bit fields, the first a signature.
inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
inline constexpr size_t kFixedFileVersionMs = 8;
inline constexpr size_t kFixedFileVersionLs = 12;
inline constexpr size_t kFixedProductVersionMs = 16;
inline constexpr size_t kFixedProductVersionLs = 20;
inline constexpr size_t kFixedFileFlags = 28;
inline constexpr size_t kFixedFileOs = 32;
inline constexpr size_t kFixedFileType = 36;

// CodeView records a module's CvRecord points at: "RSDS" (PDB 7.0: GUID, age, UTF-8 name) and
// "NB10" (PDB 2.0: offset, signature, age, name).
inline constexpr char kCvPdb70Magic[] = "RSDS";
inline constexpr size_t kCvPdb70Guid = 4;
inline constexpr size_t kCvPdb70Age = 20;
inline constexpr size_t kCvPdb70Name = 24;
inline constexpr char kCvPdb20Magic[] = "NB10";
inline constexpr size_t kCvPdb20TimeStamp = 8;
inline constexpr size_t kCvPdb20Age = 12;
inline constexpr size_t kCvPdb20Name = 16;

// MINIDUMP_UNLOADED_MODULE_LIST: header size, entry size, count; entries at the header's size.
inline constexpr size_t kUnloadedListHeaderSize = 12;
inline constexpr size_t kUnloadedEntrySize = 4;
inline constexpr size_t kUnloadedCount = 8;
inline constexpr size_t kUnloadedModuleSize = 24;
inline constexpr size_t kUnloadedBase = 0;
inline constexpr size_t kUnloadedImageSize = 8;
inline constexpr size_t kUnloadedChecksum = 12;
inline constexpr size_t kUnloadedTimeStamp = 16;
inline constexpr size_t kUnloadedNameRva = 20;

// MINIDUMP_THREAD_LIST: a count, then MINIDUMP_THREADs.
inline constexpr size_t kThreadSize = 48;
inline constexpr size_t kThreadId = 0;
inline constexpr size_t kThreadSuspendCount = 4;
inline constexpr size_t kThreadPriorityClass = 8;
inline constexpr size_t kThreadPriority = 12;
inline constexpr size_t kThreadTeb = 16;
inline constexpr size_t kThreadStack = 24;  // a MINIDUMP_MEMORY_DESCRIPTOR
inline constexpr size_t kThreadContext = 40;

// MINIDUMP_MISC_INFO: size of the info, flags, then the fields the flags say are valid.
inline constexpr size_t kMiscFlags = 4;
inline constexpr size_t kMiscProcessId = 8;
inline constexpr size_t kMiscProcessCreateTime = 12;
inline constexpr uint32_t kMiscProcessIdValid = 0x1;
inline constexpr uint32_t kMiscProcessTimesValid = 0x2;

// MINIDUMP_MEMORY_LIST: a count, then MINIDUMP_MEMORY_DESCRIPTORs (start, location).
inline constexpr size_t kMemoryDescriptorSize = 16;
// MINIDUMP_MEMORY64_LIST: a 64-bit count, the RVA of the first range's bytes, then
// MINIDUMP_MEMORY_DESCRIPTOR64s (start, size) whose bytes follow one another from that RVA.
inline constexpr size_t kMemory64ListHeaderSize = 16;
inline constexpr size_t kMemory64DescriptorSize = 16;

// CONTEXT records: where the instruction, stack and frame pointers are, and how many bytes of
// the record hold them.
inline constexpr size_t kAmd64Rsp = 0x98;
inline constexpr size_t kAmd64Rbp = 0xA0;
inline constexpr size_t kAmd64Rip = 0xF8;
inline constexpr size_t kAmd64ContextFlags = 0x30;
inline constexpr size_t kAmd64RegistersEnd = 0x100;
inline constexpr size_t kX86ContextFlags = 0x00;
inline constexpr size_t kX86Ebp = 0xB4;
inline constexpr size_t kX86Eip = 0xB8;
inline constexpr size_t kX86Esp = 0xC4;
inline constexpr size_t kX86RegistersEnd = 0xC8;

}  // namespace veltrano::dump
