// A provider manifest read from its compiled form (the CRIM block of a WEVT_TEMPLATE resource):
// the providers with their event definitions (identifier, version, message identifier, the
// template naming the event's data items) and their templates. The block comes from a file of
// the analysed drive: every offset and count is checked against it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_view.h"
#include "base/text.h"

namespace veltrano::manifest {

struct TemplateItem {
    Text name;
    uint8_t inType = 0;
    uint8_t outType = 0;
};

struct EventTemplate {
    uint32_t offset = 0;  // in the CRIM block: how event definitions name it
    std::array<uint8_t, 16> guid{};
    std::vector<TemplateItem> items;
};

struct EventDefinition {
    uint16_t id = 0;
    uint8_t version = 0;
    uint8_t channel = 0;
    uint8_t level = 0;
    uint8_t opcode = 0;
    uint16_t task = 0;
    uint64_t keywords = 0;
    uint32_t messageId = 0;
    // Index into the provider's templates; nullopt for an event without data items.
    std::optional<size_t> templateIndex;
};

struct ManifestProvider {
    std::array<uint8_t, 16> guid{};
    std::optional<uint32_t> messageId;  // of the provider's display name
    std::vector<EventDefinition> events;
    std::vector<EventTemplate> templates;

    // The definition of this identifier and version; null when the manifest has none.
    const EventDefinition* Find(uint16_t id, uint8_t version) const;
};

struct CrimManifest {
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    std::vector<ManifestProvider> providers;

    // The provider with this GUID ("{...}" or bare, letter case ignored); null when none.
    const ManifestProvider* Find(TextView guid) const;
};

// nullopt when the block is not a CRIM block, its size runs past the bytes, or a provider or
// one of its tables is damaged (offsets outside the block, counts that cannot fit, a template
// that an event names but that is not in the provider's table).
std::optional<CrimManifest> ParseCrim(ByteView block);

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" in lower case, as the registry's publisher keys
// write a GUID's bytes.
Text GuidText(const std::array<uint8_t, 16>& guid);

}  // namespace veltrano::manifest
