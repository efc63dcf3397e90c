// Any bytes as a hive file: parsing and walking every key and value must stay inside the data.
#include <cstddef>
#include <cstdint>

#include "platform/offline/registry/hive.h"

namespace {

void Walk(const veltrano::Hive& hive, veltrano::HiveKey key, int depth) {
    (void)hive.Name(key);
    for (const auto& value : hive.Values(key)) {
        (void)veltrano::ValueText(value);
        (void)veltrano::ValueStrings(value);
        (void)veltrano::ValueDword(value);
    }
    (void)hive.Value(key, u"EventMessageFile");
    (void)hive.Subkey(key, u"Services");
    // Damaged files can link a key to its own ancestor; the depth bounds the walk, as the
    // registry's own path length does.
    if (depth >= 32)
        return;
    for (const auto child : hive.Subkeys(key))
        Walk(hive, child, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto hive = veltrano::Hive::Parse(std::vector<uint8_t>(data, data + size));
    if (hive) {
        Walk(*hive, hive->Root(), 0);
        (void)hive->Open(hive->Root(), u"ControlSet001\\Services\\EventLog\\Application");
    }
    return 0;
}
