// Writing CRIM blocks (layout: platform/offline/manifest/crim_format.h).
#include "writers/manifest/crim_writer.h"

#include <cstring>

#include "base/byte_store.h"
#include "platform/offline/manifest/crim_format.h"

namespace veltrano::manifestwriter {
namespace {

using namespace manifest;

// The kind values the element descriptors of Windows manifests carry before each offset.
constexpr uint32_t kEventsKind = 4;
constexpr uint32_t kTemplatesKind = 7;
// The smallest binary XML fragment: its header and the end-of-fragment token.
constexpr uint8_t kEmptyFragment[] = {0x0F, 0x01, 0x01, 0x00, 0x00};

void AppendSignature(std::vector<uint8_t>& out, const char* signature) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(signature[i]);
    AppendLe32(out, value);
}

void PadTo4(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0)
        out.push_back(0);
}

void AppendBytes(std::vector<uint8_t>& out, const uint8_t* bytes, size_t size) {
    const size_t at = out.size();
    out.resize(at + size);
    std::memcpy(out.data() + at, bytes, size);
}

void AppendGuid(std::vector<uint8_t>& out, const std::array<uint8_t, 16>& guid) {
    AppendBytes(out, guid.data(), guid.size());
}

// A TEMP block at the end of out; returns its offset.
uint32_t AppendTemplate(std::vector<uint8_t>& out, const EventTemplate& t) {
    const size_t start = out.size();
    AppendSignature(out, kTemplateSignature);
    AppendLe32(out, 0);  // size, below
    AppendLe32(out, static_cast<uint32_t>(t.items.size()));
    AppendLe32(out, static_cast<uint32_t>(t.items.size()));
    AppendLe32(out, 0);  // items offset, below
    AppendLe32(out, 1);
    AppendGuid(out, t.guid);
    AppendBytes(out, kEmptyFragment, sizeof kEmptyFragment);
    PadTo4(out);
    const size_t items = out.size();
    out.resize(items + t.items.size() * kTemplateItemSize);
    for (size_t i = 0; i < t.items.size(); ++i) {
        const size_t at = items + i * kTemplateItemSize;
        out[at + kItemInType] = t.items[i].inType;
        out[at + kItemOutType] = t.items[i].outType;
        const size_t name = out.size();
        StoreLe32(out, at + kItemNameOffset, static_cast<uint32_t>(name));
        AppendLe32(out, 0);
        AppendUtf16Le(out, t.items[i].name);
        AppendLe16(out, 0);
        PadTo4(out);
        StoreLe32(out, name, static_cast<uint32_t>(out.size() - name));
    }
    StoreLe32(out, start + kTableSize, static_cast<uint32_t>(out.size() - start));
    StoreLe32(out, start + kTemplateItemsOffset,
              t.items.empty() ? 0 : static_cast<uint32_t>(items));
    return static_cast<uint32_t>(start);
}

void AppendProvider(std::vector<uint8_t>& out, const ManifestProvider& p) {
    const size_t start = out.size();
    AppendSignature(out, kProviderSignature);
    AppendLe32(out, 0);  // size, below
    AppendLe32(out, p.messageId.value_or(kNoMessage));
    AppendLe32(out, 2);
    const size_t descriptors = out.size();
    out.resize(descriptors + 2 * kElementDescriptorSize);

    const size_t table = out.size();
    StoreLe32(out, descriptors, kTemplatesKind);
    StoreLe32(out, descriptors + 4, static_cast<uint32_t>(table));
    AppendSignature(out, kTemplateTableSignature);
    AppendLe32(out, 0);
    AppendLe32(out, static_cast<uint32_t>(p.templates.size()));
    std::vector<uint32_t> templateOffsets;
    for (const EventTemplate& t : p.templates)
        templateOffsets.push_back(AppendTemplate(out, t));
    StoreLe32(out, table + kTableSize, static_cast<uint32_t>(out.size() - table));

    const size_t events = out.size();
    StoreLe32(out, descriptors + kElementDescriptorSize, kEventsKind);
    StoreLe32(out, descriptors + kElementDescriptorSize + 4, static_cast<uint32_t>(events));
    AppendSignature(out, kEventsSignature);
    AppendLe32(out,
               static_cast<uint32_t>(kEventsHeaderSize + p.events.size() * kEventDefinitionSize));
    AppendLe32(out, static_cast<uint32_t>(p.events.size()));
    AppendLe32(out, 0);
    for (const EventDefinition& e : p.events) {
        const size_t at = out.size();
        out.resize(at + kEventDefinitionSize);
        StoreLe16(out, at + kEventId, e.id);
        out[at + kEventVersion] = e.version;
        out[at + kEventChannel] = e.channel;
        out[at + kEventLevel] = e.level;
        out[at + kEventOpcode] = e.opcode;
        StoreLe16(out, at + kEventTask, e.task);
        StoreLe64(out, at + kEventKeywords, e.keywords);
        StoreLe32(out, at + kEventMessageId, e.messageId);
        if (e.templateIndex && *e.templateIndex < templateOffsets.size())
            StoreLe32(out, at + kEventTemplateOffset, templateOffsets[*e.templateIndex]);
    }
    StoreLe32(out, start + kTableSize, static_cast<uint32_t>(out.size() - start));
}

}  // namespace

std::vector<uint8_t> WriteCrim(const std::vector<ManifestProvider>& providers) {
    std::vector<uint8_t> out;
    AppendSignature(out, kCrimSignature);
    AppendLe32(out, 0);  // size, below
    AppendLe16(out, 3);
    AppendLe16(out, 1);
    AppendLe32(out, static_cast<uint32_t>(providers.size()));
    const size_t descriptors = out.size();
    out.resize(descriptors + providers.size() * kProviderDescriptorSize);
    for (size_t i = 0; i < providers.size(); ++i) {
        const size_t at = descriptors + i * kProviderDescriptorSize;
        std::memcpy(out.data() + at, providers[i].guid.data(), 16);
        StoreLe32(out, at + 16, static_cast<uint32_t>(out.size()));
        AppendProvider(out, providers[i]);
    }
    StoreLe32(out, kCrimSize, static_cast<uint32_t>(out.size()));
    return out;
}

std::array<uint8_t, 16> GuidBytes(TextView text) {
    std::array<uint8_t, 16> guid{};
    Text digits;
    for (const char16_t c : text) {
        if (HexDigitValue(c) >= 0)
            digits.push_back(c);
        else if (c != u'{' && c != u'}' && c != u'-')
            return {};
    }
    if (digits.size() != 32)
        return {};
    const auto byte = [&](size_t i) {
        return static_cast<uint8_t>(HexDigitValue(digits[2 * i]) << 4 |
                                    HexDigitValue(digits[2 * i + 1]));
    };
    // The first three groups are stored little-endian.
    static constexpr size_t kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (size_t i = 0; i < 16; ++i)
        guid[kOrder[i]] = byte(i);
    return guid;
}

}  // namespace veltrano::manifestwriter
