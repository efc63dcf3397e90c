// Hive file parsing, with the layout the forensic community has documented (J. Metz's notes on
// the REGF format for libregf, M. Suhanov's description of the registry file format); the field
// offsets are in regf_format.h.
#include "platform/offline/registry/hive.h"

#include <algorithm>

#include "platform/offline/registry/regf_format.h"

namespace veltrano {
using namespace regf;

namespace {

// An "ri" list points to leaf lists only; one level is all Windows writes.
constexpr int kMaxIndexDepth = 1;

Text NodeName(ByteView node, size_t lengthField, size_t nameField, bool compressed) {
    const uint16_t length = node.U16(lengthField);
    const auto bytes = node.Sub(nameField, length);
    if (!bytes)
        return {};
    if (!compressed)
        return Utf16LeText(*bytes);
    // Compressed names are stored one byte per character; a zero byte is a character, not an
    // end, so take them all.
    Text name;
    name.reserve(length);
    for (size_t i = 0; i < bytes->size(); ++i)
        name.push_back(static_cast<char16_t>(bytes->U8(i)));
    return name;
}

}  // namespace

std::optional<Text> ValueText(const HiveValue& value) {
    if (value.type != kRegSz && value.type != kRegExpandSz && value.type != kRegMultiSz) {
        return std::nullopt;
    }
    return Utf16LeText(ByteView(value.data.data(), value.data.size()));
}

std::optional<std::vector<Text>> ValueStrings(const HiveValue& value) {
    if (value.type != kRegSz && value.type != kRegExpandSz && value.type != kRegMultiSz) {
        return std::nullopt;
    }
    const ByteView bytes(value.data.data(), value.data.size());
    std::vector<Text> strings;
    size_t pos = 0;
    while (pos + 1 < bytes.size()) {
        Text s = Utf16LeText(bytes.From(pos));
        if (s.empty())
            break;  // an empty string ends the list
        pos += (s.size() + 1) * 2;
        strings.push_back(std::move(s));
        if (value.type != kRegMultiSz)
            break;
    }
    return strings;
}

std::optional<uint32_t> ValueDword(const HiveValue& value) {
    if (value.data.size() < 4)
        return std::nullopt;
    const ByteView bytes(value.data.data(), value.data.size());
    if (value.type == kRegDword)
        return bytes.U32(0);
    if (value.type == kRegDwordBigEndian) {
        return (static_cast<uint32_t>(bytes.U8(0)) << 24) |
               (static_cast<uint32_t>(bytes.U8(1)) << 16) |
               (static_cast<uint32_t>(bytes.U8(2)) << 8) | bytes.U8(3);
    }
    return std::nullopt;
}

std::optional<Hive> Hive::Parse(std::vector<uint8_t> file) {
    Hive hive(std::move(file));
    const ByteView base(hive.file_.data(), hive.file_.size());
    if (!base.Has(0, kBaseBlockSize) || !base.Matches(0, "regf"))
        return std::nullopt;
    hive.dirty_ = base.U32(kBaseSequence1) != base.U32(kBaseSequence2);
    hive.minorVersion_ = base.U32(kBaseMinorVersion);
    // The declared size of the bins area is trusted only as far as the file reaches; a file cut
    // short keeps what it has.
    const size_t available = base.size() - kBaseBlockSize;
    const uint32_t declared = base.U32(kBaseBinsSize);
    hive.binsSize_ = declared == 0 ? available : std::min<size_t>(declared, available);
    hive.root_ = HiveKey{base.U32(kBaseRootCell)};
    if (!hive.KeyNode(hive.root_))
        return std::nullopt;
    return hive;
}

ByteView Hive::Bins() const {
    if (file_.size() < kBaseBlockSize)
        return {};
    return ByteView(file_.data() + kBaseBlockSize, binsSize_);
}

std::optional<ByteView> Hive::Cell(uint32_t offset) const {
    const ByteView bins = Bins();
    if (offset == kNoCell || !bins.Has(offset, 4))
        return std::nullopt;
    const int32_t size = static_cast<int32_t>(bins.U32(offset));
    // Allocated cells carry a negative size; a positive one is free space.
    if (size >= 0 || size == INT32_MIN)
        return std::nullopt;
    const uint32_t length = static_cast<uint32_t>(-size);
    if (length < 4)
        return std::nullopt;
    return bins.Sub(uint64_t{offset} + 4, length - 4);
}

std::optional<ByteView> Hive::KeyNode(HiveKey key) const {
    auto nk = Cell(key.cell);
    if (!nk || !nk->Has(0, kNkName) || !nk->Matches(0, "nk"))
        return std::nullopt;
    return nk;
}

std::optional<ByteView> Hive::ValueNode(uint32_t offset) const {
    auto vk = Cell(offset);
    if (!vk || !vk->Has(0, kVkName) || !vk->Matches(0, "vk"))
        return std::nullopt;
    return vk;
}

Text Hive::Name(HiveKey key) const {
    const auto nk = KeyNode(key);
    if (!nk)
        return {};
    return NodeName(*nk, kNkNameLength, kNkName, (nk->U16(kNkFlags) & kKeyCompressedName) != 0);
}

void Hive::CollectSubkeys(uint32_t listOffset, int depth, std::vector<HiveKey>& out) const {
    const auto list = Cell(listOffset);
    if (!list || !list->Has(0, kListEntries))
        return;
    const uint16_t count = list->U16(kListCount);
    const bool hashed = list->Matches(0, "lf") || list->Matches(0, "lh");
    const bool plain = list->Matches(0, "li");
    const bool index = list->Matches(0, "ri");
    if (!hashed && !plain && !index)
        return;
    const size_t stride = hashed ? kHashedListStride : kPlainListStride;
    for (size_t i = 0; i < count && list->Has(kListEntries + i * stride, 4); ++i) {
        const uint32_t target = list->U32(kListEntries + i * stride);
        if (index) {
            if (depth < kMaxIndexDepth)
                CollectSubkeys(target, depth + 1, out);
        } else {
            out.push_back(HiveKey{target});
        }
    }
}

std::vector<HiveKey> Hive::Subkeys(HiveKey key) const {
    std::vector<HiveKey> keys;
    const auto nk = KeyNode(key);
    if (!nk)
        return keys;
    CollectSubkeys(nk->U32(kNkSubkeyList), 0, keys);
    std::erase_if(keys, [this](HiveKey k) { return !KeyNode(k); });
    return keys;
}

std::optional<HiveKey> Hive::Subkey(HiveKey key, TextView name) const {
    // A linear walk instead of the binary search Windows does: it also finds keys in lists that
    // a damaged or foreign writer left unsorted.
    for (const HiveKey child : Subkeys(key)) {
        if (EqualsNoCase(Name(child), name))
            return child;
    }
    return std::nullopt;
}

std::optional<HiveKey> Hive::Open(HiveKey key, TextView path) const {
    size_t pos = 0;
    while (pos < path.size()) {
        size_t end = path.find(u'\\', pos);
        if (end == TextView::npos)
            end = path.size();
        if (end > pos) {
            const auto child = Subkey(key, path.substr(pos, end - pos));
            if (!child)
                return std::nullopt;
            key = *child;
        }
        pos = end + 1;
    }
    if (!KeyNode(key))
        return std::nullopt;
    return key;
}

std::vector<uint32_t> Hive::ValueOffsets(ByteView nk) const {
    std::vector<uint32_t> offsets;
    const uint32_t count = nk.U32(kNkValueCount);
    if (count == 0)
        return offsets;
    const auto list = Cell(nk.U32(kNkValueList));
    if (!list)
        return offsets;
    for (size_t i = 0; i < count && list->Has(i * 4, 4); ++i)
        offsets.push_back(list->U32(i * 4));
    return offsets;
}

Text Hive::ValueName(ByteView vk) const {
    return NodeName(vk, kVkNameLength, kVkName, (vk.U16(kVkFlags) & kValueCompressedName) != 0);
}

std::optional<std::vector<uint8_t>> Hive::BigData(ByteView db, uint32_t size) const {
    const uint16_t segments = db.U16(kDbSegmentCount);
    const auto list = Cell(db.U32(kDbSegmentList));
    if (!list)
        return std::nullopt;
    std::vector<uint8_t> data;
    for (size_t i = 0; i < segments && data.size() < size; ++i) {
        if (!list->Has(i * 4, 4))
            return std::nullopt;
        const auto segment = Cell(list->U32(i * 4));
        if (!segment)
            return std::nullopt;
        const size_t take =
            std::min<size_t>({segment->size(), kBigDataSegment, size - data.size()});
        data.insert(data.end(), segment->data(), segment->data() + take);
    }
    if (data.size() < size)
        return std::nullopt;
    return data;
}

std::optional<HiveValue> Hive::ReadValue(ByteView vk) const {
    HiveValue value;
    value.name = ValueName(vk);
    value.type = vk.U32(kVkType);
    const uint32_t sizeField = vk.U32(kVkDataSize);
    if (sizeField & kResidentData) {
        // Up to four bytes live in the data-offset field itself.
        const uint32_t size = std::min<uint32_t>(sizeField & ~kResidentData, 4);
        value.data.assign(vk.data() + kVkData, vk.data() + kVkData + size);
        return value;
    }
    if (sizeField == 0)
        return value;
    const auto cell = Cell(vk.U32(kVkData));
    if (!cell)
        return std::nullopt;
    if (sizeField > kBigDataSegment && minorVersion_ >= kBigDataMinorVersion &&
        cell->Has(0, kDbSegmentList + 4) && cell->Matches(0, "db")) {
        auto data = BigData(*cell, sizeField);
        if (!data)
            return std::nullopt;
        value.data = std::move(*data);
        return value;
    }
    if (!cell->Has(0, sizeField))
        return std::nullopt;
    value.data.assign(cell->data(), cell->data() + sizeField);
    return value;
}

std::optional<HiveValue> Hive::Value(HiveKey key, TextView name) const {
    const auto nk = KeyNode(key);
    if (!nk)
        return std::nullopt;
    for (const uint32_t offset : ValueOffsets(*nk)) {
        const auto vk = ValueNode(offset);
        if (vk && EqualsNoCase(ValueName(*vk), name))
            return ReadValue(*vk);
    }
    return std::nullopt;
}

std::vector<HiveValue> Hive::Values(HiveKey key) const {
    std::vector<HiveValue> values;
    const auto nk = KeyNode(key);
    if (!nk)
        return values;
    for (const uint32_t offset : ValueOffsets(*nk)) {
        const auto vk = ValueNode(offset);
        if (!vk)
            continue;
        if (auto value = ReadValue(*vk))
            values.push_back(std::move(*value));
    }
    return values;
}

}  // namespace veltrano
