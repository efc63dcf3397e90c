// Any bytes as a crash dump: the header, the directory and every stream must be read inside the
// file, and what is read must hold together: memory ranges lie in the file, and memory reads at
// the registers of every thread give the bytes asked for or nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "../memory_file.h"
#include "platform/offline/dump/minidump.h"

namespace {
using namespace veltrano;

void Check(bool holds) {
    if (!holds)
        std::abort();
}

void ReadAround(dump::Minidump& dump, const std::optional<dump::DumpContext>& context) {
    if (!context)
        return;
    (void)dump.ModuleAt(context->ip);
    for (const uint64_t at : {context->sp, context->fp, context->ip}) {
        const auto bytes = dump.ReadMemory(at, 64);
        Check(!bytes || bytes->size() == 64);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string problem;
    auto dump = dump::ReadMinidump(std::make_unique<fuzz::MemoryFile>(data, size), &problem);
    if (!dump) {
        Check(!problem.empty());
        return 0;
    }
    for (const dump::DumpMemoryRange& r : dump->memory()) {
        Check(r.rva <= size && r.size <= size - r.rva);
        if (r.size == 0)
            continue;
        // The start and the last byte: damaged lists can map every range onto the same bytes.
        const size_t head = static_cast<size_t>(std::min<uint64_t>(r.size, 256));
        const auto bytes = dump->ReadMemory(r.start, head);
        Check(bytes && bytes->size() == head);
        Check(dump->ReadMemory(r.start + r.size - 1, 1).has_value());
    }
    for (const dump::DumpThread& t : dump->threads()) {
        ReadAround(*dump, t.context);
        (void)dump->Thread(t.id);
    }
    if (dump->exception())
        ReadAround(*dump, dump->exception()->context);
    for (const dump::DumpModule& m : dump->modules())
        Check(dump->ModuleAt(m.base) != nullptr || m.size == 0);
    return 0;
}
