// The process memory a dump holds: the ranges of its memory list (each range's bytes anywhere in
// the file) and of its 64-bit memory list (the bytes of all ranges one after another), found by
// address.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace veltrano::dump {

struct DumpMemoryRange {
    uint64_t start = 0;  // address in the process
    uint64_t size = 0;
    uint64_t rva = 0;  // where the bytes are in the file
};

// A part of the file.
struct FileSpan {
    uint64_t offset = 0;
    uint64_t size = 0;
};

class DumpMemory {
  public:
    DumpMemory() = default;
    // Ranges in any order; they are kept in address order. Of ranges that overlap (a damaged
    // list) the one that starts first is kept, of two that start together the one listed first;
    // empty ranges are dropped.
    explicit DumpMemory(std::vector<DumpMemoryRange> ranges);

    const std::vector<DumpMemoryRange>& ranges() const { return ranges_; }
    // The parts of the file that hold [address, address + size), in address order: ranges that
    // meet continue each other. nullopt when any byte of it is not in the dump.
    std::optional<std::vector<FileSpan>> Locate(uint64_t address, uint64_t size) const;

  private:
    std::vector<DumpMemoryRange> ranges_;
};

}  // namespace veltrano::dump
