// Address lookup over the ranges sorted by start.
#include "platform/offline/dump/dump_memory.h"

#include <algorithm>
#include <cstdint>

namespace veltrano::dump {

DumpMemory::DumpMemory(std::vector<DumpMemoryRange> ranges) {
    std::stable_sort(
        ranges.begin(), ranges.end(),
        [](const DumpMemoryRange& a, const DumpMemoryRange& b) { return a.start < b.start; });
    for (const DumpMemoryRange& range : ranges) {
        const bool overlaps =
            !ranges_.empty() && range.start - ranges_.back().start < ranges_.back().size;
        if (range.size > 0 && !overlaps)
            ranges_.push_back(range);
    }
}

std::optional<std::vector<FileSpan>> DumpMemory::Locate(uint64_t address, uint64_t size) const {
    std::vector<FileSpan> spans;
    while (size > 0) {
        const auto after = std::upper_bound(
            ranges_.begin(), ranges_.end(), address,
            [](uint64_t a, const DumpMemoryRange& range) { return a < range.start; });
        if (after == ranges_.begin())
            return std::nullopt;
        const DumpMemoryRange& range = *(after - 1);
        const uint64_t into = address - range.start;
        if (into >= range.size)
            return std::nullopt;
        const uint64_t take = std::min(size, range.size - into);
        spans.push_back({range.rva + into, take});
        size -= take;
        if (size > 0 && address > UINT64_MAX - take)
            return std::nullopt;  // the rest would be past the top of the address space
        address += take;
    }
    return spans;
}

}  // namespace veltrano::dump
