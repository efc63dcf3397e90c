// Fields every stream reader reads the same way: locations and the counts of lists.
#include "platform/offline/dump/dump_streams.h"

#include <utility>

namespace veltrano::dump {

void NoteProblem(MinidumpFacts& facts, std::string problem) {
    for (const std::string& known : facts.problems) {
        if (known == problem)
            return;
    }
    facts.problems.push_back(std::move(problem));
}

DumpLocation LocationAt(ByteView bytes, uint64_t offset) {
    return {bytes.U32(offset), bytes.U32(offset + 4)};
}

size_t EntriesThatFit(uint64_t count, uint64_t available, size_t entrySize, const char* list,
                      MinidumpFacts& facts) {
    const uint64_t fit = available / entrySize;
    if (count <= fit)
        return static_cast<size_t>(count);
    NoteProblem(facts, std::string("the ") + list + " claims " + std::to_string(count) +
                           " entries; its stream holds " + std::to_string(fit));
    return static_cast<size_t>(fit);
}

}  // namespace veltrano::dump
