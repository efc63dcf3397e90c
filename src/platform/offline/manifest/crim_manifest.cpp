// Reading the CRIM block. Layout: crim_format.h; libfwevt's "Windows Event manifest binary
// format" describes it, and a real services.exe manifest confirms every size used here.
#include "platform/offline/manifest/crim_manifest.h"

#include <algorithm>

#include "platform/offline/manifest/crim_format.h"

namespace veltrano::manifest {
namespace {

std::array<uint8_t, 16> GuidAt(ByteView block, uint64_t at) {
    std::array<uint8_t, 16> guid{};
    for (size_t i = 0; i < guid.size(); ++i)
        guid[i] = block.U8(at + i);
    return guid;
}

// A table of count entries of size bytes each at offset, inside the block.
bool FitsTable(ByteView block, uint64_t offset, uint64_t count, uint64_t size) {
    return count <= block.size() / size && block.Has(offset, count * size);
}

// A name: its 32-bit size counts itself; the text ends at its terminator.
std::optional<Text> NameAt(ByteView block, uint32_t offset) {
    const uint32_t size = block.U32(offset);
    if (size < 4 || !block.Has(offset, size))
        return std::nullopt;
    return Utf16LeText(*block.Sub(uint64_t{offset} + 4, size - 4));
}

std::optional<EventTemplate> ReadTemplate(ByteView block, uint32_t offset, uint32_t size) {
    EventTemplate t;
    t.offset = offset;
    t.guid = GuidAt(block, offset + kTemplateGuid);
    const uint32_t count = block.U32(offset + kTemplateItemCount);
    const uint32_t items = block.U32(offset + kTemplateItemsOffset);
    if (count == 0)
        return t;
    // The items belong to the template: they lie after its header, inside its block.
    const std::optional<ByteView> own = block.Sub(offset, size);
    if (items < offset + kTemplateHeaderSize ||
        !FitsTable(*own, items - offset, count, kTemplateItemSize))
        return std::nullopt;
    t.items.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = uint64_t{items} + uint64_t{i} * kTemplateItemSize;
        TemplateItem item;
        item.inType = block.U8(at + kItemInType);
        item.outType = block.U8(at + kItemOutType);
        const auto name = NameAt(block, block.U32(at + kItemNameOffset));
        if (!name)
            return std::nullopt;
        item.name = *name;
        t.items.push_back(std::move(item));
    }
    return t;
}

bool ReadTemplateTable(ByteView block, uint32_t offset, std::vector<EventTemplate>& out) {
    const uint32_t size = block.U32(offset + kTableSize);
    const uint32_t count = block.U32(offset + kTableCount);
    if (size < kTemplateTableHeaderSize || !block.Has(offset, size) ||
        count > size / kTemplateHeaderSize)
        return false;
    uint64_t at = uint64_t{offset} + kTemplateTableHeaderSize;
    const uint64_t end = uint64_t{offset} + size;
    for (uint32_t i = 0; i < count; ++i) {
        if (!block.Matches(at, kTemplateSignature))
            return false;
        const uint32_t templateSize = block.U32(at + kTableSize);
        if (templateSize < kTemplateHeaderSize || templateSize > end - at)
            return false;
        auto t = ReadTemplate(block, static_cast<uint32_t>(at), templateSize);
        if (!t)
            return false;
        out.push_back(std::move(*t));
        at += templateSize;
    }
    return true;
}

bool ReadEvents(ByteView block, uint32_t offset, ManifestProvider& provider) {
    const uint32_t count = block.U32(offset + kTableCount);
    const uint64_t first = uint64_t{offset} + kEventsHeaderSize;
    if (!FitsTable(block, first, count, kEventDefinitionSize))
        return false;
    provider.events.reserve(provider.events.size() + count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = first + uint64_t{i} * kEventDefinitionSize;
        EventDefinition e;
        e.id = block.U16(at + kEventId);
        e.version = block.U8(at + kEventVersion);
        e.channel = block.U8(at + kEventChannel);
        e.level = block.U8(at + kEventLevel);
        e.opcode = block.U8(at + kEventOpcode);
        e.task = block.U16(at + kEventTask);
        e.keywords = block.U64(at + kEventKeywords);
        e.messageId = block.U32(at + kEventMessageId);
        if (const uint32_t t = block.U32(at + kEventTemplateOffset); t != 0) {
            const auto& templates = provider.templates;
            const auto found = std::find_if(templates.begin(), templates.end(),
                                            [&](const EventTemplate& x) { return x.offset == t; });
            if (found == templates.end())
                return false;
            e.templateIndex = static_cast<size_t>(found - templates.begin());
        }
        provider.events.push_back(e);
    }
    return true;
}

std::optional<ManifestProvider> ReadProvider(ByteView block, uint64_t descriptor) {
    ManifestProvider provider;
    provider.guid = GuidAt(block, descriptor);
    const uint32_t offset = block.U32(descriptor + 16);
    if (!block.Matches(offset, kProviderSignature) || !block.Has(offset, kProviderHeaderSize))
        return std::nullopt;
    if (const uint32_t id = block.U32(offset + kProviderMessageId); id != kNoMessage)
        provider.messageId = id;
    const uint32_t count = block.U32(offset + kProviderElementCount);
    const uint64_t first = uint64_t{offset} + kProviderHeaderSize;
    if (!FitsTable(block, first, count, kElementDescriptorSize))
        return std::nullopt;
    std::vector<uint32_t> eventTables;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t element = block.U32(first + uint64_t{i} * kElementDescriptorSize);
        if (block.Matches(element, kTemplateTableSignature)) {
            if (!ReadTemplateTable(block, element, provider.templates))
                return std::nullopt;
        } else if (block.Matches(element, kEventsSignature)) {
            eventTables.push_back(element);  // after the templates they name
        } else if (!block.Has(element, 4)) {
            return std::nullopt;
        }
    }
    for (const uint32_t table : eventTables) {
        if (!ReadEvents(block, table, provider))
            return std::nullopt;
    }
    return provider;
}

bool SameGuid(const std::array<uint8_t, 16>& guid, TextView text) {
    if (!text.empty() && text.front() == u'{')
        text.remove_prefix(1);
    if (!text.empty() && text.back() == u'}')
        text.remove_suffix(1);
    return EqualsNoCase(TextView(GuidText(guid)).substr(1, 36), text);
}

}  // namespace

const EventDefinition* ManifestProvider::Find(uint16_t id, uint8_t version) const {
    for (const EventDefinition& e : events) {
        if (e.id == id && e.version == version)
            return &e;
    }
    return nullptr;
}

const ManifestProvider* CrimManifest::Find(TextView guid) const {
    for (const ManifestProvider& p : providers) {
        if (SameGuid(p.guid, guid))
            return &p;
    }
    return nullptr;
}

std::optional<CrimManifest> ParseCrim(ByteView bytes) {
    if (!bytes.Matches(0, kCrimSignature) || !bytes.Has(0, kCrimHeaderSize))
        return std::nullopt;
    const uint32_t size = bytes.U32(kCrimSize);
    const auto block = bytes.Sub(0, size);
    if (size < kCrimHeaderSize || !block)
        return std::nullopt;
    CrimManifest manifest;
    manifest.majorVersion = block->U16(8);
    manifest.minorVersion = block->U16(10);
    const uint32_t count = block->U32(kCrimProviderCount);
    if (!FitsTable(*block, kCrimHeaderSize, count, kProviderDescriptorSize))
        return std::nullopt;
    for (uint32_t i = 0; i < count; ++i) {
        auto provider =
            ReadProvider(*block, kCrimHeaderSize + uint64_t{i} * kProviderDescriptorSize);
        if (!provider)
            return std::nullopt;
        manifest.providers.push_back(std::move(*provider));
    }
    return manifest;
}

Text GuidText(const std::array<uint8_t, 16>& g) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    Text out = u"{";
    const auto hex = [&](uint8_t b) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
    };
    for (const int i : {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11, 12, 13, 14, 15}) {
        if (i < 0)
            out.push_back(u'-');
        else
            hex(g[static_cast<size_t>(i)]);
    }
    out.push_back(u'}');
    return out;
}

}  // namespace veltrano::manifest
