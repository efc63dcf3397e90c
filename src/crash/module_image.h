// A module's PE file, read by ranges: its sections, its exception directory (.pdata, x64's
// RUNTIME_FUNCTION table) and its bytes by RVA, as the image would hold them once loaded. Only
// the headers are read when it is opened; every offset, size and count comes from the file and
// is checked against it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/offline/dump/dump_file.h"

namespace veltrano::crash {

// RUNTIME_FUNCTION: a function's code range and its UNWIND_INFO, as RVAs.
struct RuntimeFunction {
    uint32_t begin = 0;
    uint32_t end = 0;
    uint32_t unwindInfo = 0;
};

class ModuleImage {
  public:
    // nullopt when the file is not a PE image whose headers can be read.
    static std::optional<ModuleImage> Open(std::unique_ptr<ReadableFile> file);

    uint32_t sizeOfImage() const { return sizeOfImage_; }
    uint32_t timeStamp() const { return timeStamp_; }
    bool isPe32Plus() const { return pe32Plus_; }
    // The RUNTIME_FUNCTION whose range holds rva (a binary search of the exception directory,
    // one entry read per step); nullopt when none does (a leaf function, or no .pdata).
    std::optional<RuntimeFunction> FunctionAt(uint32_t rva);
    // The bytes at [rva, rva + size) as the loaded image holds them (a section's bytes past its
    // raw data are zeros); nullopt when they lie outside every section and the headers.
    std::optional<std::vector<uint8_t>> Read(uint32_t rva, uint32_t size);

  private:
    struct Section {
        uint32_t rva = 0;
        uint32_t virtualSize = 0;
        uint32_t rawOffset = 0;
        uint32_t rawSize = 0;
    };
    ModuleImage(dump::DumpFile file) : file_(std::move(file)) {}

    dump::DumpFile file_;
    std::vector<Section> sections_;
    uint32_t sizeOfHeaders_ = 0;
    uint32_t sizeOfImage_ = 0;
    uint32_t timeStamp_ = 0;
    bool pe32Plus_ = false;
    uint32_t exceptionRva_ = 0;
    uint32_t exceptionSize_ = 0;
};

}  // namespace veltrano::crash
