// PE headers at the offsets of the published PE/COFF layout: the DOS header's e_lfanew, the COFF
// file header, the optional header (PE32 or PE32+) with its data directories, the section table.
#include "crash/module_image.h"

#include <algorithm>

#include "base/byte_view.h"

namespace veltrano::crash {
namespace {

constexpr uint32_t kNewHeaderOffset = 0x3C;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionCount = 2;         // in the COFF header
constexpr size_t kTimeDateStamp = 4;        // in the COFF header
constexpr size_t kOptionalHeaderSize = 16;  // in the COFF header
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kSizeOfImage = 56;    // in the optional header
constexpr size_t kSizeOfHeaders = 60;  // in the optional header
constexpr size_t kDirectoryCount32 = 92;
constexpr size_t kDirectoryCount64 = 108;
constexpr size_t kDirectories32 = 96;
constexpr size_t kDirectories64 = 112;
constexpr uint32_t kExceptionDirectory = 3;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kMaxSections = 96;  // the loader's own bound
constexpr size_t kRuntimeFunctionSize = 12;

}  // namespace

std::optional<ModuleImage> ModuleImage::Open(std::unique_ptr<ReadableFile> file) {
    if (!file)
        return std::nullopt;
    const auto facts = file->Facts();
    if (!facts)
        return std::nullopt;
    ModuleImage image(dump::DumpFile(std::move(file), facts->size));
    const auto dos = image.file_.Read(0, 0x40);
    if (!dos || (*dos)[0] != 'M' || (*dos)[1] != 'Z')
        return std::nullopt;
    const uint32_t pe = ByteView(dos->data(), dos->size()).U32(kNewHeaderOffset);
    const auto head = image.file_.Read(pe, 4 + kCoffHeaderSize);
    if (!head || !ByteView(head->data(), head->size()).Matches(0, std::string_view("PE\0\0", 4)))
        return std::nullopt;
    const ByteView coff(head->data() + 4, kCoffHeaderSize);
    const uint16_t sections = coff.U16(kSectionCount);
    const uint16_t optionalSize = coff.U16(kOptionalHeaderSize);
    image.timeStamp_ = coff.U32(kTimeDateStamp);
    const uint64_t optionalAt = uint64_t{pe} + 4 + kCoffHeaderSize;
    const auto optional = image.file_.Read(optionalAt, optionalSize);
    if (!optional || sections > kMaxSections)
        return std::nullopt;
    const ByteView opt(optional->data(), optional->size());
    const uint16_t magic = opt.U16(0);
    if (magic != kPe32Magic && magic != kPe32PlusMagic)
        return std::nullopt;
    image.pe32Plus_ = magic == kPe32PlusMagic;
    image.sizeOfImage_ = opt.U32(kSizeOfImage);
    image.sizeOfHeaders_ = opt.U32(kSizeOfHeaders);
    const uint32_t directories = opt.U32(image.pe32Plus_ ? kDirectoryCount64 : kDirectoryCount32);
    const size_t directoryAt = image.pe32Plus_ ? kDirectories64 : kDirectories32;
    if (directories > kExceptionDirectory) {
        image.exceptionRva_ = opt.U32(directoryAt + kExceptionDirectory * 8);
        image.exceptionSize_ = opt.U32(directoryAt + kExceptionDirectory * 8 + 4);
    }
    const auto table = image.file_.Read(optionalAt + optionalSize, sections * kSectionHeaderSize);
    if (!table)
        return std::nullopt;
    const ByteView t(table->data(), table->size());
    for (size_t i = 0; i < sections; ++i) {
        const size_t at = i * kSectionHeaderSize;
        image.sections_.push_back({t.U32(at + 12), t.U32(at + 8), t.U32(at + 20), t.U32(at + 16)});
    }
    return image;
}

std::optional<RuntimeFunction> ModuleImage::FunctionAt(uint32_t rva) {
    size_t low = 0;
    size_t high = exceptionSize_ / kRuntimeFunctionSize;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const auto entry =
            Read(exceptionRva_ + static_cast<uint32_t>(middle * kRuntimeFunctionSize),
                 kRuntimeFunctionSize);
        if (!entry)
            return std::nullopt;
        const ByteView e(entry->data(), entry->size());
        const RuntimeFunction f{e.U32(0), e.U32(4), e.U32(8)};
        if (rva < f.begin)
            high = middle;
        else if (rva >= f.end)
            low = middle + 1;
        else
            return f;
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> ModuleImage::Read(uint32_t rva, uint32_t size) {
    const uint64_t end = uint64_t{rva} + size;
    if (end <= sizeOfHeaders_)
        return file_.Read(rva, size);
    for (const Section& s : sections_) {
        const uint32_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva < s.rva || end > uint64_t{s.rva} + extent)
            continue;
        std::vector<uint8_t> bytes(size, 0);
        const uint64_t into = rva - s.rva;
        if (into < s.rawSize) {
            const uint64_t n = std::min<uint64_t>(size, s.rawSize - into);
            if (!file_.ReadInto(uint64_t{s.rawOffset} + into,
                                std::span<uint8_t>(bytes.data(), static_cast<size_t>(n))))
                return std::nullopt;
        }
        return bytes;
    }
    return std::nullopt;
}

}  // namespace veltrano::crash
