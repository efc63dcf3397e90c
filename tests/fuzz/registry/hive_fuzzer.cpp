// Any bytes as a hive file: parsing and walking every key and value must stay inside the data.
#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "platform/offline/registry/hive.h"

namespace {

void VisitKey(const veltrano::Hive& hive, veltrano::HiveKey key) {
    (void)hive.Name(key);
    for (const auto& value : hive.Values(key)) {
        (void)veltrano::ValueText(value);
        (void)veltrano::ValueStrings(value);
        (void)veltrano::ValueDword(value);
    }
    (void)hive.Value(key, u"EventMessageFile");
    (void)hive.Subkey(key, u"Services");
}

// Every key reachable from the root, each once: damaged files can list a key among its own
// subkeys or those of its descendants, and a walk that followed every link again would take
// exponential time on such a loop.
void WalkOnce(const veltrano::Hive& hive) {
    std::unordered_set<uint32_t> visited{hive.Root().cell};
    std::vector<veltrano::HiveKey> pending{hive.Root()};
    while (!pending.empty()) {
        const veltrano::HiveKey key = pending.back();
        pending.pop_back();
        VisitKey(hive, key);
        for (const auto child : hive.Subkeys(key)) {
            if (visited.insert(child.cell).second)
                pending.push_back(child);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto hive = veltrano::Hive::Parse(std::vector<uint8_t>(data, data + size));
    if (hive) {
        WalkOnce(*hive);
        (void)hive->Open(hive->Root(), u"ControlSet001\\Services\\EventLog\\Application");
    }
    return 0;
}
