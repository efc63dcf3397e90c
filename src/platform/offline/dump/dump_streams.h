// The readers of the streams a minidump's directory lists. Each takes the stream's bytes (as far
// as the file holds them) and reads what they point to elsewhere (names, CodeView records,
// thread contexts, memory) from the file; what it cannot read it leaves out with a line in the
// facts' problems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_view.h"
#include "platform/offline/dump/dump_file.h"
#include "platform/offline/dump/minidump.h"

namespace veltrano::dump {

using StreamReader = void (*)(ByteView stream, DumpFile& file, MinidumpFacts& facts);

void ReadSystemInfo(ByteView stream, DumpFile& file, MinidumpFacts& facts);
void ReadMiscInfo(ByteView stream, DumpFile& file, MinidumpFacts& facts);
void ReadModuleList(ByteView stream, DumpFile& file, MinidumpFacts& facts);
void ReadUnloadedModuleList(ByteView stream, DumpFile& file, MinidumpFacts& facts);
// Thread contexts take their layout from the system info, which is read first.
void ReadThreadList(ByteView stream, DumpFile& file, MinidumpFacts& facts);
void ReadException(ByteView stream, DumpFile& file, MinidumpFacts& facts);
void ReadMemoryList(ByteView stream, DumpFile& file, MinidumpFacts& facts);
void ReadMemory64List(ByteView stream, DumpFile& file, MinidumpFacts& facts);

// Helpers the readers share.

// Adds a line to the facts' problems unless it is there already: a thousand damaged names are
// one problem.
void NoteProblem(MinidumpFacts& facts, std::string problem);

DumpLocation LocationAt(ByteView bytes, uint64_t offset);

// How many entries of a list to read: its count, or as many as the bytes after its header hold
// when the count says more (noted as a problem). Never more than the bytes hold, so a count of
// four billion costs nothing.
size_t EntriesThatFit(uint64_t count, uint64_t available, size_t entrySize, const char* list,
                      MinidumpFacts& facts);

// The MINIDUMP_STRING at rva; nullopt (noted as a problem about what) when its length is odd,
// absurd, or runs past the end of the file. An RVA of 0 is an empty string.
std::optional<Text> ReadDumpString(DumpFile& file, uint32_t rva, const char* what,
                                   MinidumpFacts& facts);

// The CodeView record at a module's CvRecord location (Kind::None when there is none or it is
// of another kind).
DumpCodeView ReadCodeView(DumpFile& file, DumpLocation location, MinidumpFacts& facts);

// The layout of the dump's CONTEXT records: the system info's processor architecture (Other
// without a system info stream).
DumpArchitecture ContextArchitecture(const MinidumpFacts& facts);

// The registers of the CONTEXT record at location, laid out for the architecture; nullopt when
// the architecture is neither x86 nor x64 or the record is too short.
std::optional<DumpContext> ReadContext(DumpFile& file, DumpLocation location,
                                       DumpArchitecture architecture, MinidumpFacts& facts);

}  // namespace veltrano::dump
