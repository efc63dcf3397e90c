// Writes a few small hives in each list layout as seeds for hive_fuzzer's corpus, and a damaged
// one whose key lists itself among its own subkeys.
#include <algorithm>
#include <cstdio>
#include <string>

#include "../seed_file.h"
#include "base/byte_store.h"
#include "base/byte_view.h"
#include "writers/hive/event_source_keys.h"

namespace {
using namespace veltrano;

// The offset of the one "li" list with `count` entries; the hive below has exactly one of each.
size_t FindLeafList(const std::vector<uint8_t>& bytes, uint16_t count) {
    const uint8_t pattern[] = {'l', 'i', static_cast<uint8_t>(count), 0};
    const auto at = std::search(bytes.begin(), bytes.end(), std::begin(pattern), std::end(pattern));
    return static_cast<size_t>(at - bytes.begin());
}

// "Loop" has eleven subkeys, each of whose list entries is made to point at "Loop" itself: a
// walk that follows every link visits 11^depth keys.
std::vector<uint8_t> SelfListingHive() {
    HiveWriter writer(u"SYSTEM");
    HiveWriterKey& loop = writer.Root().Key(u"Loop");
    for (int i = 0; i < 11; ++i)
        loop.Key(u"k" + UnsignedText(static_cast<uint32_t>(i))).SetDword(u"n", 1);
    HiveLayout layout;
    layout.leafList = HiveLayout::LeafList::Li;
    std::vector<uint8_t> bytes = writer.Bytes(layout);
    const size_t rootList = FindLeafList(bytes, 1);
    const size_t loopList = FindLeafList(bytes, 11);
    if (rootList + 8 > bytes.size() || loopList + 4 + 11 * 4 > bytes.size())
        return {};
    const uint32_t loopCell = ByteView(bytes.data(), bytes.size()).U32(rootList + 4);
    for (size_t i = 0; i < 11; ++i)
        StoreLe32(bytes, loopList + 4 + 4 * i, loopCell);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hive_seeds <folder>\n");
        return 2;
    }
    HiveWriter system(u"SYSTEM");
    SelectControlSet(system, 1);
    AddCrashSources(system, 1, u"%SystemRoot%\\System32\\wer.dll");
    system.Root().Key(u"Κλειδί").SetMultiString(u"Multi", {u"a", u"b"});
    system.Root().Key(u"Big").SetValue(u"Data", 3 /* REG_BINARY */, std::vector<uint8_t>(20000, 7));
    int n = 0;
    for (const auto list :
         {HiveLayout::LeafList::Lh, HiveLayout::LeafList::Lf, HiveLayout::LeafList::Li}) {
        for (const size_t perLeaf : {size_t{1000}, size_t{1}}) {
            HiveLayout layout;
            layout.leafList = list;
            layout.maxLeafEntries = perLeaf;
            const auto bytes = system.Bytes(layout);
            const std::string path = std::string(argv[1]) + "/seed" + std::to_string(n++) + ".hive";
            fuzz::SaveSeed(path, bytes);
        }
    }
    const auto looped = SelfListingHive();
    if (looped.empty())
        return 1;
    fuzz::SaveSeed(std::string(argv[1]) + "/self-listing.hive", looped);
    return 0;
}
