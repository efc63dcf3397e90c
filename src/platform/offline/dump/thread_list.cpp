// The threads of the process (MINIDUMP_THREAD_LIST), each with its stack's memory and the
// registers it had when the dump was written.
#include "platform/offline/dump/dump_streams.h"

#include "platform/offline/dump/minidump_format.h"

namespace veltrano::dump {

void ReadThreadList(ByteView stream, DumpFile& file, MinidumpFacts& facts) {
    if (!stream.Has(0, kListCountSize)) {
        NoteProblem(facts, "the thread list is too short");
        return;
    }
    const size_t count = EntriesThatFit(stream.U32(0), stream.size() - kListCountSize, kThreadSize,
                                        "thread list", facts);
    const DumpArchitecture architecture = ContextArchitecture(facts);
    facts.threads.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const ByteView entry = stream.From(kListCountSize + i * kThreadSize);
        DumpThread t;
        t.id = entry.U32(kThreadId);
        t.suspendCount = entry.U32(kThreadSuspendCount);
        t.priorityClass = entry.U32(kThreadPriorityClass);
        t.priority = entry.U32(kThreadPriority);
        t.teb = entry.U64(kThreadTeb);
        t.stackStart = entry.U64(kThreadStack);
        t.stackMemory = LocationAt(entry, kThreadStack + 8);
        t.contextLocation = LocationAt(entry, kThreadContext);
        t.context = ReadContext(file, t.contextLocation, architecture, facts);
        facts.threads.push_back(t);
    }
}

}  // namespace veltrano::dump
