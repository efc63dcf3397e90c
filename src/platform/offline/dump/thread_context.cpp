// The registers of a CONTEXT record that a stack walk starts from, at the offsets winnt.h gives
// them for x64 and for x86; only the bytes up to the last of them are read.
#include "platform/offline/dump/dump_streams.h"

#include "platform/offline/dump/minidump_format.h"

namespace veltrano::dump {

DumpArchitecture ContextArchitecture(const MinidumpFacts& facts) {
    return facts.systemInfo ? facts.systemInfo->Architecture() : DumpArchitecture::Other;
}

std::optional<DumpContext> ReadContext(DumpFile& file, DumpLocation location,
                                       DumpArchitecture architecture, MinidumpFacts& facts) {
    if (architecture == DumpArchitecture::Other || location.size == 0)
        return std::nullopt;
    const bool x64 = architecture == DumpArchitecture::X64;
    const size_t needed = x64 ? kAmd64RegistersEnd : kX86RegistersEnd;
    if (location.size < needed) {
        NoteProblem(facts, "a thread context is too short for its registers");
        return std::nullopt;
    }
    const auto bytes = file.Read(location.rva, needed);
    if (!bytes) {
        NoteProblem(facts, "a thread context lies past the end of the file");
        return std::nullopt;
    }
    const ByteView record(bytes->data(), bytes->size());
    DumpContext context;
    context.architecture = architecture;
    if (x64) {
        context.flags = record.U32(kAmd64ContextFlags);
        context.ip = record.U64(kAmd64Rip);
        context.sp = record.U64(kAmd64Rsp);
        context.fp = record.U64(kAmd64Rbp);
    } else {
        context.flags = record.U32(kX86ContextFlags);
        context.ip = record.U32(kX86Eip);
        context.sp = record.U32(kX86Esp);
        context.fp = record.U32(kX86Ebp);
    }
    return context;
}

}  // namespace veltrano::dump
