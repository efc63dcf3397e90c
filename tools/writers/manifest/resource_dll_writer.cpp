// A resource-only PE32+ image: DOS header, PE headers with one section, the resource directory
// as Microsoft documents the PE/COFF format (named entries before numeric ones, each
// group sorted), data entries, names and the data blocks.
#include "writers/manifest/resource_dll_writer.h"

#include <algorithm>

#include "base/byte_store.h"

namespace veltrano::manifestwriter {
namespace {

constexpr uint32_t kNewHeader = 0x40;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kOptionalHeaderSize = 240;
constexpr uint16_t kDllCharacteristics = 0x2022;  // executable, large addresses, DLL
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kResourceRva = kSectionAlignment;
constexpr uint32_t kSectionHeaders = kNewHeader + 4 + 20 + kOptionalHeaderSize;
constexpr uint32_t kReadableData = 0x40000040;
constexpr uint32_t kHighBit = 0x80000000;
constexpr uint16_t kMessageTableType = 11;
constexpr uint16_t kUnicodeEntry = 1;

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// A directory header with its entry counts at at.
void Directory(std::vector<uint8_t>& out, size_t at, uint16_t named, uint16_t ids) {
    StoreLe16(out, at + 12, named);
    StoreLe16(out, at + 14, ids);
}

void Copy(std::vector<uint8_t>& out, size_t at, const std::vector<uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<ptrdiff_t>(at));
}

// The .rsrc section's bytes; every resource is alone in its type (one name, one language).
std::vector<uint8_t> ResourceSection(std::vector<ResourceSpec> resources) {
    std::stable_sort(resources.begin(), resources.end(), [](const auto& a, const auto& b) {
        if (a.typeId.has_value() != b.typeId.has_value())
            return !a.typeId.has_value();
        return a.typeId ? *a.typeId < *b.typeId : a.typeName < b.typeName;
    });
    const uint32_t n = static_cast<uint32_t>(resources.size());
    const uint32_t namesAt = 16 + 8 * n;            // one name directory per type
    const uint32_t languagesAt = namesAt + n * 24;  // one language directory per name
    const uint32_t entriesAt = languagesAt + n * 24;
    const uint32_t stringsAt = entriesAt + n * 16;
    std::vector<uint8_t> strings;
    std::vector<uint32_t> dataAt;
    uint16_t named = 0;
    for (const auto& r : resources) {
        if (r.typeId)
            continue;
        ++named;
        AppendLe16(strings, static_cast<uint16_t>(r.typeName.size()));
        AppendUtf16Le(strings, r.typeName);
    }
    uint32_t end = AlignUp(stringsAt + static_cast<uint32_t>(strings.size()), 8);
    for (const auto& r : resources) {
        dataAt.push_back(end);
        end = AlignUp(end + static_cast<uint32_t>(r.data.size()), 8);
    }
    std::vector<uint8_t> out(end, 0);
    Directory(out, 0, named, static_cast<uint16_t>(n - named));
    uint32_t name = stringsAt;
    for (uint32_t i = 0; i < n; ++i) {
        const ResourceSpec& r = resources[i];
        if (r.typeId) {
            StoreLe32(out, 16 + 8 * i, *r.typeId);
        } else {
            StoreLe32(out, 16 + 8 * i, kHighBit | name);
            name += 2 + 2 * static_cast<uint32_t>(r.typeName.size());
        }
        StoreLe32(out, 16 + 8 * i + 4, kHighBit | (namesAt + 24 * i));
        Directory(out, namesAt + 24 * i, 0, 1);
        StoreLe32(out, namesAt + 24 * i + 16, r.name);
        StoreLe32(out, namesAt + 24 * i + 20, kHighBit | (languagesAt + 24 * i));
        Directory(out, languagesAt + 24 * i, 0, 1);
        StoreLe32(out, languagesAt + 24 * i + 16, r.language);
        StoreLe32(out, languagesAt + 24 * i + 20, entriesAt + 16 * i);
        StoreLe32(out, entriesAt + 16 * i, kResourceRva + dataAt[i]);
        StoreLe32(out, entriesAt + 16 * i + 4, static_cast<uint32_t>(r.data.size()));
        Copy(out, dataAt[i], r.data);
    }
    Copy(out, stringsAt, strings);
    return out;
}

}  // namespace

std::vector<uint8_t> WriteResourceDll(const std::vector<ResourceSpec>& resources) {
    const std::vector<uint8_t> section = ResourceSection(resources);
    const uint32_t rawSize = AlignUp(static_cast<uint32_t>(section.size()), kFileAlignment);
    const uint32_t virtualSize = std::max<uint32_t>(static_cast<uint32_t>(section.size()), 1);
    std::vector<uint8_t> image(kFileAlignment + rawSize, 0);
    image[0] = 'M';
    image[1] = 'Z';
    StoreLe32(image, 0x3C, kNewHeader);
    image[kNewHeader] = 'P';
    image[kNewHeader + 1] = 'E';
    const size_t file = kNewHeader + 4;
    StoreLe16(image, file, kMachineAmd64);
    StoreLe16(image, file + 2, 1);
    StoreLe16(image, file + 16, kOptionalHeaderSize);
    StoreLe16(image, file + 18, kDllCharacteristics);
    const size_t opt = file + 20;
    StoreLe16(image, opt, 0x20B);                // PE32+
    StoreLe64(image, opt + 24, 0x180000000ull);  // image base
    StoreLe32(image, opt + 32, kSectionAlignment);
    StoreLe32(image, opt + 36, kFileAlignment);
    StoreLe16(image, opt + 40, 6);  // operating system version
    StoreLe16(image, opt + 48, 6);  // subsystem version
    StoreLe32(image, opt + 56, kResourceRva + AlignUp(virtualSize, kSectionAlignment));
    StoreLe32(image, opt + 60, kFileAlignment);  // size of headers
    StoreLe16(image, opt + 68, 2);               // Windows GUI subsystem
    StoreLe32(image, opt + 108, 16);             // data directories
    StoreLe32(image, opt + 112 + 2 * 8, kResourceRva);
    StoreLe32(image, opt + 112 + 2 * 8 + 4, static_cast<uint32_t>(section.size()));
    const size_t s = kSectionHeaders;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(std::begin(name), std::end(name), image.begin() + static_cast<ptrdiff_t>(s));
    StoreLe32(image, s + 8, virtualSize);
    StoreLe32(image, s + 12, kResourceRva);
    StoreLe32(image, s + 16, rawSize);
    StoreLe32(image, s + 20, kFileAlignment);
    StoreLe32(image, s + 36, kReadableData);
    Copy(image, kFileAlignment, section);
    return image;
}

std::vector<uint8_t> WriteMessageTable(const std::map<uint32_t, Text>& messages) {
    // Blocks of consecutive identifiers.
    std::vector<std::pair<uint32_t, uint32_t>> blocks;
    for (const auto& [id, text] : messages) {
        if (!blocks.empty() && blocks.back().second + 1 == id)
            blocks.back().second = id;
        else
            blocks.emplace_back(id, id);
    }
    std::vector<uint8_t> out;
    AppendLe32(out, static_cast<uint32_t>(blocks.size()));
    const size_t headers = out.size();
    out.resize(headers + 12 * blocks.size());
    auto message = messages.begin();
    for (size_t b = 0; b < blocks.size(); ++b) {
        StoreLe32(out, headers + 12 * b, blocks[b].first);
        StoreLe32(out, headers + 12 * b + 4, blocks[b].second);
        StoreLe32(out, headers + 12 * b + 8, static_cast<uint32_t>(out.size()));
        for (uint64_t id = blocks[b].first; id <= blocks[b].second; ++id, ++message) {
            const Text& text = message->second;
            const uint32_t length = AlignUp(static_cast<uint32_t>(4 + 2 * (text.size() + 1)), 4);
            const size_t at = out.size();
            AppendLe16(out, static_cast<uint16_t>(length));
            AppendLe16(out, kUnicodeEntry);
            AppendUtf16Le(out, text);
            out.resize(at + length, 0);
        }
    }
    return out;
}

std::vector<ResourceSpec> ProviderResources(const std::map<uint32_t, Text>& messages,
                                            uint16_t language,
                                            const std::vector<uint8_t>& manifest) {
    std::vector<ResourceSpec> resources;
    if (!messages.empty())
        resources.push_back({kMessageTableType, u"", 1, language, WriteMessageTable(messages)});
    if (!manifest.empty())
        resources.push_back({std::nullopt, u"WEVT_TEMPLATE", 1, language, manifest});
    return resources;
}

}  // namespace veltrano::manifestwriter
