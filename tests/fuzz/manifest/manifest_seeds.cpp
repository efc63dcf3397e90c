// Writes seeds for the manifest fuzz target with our own writers: CRIM blocks with templates,
// events with and without them, several providers, and a provider binary holding one.
#include <filesystem>
#include <fstream>

#include "writers/manifest/crim_writer.h"
#include "writers/manifest/resource_dll_writer.h"

namespace {

using namespace veltrano;
namespace fs = std::filesystem;

void Save(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

manifest::ManifestProvider Provider(uint8_t seed, size_t events) {
    manifest::ManifestProvider p;
    p.guid.fill(seed);
    p.messageId = 0x90000000u + seed;
    p.templates.push_back({0, {}, {{u"Status", 8, 8}, {u"Name", 1, 1}, {u"Data", 14, 15}}});
    p.templates.push_back({0, {}, {}});
    for (size_t i = 0; i < events; ++i) {
        manifest::EventDefinition e;
        e.id = static_cast<uint16_t>(100 + i);
        e.version = static_cast<uint8_t>(i % 3);
        e.level = 2;
        e.messageId = 0xB0000000u + static_cast<uint32_t>(i);
        if (i % 3 != 2)
            e.templateIndex = i % 2;
        p.events.push_back(e);
    }
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const fs::path out = argv[1];
    fs::create_directories(out);
    Save(out / "one_provider.crim", manifestwriter::WriteCrim({Provider(1, 4)}));
    Save(out / "three_providers.crim",
         manifestwriter::WriteCrim({Provider(2, 1), Provider(3, 0), Provider(4, 7)}));
    Save(out / "provider_binary.dll",
         manifestwriter::WriteResourceDll(
             manifestwriter::ProviderResources({{0xB0000000u, u"Failed: %1\r\n"}}, 0x0409,
                                               manifestwriter::WriteCrim({Provider(5, 2)}))));
    return 0;
}
