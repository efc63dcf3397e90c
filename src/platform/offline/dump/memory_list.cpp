// The ranges of process memory the dump holds: MINIDUMP_MEMORY_LIST (each range with the
// location of its bytes; minidumps) and MINIDUMP_MEMORY64_LIST (the bytes of all ranges one after
// another from one RVA; full dumps). A range is kept as far as the file holds its bytes, so a dump
// cut short keeps the memory it still has.
#include "platform/offline/dump/dump_streams.h"

#include <algorithm>

#include "platform/offline/dump/minidump_format.h"

namespace veltrano::dump {
namespace {

// The range cut to the part the file holds; nullopt when none of it is there or it runs past
// the top of the address space.
std::optional<DumpMemoryRange> InFile(DumpMemoryRange range, const DumpFile& file,
                                      MinidumpFacts& facts) {
    if (range.size > UINT64_MAX - range.start) {
        NoteProblem(facts, "a memory range runs past the top of the address space");
        return std::nullopt;
    }
    if (file.Holds(range.rva, range.size))
        return range;
    NoteProblem(facts, "a memory range's bytes run past the end of the file");
    if (range.rva >= file.size())
        return std::nullopt;
    range.size = file.size() - range.rva;
    return range;
}

void Keep(const std::vector<DumpMemoryRange>& ranges, MinidumpFacts& facts) {
    std::vector<DumpMemoryRange> all = facts.memory.ranges();
    all.insert(all.end(), ranges.begin(), ranges.end());
    const size_t listed = static_cast<size_t>(
        std::count_if(all.begin(), all.end(), [](const DumpMemoryRange& r) { return r.size > 0; }));
    facts.memory = DumpMemory(std::move(all));
    if (facts.memory.ranges().size() < listed)
        NoteProblem(facts, "memory ranges overlap: of each overlap the lower range is kept");
}

}  // namespace

void ReadMemoryList(ByteView stream, DumpFile& file, MinidumpFacts& facts) {
    if (!stream.Has(0, kListCountSize)) {
        NoteProblem(facts, "the memory list is too short");
        return;
    }
    const size_t count = EntriesThatFit(stream.U32(0), stream.size() - kListCountSize,
                                        kMemoryDescriptorSize, "memory list", facts);
    std::vector<DumpMemoryRange> ranges;
    ranges.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const ByteView entry = stream.From(kListCountSize + i * kMemoryDescriptorSize);
        const DumpLocation bytes = LocationAt(entry, 8);
        if (const auto range = InFile({entry.U64(0), bytes.size, bytes.rva}, file, facts))
            ranges.push_back(*range);
    }
    Keep(ranges, facts);
}

void ReadMemory64List(ByteView stream, DumpFile& file, MinidumpFacts& facts) {
    if (!stream.Has(0, kMemory64ListHeaderSize)) {
        NoteProblem(facts, "the memory64 list is too short");
        return;
    }
    const size_t count = EntriesThatFit(stream.U64(0), stream.size() - kMemory64ListHeaderSize,
                                        kMemory64DescriptorSize, "memory64 list", facts);
    uint64_t rva = stream.U64(8);
    std::vector<DumpMemoryRange> ranges;
    ranges.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const ByteView entry = stream.From(kMemory64ListHeaderSize + i * kMemory64DescriptorSize);
        const DumpMemoryRange range{entry.U64(0), entry.U64(8), rva};
        const auto kept = InFile(range, file, facts);
        if (!kept)
            break;  // the ranges after it have their bytes further on still
        ranges.push_back(*kept);
        if (kept->size != range.size)
            break;
        rva += range.size;  // cannot wrap: the file held rva + size
    }
    Keep(ranges, facts);
}

}  // namespace veltrano::dump
