// Any bytes as a provider manifest: the CRIM block itself, and the same bytes as a provider's
// binary whose WEVT_TEMPLATE resource holds it. Every definition found is looked up again by its
// identifier, version and provider GUID, and its template's items are walked.
#include <cstddef>
#include <cstdint>

#include "platform/offline/manifest/crim_manifest.h"
#include "platform/offline/messages/pe_resources.h"

namespace {

void Walk(const veltrano::manifest::CrimManifest& manifest) {
    for (const auto& provider : manifest.providers) {
        if (manifest.Find(veltrano::manifest::GuidText(provider.guid)) == nullptr)
            __builtin_trap();
        for (const auto& e : provider.events) {
            if (provider.Find(e.id, e.version) == nullptr)
                __builtin_trap();
            if (e.templateIndex) {
                size_t length = 0;
                for (const auto& item : provider.templates.at(*e.templateIndex).items)
                    length += item.name.size();
                (void)length;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const veltrano::ByteView bytes(data, size);
    if (const auto manifest = veltrano::manifest::ParseCrim(bytes))
        Walk(*manifest);
    for (const auto& resource : veltrano::FindPeResources(bytes, u"WEVT_TEMPLATE", 1)) {
        if (const auto manifest = veltrano::manifest::ParseCrim(resource.data))
            Walk(*manifest);
    }
    return 0;
}
