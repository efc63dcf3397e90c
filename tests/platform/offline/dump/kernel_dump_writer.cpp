#include "kernel_dump_writer.h"

#include <cstring>

namespace veltrano::testing {
namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    if (b.size() < at + 4)
        b.resize(at + 4);
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put64(std::vector<uint8_t>& b, size_t at, uint64_t v) {
    Put32(b, at, static_cast<uint32_t>(v));
    Put32(b, at + 4, static_cast<uint32_t>(v >> 32));
}

}  // namespace

std::vector<uint8_t> WriteKernelDump(const KernelDumpPlan& plan) {
    const size_t headerSize = plan.x64 ? 0x2000 : 0x1000;
    std::vector<uint8_t> b(headerSize, 0);
    std::memcpy(b.data(), plan.x64 ? "PAGEDU64" : "PAGEDUMP", 8);
    Put32(b, 0x08, plan.majorVersion);
    Put32(b, 0x0C, plan.buildNumber);
    if (plan.x64) {
        Put32(b, 0x30, plan.machineType);
        Put32(b, 0x34, plan.processors);
        Put32(b, 0x38, plan.bugCheckCode);
        for (size_t i = 0; i < 4; ++i)
            Put64(b, 0x40 + i * 8, plan.parameters[i]);
        Put32(b, 0xF98, plan.dumpType);
        Put64(b, 0xFA8, plan.systemTime);
    } else {
        Put32(b, 0x20, plan.machineType);
        Put32(b, 0x24, plan.processors);
        Put32(b, 0x28, plan.bugCheckCode);
        for (size_t i = 0; i < 4; ++i)
            Put32(b, 0x2C + i * 4, static_cast<uint32_t>(plan.parameters[i]));
        Put32(b, 0xF88, plan.dumpType);
        Put64(b, 0xFC0, plan.systemTime);
    }
    if (plan.dumpType != 4)
        return b;
    // TRIAGE_DUMP after the header; its driver list, then the names' DUMP_STRINGs.
    const size_t triage = headerSize;
    const size_t entrySize = plan.x64 ? 0x90 : 0x4C;
    const size_t list = triage + 0x100;
    size_t names = list + plan.drivers.size() * entrySize;
    b.resize(names, 0);
    Put32(b, triage + 0x30, static_cast<uint32_t>(list));
    Put32(b, triage + 0x34,
          plan.driverCountOverride ? plan.driverCountOverride
                                   : static_cast<uint32_t>(plan.drivers.size()));
    for (size_t i = 0; i < plan.drivers.size(); ++i) {
        const WrittenDriver& d = plan.drivers[i];
        const size_t e = list + i * entrySize;
        Put32(b, e, static_cast<uint32_t>(names));
        if (plan.x64) {
            Put64(b, e + 8 + 0x30, d.base);  // LdrEntry.DllBase
            Put32(b, e + 8 + 0x40, d.size);  // LdrEntry.SizeOfImage
        } else {
            Put32(b, e + 4 + 0x18, static_cast<uint32_t>(d.base));
            Put32(b, e + 4 + 0x20, d.size);
        }
        Put32(b, names, static_cast<uint32_t>(d.name.size()));
        for (size_t c = 0; c < d.name.size(); ++c) {
            b.resize(names + 4 + c * 2 + 2);
            b[names + 4 + c * 2] = static_cast<uint8_t>(d.name[c]);
            b[names + 4 + c * 2 + 1] = static_cast<uint8_t>(d.name[c] >> 8);
        }
        names += 4 + d.name.size() * 2 + 2;  // the string's terminating zero
        b.resize(names, 0);
    }
    return b;
}

}  // namespace veltrano::testing
