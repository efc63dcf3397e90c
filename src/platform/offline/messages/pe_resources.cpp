// PE resource lookup as Microsoft documents the PE/COFF format ("The .rsrc Section"): directory
// offsets count from the start of the resource directory; data entries hold image addresses
// (RVAs) that the section table maps to file offsets.
#include "platform/offline/messages/pe_resources.h"

#include <algorithm>
#include <optional>

namespace veltrano {
namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kNewHeaderPointer = 0x3C;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionCount = 2;         // in the file header
constexpr size_t kOptionalHeaderSize = 16;  // in the file header
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kSizeOfHeaders = 60;  // in the optional header, both kinds
constexpr size_t kPe32DirectoryCount = 92;
constexpr size_t kPe32PlusDirectoryCount = 108;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kSectionVirtualSize = 8;
constexpr size_t kSectionAddress = 12;
constexpr size_t kSectionRawSize = 16;
constexpr size_t kSectionRawPointer = 20;

constexpr size_t kDirectoryNamedCount = 12;
constexpr size_t kDirectoryIdCount = 14;
constexpr size_t kDirectoryEntries = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr uint32_t kHighBit = 0x80000000;
constexpr size_t kDataEntrySize = 16;

class PeImage {
  public:
    static std::optional<PeImage> Open(ByteView image) {
        if (!image.Has(0, kDosHeaderSize) || !image.Matches(0, "MZ"))
            return std::nullopt;
        const uint32_t pe = image.U32(kNewHeaderPointer);
        if (!image.Matches(pe, std::string_view("PE\0\0", 4)))
            return std::nullopt;
        const uint64_t fileHeader = uint64_t{pe} + 4;
        const uint64_t optional = fileHeader + kFileHeaderSize;
        const uint16_t optionalSize = image.U16(fileHeader + kOptionalHeaderSize);
        if (!image.Has(optional, optionalSize))
            return std::nullopt;
        PeImage result;
        result.image_ = image;
        result.optional_ = *image.Sub(optional, optionalSize);
        result.sections_ = optional + optionalSize;
        result.sectionCount_ = image.U16(fileHeader + kSectionCount);
        const uint16_t magic = result.optional_.U16(0);
        if (magic != kPe32Magic && magic != kPe32PlusMagic)
            return std::nullopt;
        result.directoryCount_ =
            magic == kPe32Magic ? kPe32DirectoryCount : kPe32PlusDirectoryCount;
        return result;
    }

    // The file bytes at an image address, as far as the file holds them for that address.
    ByteView At(uint32_t rva) const {
        for (size_t i = 0; i < sectionCount_; ++i) {
            const uint64_t header = sections_ + i * kSectionHeaderSize;
            if (!image_.Has(header, kSectionHeaderSize))
                break;
            const uint32_t address = image_.U32(header + kSectionAddress);
            const uint32_t rawSize = image_.U32(header + kSectionRawSize);
            const uint32_t extent = std::max(image_.U32(header + kSectionVirtualSize), rawSize);
            if (rva < address || rva - address >= extent)
                continue;
            const uint32_t into = rva - address;
            if (into >= rawSize)
                return {};  // zero-filled in memory, absent in the file
            // A file cut short keeps the part of the section it still has.
            const ByteView raw = image_.From(image_.U32(header + kSectionRawPointer));
            return raw.Sub(0, std::min<uint64_t>(rawSize, raw.size()))->From(into);
        }
        // Addresses inside the headers map to the same file offsets.
        if (rva < optional_.U32(kSizeOfHeaders))
            return image_.From(rva);
        return {};
    }

    ByteView ResourceDirectory() const {
        const size_t countField = directoryCount_;
        if (optional_.U32(countField) <= kResourceDirectoryIndex)
            return {};
        const size_t entry = countField + 4 + kResourceDirectoryIndex * 8;
        if (!optional_.Has(entry, 8))
            return {};
        const uint32_t rva = optional_.U32(entry);
        const uint32_t size = optional_.U32(entry + 4);
        if (rva == 0 || size == 0)
            return {};
        // Linkers do not always count the resource data in the directory's size: the section's
        // bounds are the limit.
        return At(rva);
    }

  private:
    ByteView image_;
    ByteView optional_;
    uint64_t sections_ = 0;
    size_t sectionCount_ = 0;
    size_t directoryCount_ = 0;
};

struct DirectoryEntry {
    uint32_t name;
    uint32_t target;
};

std::vector<DirectoryEntry> Entries(ByteView resources, uint32_t directory) {
    std::vector<DirectoryEntry> entries;
    if (!resources.Has(directory, kDirectoryEntries))
        return entries;
    const size_t count = size_t{resources.U16(directory + kDirectoryNamedCount)} +
                         resources.U16(directory + kDirectoryIdCount);
    for (size_t i = 0; i < count; ++i) {
        const uint64_t at = uint64_t{directory} + kDirectoryEntries + i * kDirectoryEntrySize;
        if (!resources.Has(at, kDirectoryEntrySize))
            break;
        entries.push_back({resources.U32(at), resources.U32(at + 4)});
    }
    return entries;
}

// Whether a directory entry's name is the numeric identifier.
bool NamesId(uint32_t name, uint16_t id) {
    return !(name & kHighBit) && name == id;
}

// Whether a directory entry's name is the text (resource names compare without case, as
// FindResource upper-cases them).
bool NamesText(ByteView resources, uint32_t name, TextView text) {
    if (!(name & kHighBit))
        return false;
    const uint32_t at = name & ~kHighBit;
    const uint16_t length = resources.U16(at);
    if (length != text.size() || !resources.Has(uint64_t{at} + 2, uint64_t{length} * 2))
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (FoldCase(static_cast<char16_t>(resources.U16(at + 2 + 2 * i))) != FoldCase(text[i]))
            return false;
    }
    return true;
}

// The subdirectory of the first entry whose name matches.
template <typename Matches>
std::optional<uint32_t> Subdirectory(ByteView resources, uint32_t directory, Matches matches) {
    for (const auto& entry : Entries(resources, directory)) {
        if (matches(entry.name) && (entry.target & kHighBit))
            return entry.target & ~kHighBit;
    }
    return std::nullopt;
}

// The data of every language of a name directory.
std::vector<PeResource> LanguageData(const PeImage& pe, ByteView resources, uint32_t names) {
    std::vector<PeResource> found;
    for (const auto& entry : Entries(resources, names)) {
        if ((entry.name & kHighBit) || (entry.target & kHighBit))
            continue;
        if (!resources.Has(entry.target, kDataEntrySize))
            continue;
        const uint32_t rva = resources.U32(entry.target);
        const uint32_t size = resources.U32(entry.target + 4);
        const auto data = pe.At(rva).Sub(0, size);
        if (data)
            found.push_back({static_cast<uint16_t>(entry.name), *data});
    }
    return found;
}

template <typename MatchesType>
std::vector<PeResource> Find(ByteView image, MatchesType matchesType, uint16_t name) {
    const auto pe = PeImage::Open(image);
    if (!pe)
        return {};
    const ByteView resources = pe->ResourceDirectory();
    const auto types =
        Subdirectory(resources, 0, [&](uint32_t n) { return matchesType(resources, n); });
    const auto names =
        types ? Subdirectory(resources, *types, [&](uint32_t n) { return NamesId(n, name); })
              : std::nullopt;
    if (!names)
        return {};
    return LanguageData(*pe, resources, *names);
}

}  // namespace

bool IsPeImage(ByteView image) {
    return PeImage::Open(image).has_value();
}

std::vector<PeResource> FindPeResources(ByteView image, uint16_t type, uint16_t name) {
    return Find(
        image, [&](ByteView, uint32_t n) { return NamesId(n, type); }, name);
}

std::vector<PeResource> FindPeResources(ByteView image, TextView typeName, uint16_t name) {
    return Find(
        image, [&](ByteView resources, uint32_t n) { return NamesText(resources, n, typeName); },
        name);
}

}  // namespace veltrano
