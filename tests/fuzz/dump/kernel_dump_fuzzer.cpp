// Any bytes as a kernel dump header: read inside the file, with a driver list no longer than its
// bound and a parameter's driver that is one of the list's and holds the parameter.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "../memory_file.h"
#include "platform/offline/dump/kernel_dump.h"

namespace {
void Check(bool holds) {
    if (!holds)
        std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace veltrano;
    std::string problem;
    const auto k =
        dump::ReadKernelDumpHeader(std::make_unique<fuzz::MemoryFile>(data, size), &problem);
    if (!k) {
        Check(!problem.empty());
        return 0;
    }
    Check(k->drivers.size() <= 4096);
    if (k->driver) {
        Check(k->driver->parameter >= 1 && k->driver->parameter <= 4);
        const uint64_t value = k->parameters[static_cast<size_t>(k->driver->parameter - 1)];
        bool found = false;
        for (const dump::KernelDriver& d : k->drivers)
            found = found || (d.Contains(value) && d.name == k->driver->name &&
                              value - d.base == k->driver->offset);
        Check(found);
    }
    return 0;
}
