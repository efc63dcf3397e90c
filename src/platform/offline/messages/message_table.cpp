// Message table lookup. Layout (winnt.h): MESSAGE_RESOURCE_DATA is a block count and blocks
// {LowId, HighId, OffsetToEntries}; the entries of a block follow one another, each
// {Length (with this 4-byte head), Flags, text}, one per identifier from LowId to HighId.
#include "platform/offline/messages/message_table.h"

#include "base/windows_1252.h"

namespace veltrano {
namespace {

constexpr size_t kBlocks = 4;
constexpr size_t kBlockSize = 12;
constexpr size_t kEntryHead = 4;
constexpr uint16_t kEntryUnicode = 0x0001;
constexpr uint16_t kEntryUtf8 = 0x0002;  // written by newer message compilers
constexpr uint16_t kPrimaryLanguageMask = 0x03FF;
constexpr uint16_t kLanguageEnglish = 0x09;

}  // namespace

bool IsEnglish(uint16_t language) {
    return (language & kPrimaryLanguageMask) == kLanguageEnglish;
}

std::optional<MessageTable> MessageTable::Parse(ByteView resource, uint16_t language) {
    MessageTable table(std::vector<uint8_t>(resource.data(), resource.data() + resource.size()),
                       language);
    if (table.BlockCount() == 0)
        return std::nullopt;
    return table;
}

size_t MessageTable::BlockCount() const {
    const ByteView view = View();
    const uint64_t declared = view.U32(0);
    const uint64_t fitting = view.size() < kBlocks ? 0 : (view.size() - kBlocks) / kBlockSize;
    return static_cast<size_t>(std::min(declared, fitting));
}

std::optional<Text> MessageTable::Find(uint32_t id) const {
    const ByteView view = View();
    for (size_t b = 0; b < BlockCount(); ++b) {
        const size_t block = kBlocks + b * kBlockSize;
        const uint32_t low = view.U32(block);
        const uint32_t high = view.U32(block + 4);
        if (id < low || id > high)
            continue;
        // Every step moves on by at least one entry head, so the walk ends with the bytes.
        uint64_t entry = view.U32(block + 8);
        for (uint32_t skip = id - low; skip > 0; --skip) {
            const uint16_t length = view.U16(entry);
            if (length < kEntryHead || !view.Has(entry, length))
                return std::nullopt;
            entry += length;
        }
        const uint16_t length = view.U16(entry);
        const auto whole = view.Sub(entry, length);
        if (length < kEntryHead || !whole)
            return std::nullopt;
        const ByteView text = whole->From(kEntryHead);
        const uint16_t flags = view.U16(entry + 2);
        if (flags & kEntryUnicode)
            return Utf16LeText(text);
        if (flags & kEntryUtf8) {
            const auto bytes = reinterpret_cast<const char*>(text.data());
            std::string_view utf8(bytes, text.size());
            return Utf8ToUtf16(utf8.substr(0, utf8.find('\0')));
        }
        return Windows1252Text(text);
    }
    return std::nullopt;
}

std::vector<uint32_t> MessageTable::Ids() const {
    std::vector<uint32_t> ids;
    const ByteView view = View();
    for (size_t b = 0; b < BlockCount(); ++b) {
        const size_t block = kBlocks + b * kBlockSize;
        const uint32_t low = view.U32(block);
        const uint32_t high = view.U32(block + 4);
        // A block cannot hold more entries than its table has entry heads.
        for (uint64_t id = low; id <= high && ids.size() <= view.size() / kEntryHead; ++id) {
            ids.push_back(static_cast<uint32_t>(id));
        }
    }
    return ids;
}

std::optional<MessageTable> ChooseMessageTable(ByteView image) {
    const auto resources = FindPeResources(image, kResourceMessageTable, 1);
    const PeResource* chosen = nullptr;
    for (const auto& resource : resources) {
        if (resource.language == kLanguageEnglishUs) {
            chosen = &resource;
            break;
        }
        if (!chosen || (IsEnglish(resource.language) && !IsEnglish(chosen->language))) {
            chosen = &resource;
        }
    }
    if (!chosen)
        return std::nullopt;
    return MessageTable::Parse(chosen->data, chosen->language);
}

}  // namespace veltrano
