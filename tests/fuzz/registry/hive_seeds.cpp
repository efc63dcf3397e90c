// Writes a few small hives in each list layout as seeds for hive_fuzzer's corpus.
#include <cstdio>
#include <string>

#include "writers/hive/event_source_keys.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hive_seeds <folder>\n");
        return 2;
    }
    using namespace veltrano;
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
            FILE* file = std::fopen(path.c_str(), "wb");
            if (!file)
                return 1;
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    return 0;
}
