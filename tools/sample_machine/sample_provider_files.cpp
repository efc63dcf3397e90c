// The files of the sample's manifest-based providers: binaries with their manifest, language
// resource files and .mun files, written by our own manifest and resource DLL writers.
#include "sample_machine/sample_parts.h"
#include "sample_machine/sample_writer.h"
#include "writers/manifest/crim_writer.h"
#include "writers/manifest/resource_dll_writer.h"

namespace veltrano::sample {
namespace {

constexpr uint8_t kStringType = 1;

}  // namespace

std::vector<uint8_t> SampleProviderManifest(const SampleManifestProvider& p) {
    manifest::ManifestProvider provider;
    provider.guid = manifestwriter::GuidBytes(p.guid);
    for (const SampleManifestEvent& e : p.events) {
        manifest::EventTemplate t;
        t.guid =
            manifestwriter::GuidBytes(StableGuid(Utf16ToUtf8(p.name) + "#" + std::to_string(e.id)));
        for (const Text& name : e.items)
            t.items.push_back({name, kStringType, kStringType});
        manifest::EventDefinition d;
        d.id = e.id;
        d.version = e.version;
        d.level = 2;
        d.messageId = e.messageId;
        d.templateIndex = provider.templates.size();
        provider.templates.push_back(std::move(t));
        provider.events.push_back(d);
    }
    return manifestwriter::WriteCrim({provider});
}

void WriteManifestProviderFiles(const SampleMachine& m, const std::filesystem::path& drive,
                                const FileWriter& write) {
    for (const SampleManifestProvider& p : m.manifestProviders) {
        const std::vector<uint8_t> crim = SampleProviderManifest(p);
        for (const SampleProviderFile& f : p.files) {
            const auto resources =
                manifestwriter::ProviderResources(f.messages, f.language != 0 ? f.language : 0x0409,
                                                  f.manifest ? crim : std::vector<uint8_t>{});
            write(HostPath(drive, f.path), manifestwriter::WriteResourceDll(resources));
        }
    }
}

}  // namespace veltrano::sample
