// The kernel dump header, read in one piece of its fixed size; the triage fields and each driver
// entry and name after it by ranges, every offset and count checked against the file.
#include "platform/offline/dump/kernel_dump.h"

#include "base/byte_view.h"
#include "platform/offline/dump/dump_file.h"
#include "platform/offline/dump/kernel_dump_format.h"

namespace veltrano::dump {
namespace {

std::nullopt_t Fail(std::string* problem, const char* why) {
    if (problem)
        *problem = why;
    return std::nullopt;
}

void ReadDrivers(DumpFile& file, const kernel::HeaderLayout& layout, KernelDumpHeader& header) {
    const auto triage = file.Read(layout.size, kernel::kTriageFieldsRead);
    if (!triage) {
        header.problems.push_back("the small dump's triage header lies past the end of the file");
        return;
    }
    const ByteView t(triage->data(), triage->size());
    const uint32_t listAt = t.U32(kernel::kTriageDriverListOffset);
    uint32_t count = t.U32(kernel::kTriageDriverCount);
    if (count > kernel::kMaxDrivers) {
        header.problems.push_back("the driver list's count is beyond any system's");
        count = kernel::kMaxDrivers;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const auto entry = file.Read(uint64_t{listAt} + uint64_t{i} * layout.driverEntrySize,
                                     layout.driverEntrySize);
        if (!entry) {
            header.problems.push_back("the driver list runs past the end of the file");
            return;
        }
        const ByteView e(entry->data(), entry->size());
        KernelDriver driver;
        driver.base =
            layout.parameterSize == 8 ? e.U64(layout.driverBase) : e.U32(layout.driverBase);
        driver.size = e.U32(layout.driverSize);
        const uint32_t nameAt = e.U32(0);
        const auto length = file.Read(nameAt, 4);
        const uint32_t units = length ? ByteView(length->data(), 4).U32(0) : 0;
        const auto name = length && units <= kernel::kMaxDriverName
                              ? file.Read(uint64_t{nameAt} + 4, uint64_t{units} * 2)
                              : std::nullopt;
        if (name)
            driver.name = Utf16LeText(ByteView(name->data(), name->size()));
        else
            header.problems.push_back("a driver's name is damaged");
        header.drivers.push_back(std::move(driver));
    }
}

}  // namespace

std::optional<KernelDumpHeader> ReadKernelDumpHeader(std::unique_ptr<ReadableFile> file,
                                                     std::string* problem) {
    auto opened = OpenDumpFile(std::move(file), problem);
    if (!opened)
        return std::nullopt;
    DumpFile& dump = *opened;
    const auto start = dump.Read(0, 8);
    if (!start)
        return Fail(problem, "too short for a kernel dump header");
    const ByteView s(start->data(), start->size());
    if (!s.Matches(0, kernel::kSignature) ||
        !(s.Matches(4, kernel::kValid32) || s.Matches(4, kernel::kValid64)))
        return Fail(problem, "not a kernel dump (no PAGEDUMP or PAGEDU64 signature)");
    KernelDumpHeader header;
    header.is64Bit = s.Matches(4, kernel::kValid64);
    const kernel::HeaderLayout& layout = header.is64Bit ? kernel::kHeader64 : kernel::kHeader32;
    const auto bytes = dump.Read(0, layout.size);
    if (!bytes)
        return Fail(problem, "its header is cut short");
    const ByteView h(bytes->data(), bytes->size());
    header.majorVersion = h.U32(layout.majorVersion);
    header.buildNumber = h.U32(layout.minorVersion);
    header.machineType = static_cast<uint16_t>(h.U32(layout.machineType));
    header.processors = h.U32(layout.processors);
    header.bugCheckCode = h.U32(layout.bugCheckCode);
    header.bugCheckName = BugCheckName(header.bugCheckCode);
    for (size_t i = 0; i < 4; ++i) {
        const size_t at = layout.parameters + i * layout.parameterSize;
        header.parameters[i] = layout.parameterSize == 8 ? h.U64(at) : h.U32(at);
    }
    header.dumpType = h.U32(layout.dumpType);
    header.systemTime = h.U64(layout.systemTime);
    if (header.dumpType == kDumpTypeTriage)
        ReadDrivers(dump, layout, header);
    for (int p = 0; p < 4 && !header.driver; ++p) {
        for (const KernelDriver& d : header.drivers) {
            if (d.size != 0 && d.Contains(header.parameters[p])) {
                header.driver = ParameterDriver{p + 1, d.name, header.parameters[p] - d.base};
                break;
            }
        }
    }
    return header;
}

std::optional<KernelDumpHeader> ReadKernelDumpHeader(FileSystem& files, TextView path,
                                                     std::string* problem) {
    return ReadKernelDumpHeader(files.OpenForReading(path), problem);
}

}  // namespace veltrano::dump
