// The exception that made the writer write the dump (MINIDUMP_EXCEPTION_STREAM): the thread, the
// exception record and the registers at the fault.
#include <algorithm>

#include "platform/offline/dump/dump_streams.h"
#include "platform/offline/dump/minidump_format.h"

namespace veltrano::dump {

void ReadException(ByteView stream, DumpFile& file, MinidumpFacts& facts) {
    if (!stream.Has(0, kExceptionStreamSize)) {
        NoteProblem(facts, "the exception stream is too short");
        return;
    }
    DumpException e;
    e.threadId = stream.U32(kExceptionThreadId);
    e.code = stream.U32(kExceptionCode);
    e.flags = stream.U32(kExceptionFlags);
    e.record = stream.U64(kExceptionRecord);
    e.address = stream.U64(kExceptionAddress);
    const size_t count =
        std::min<size_t>(stream.U32(kExceptionParameterCount), kExceptionMaximumParameters);
    for (size_t i = 0; i < count; ++i)
        e.parameters.push_back(stream.U64(kExceptionParameters + 8 * i));
    e.contextLocation = LocationAt(stream, kExceptionContext);
    e.context = ReadContext(file, e.contextLocation, ContextArchitecture(facts), facts);
    facts.exception = std::move(e);
}

}  // namespace veltrano::dump
