// Hive serialisation in two passes: every cell is built with links to the cells it names, then
// the cells are placed into 4096-byte hive bins and the links become offsets.
#include "writers/hive/hive_writer.h"

#include <algorithm>

#include "base/byte_store.h"
#include "platform/offline/registry/regf_format.h"

namespace veltrano {
using namespace regf;

namespace {

void PutAscii(std::vector<uint8_t>& b, size_t pos, const char* text) {
    for (size_t i = 0; text[i]; ++i)
        b[pos + i] = static_cast<uint8_t>(text[i]);
}

bool Compressible(TextView name) {
    return std::all_of(name.begin(), name.end(), [](char16_t c) { return c <= 0xFF; });
}

// Names are stored one byte a character when they can be, else as UTF-16LE.
std::vector<uint8_t> NameBytes(TextView name) {
    std::vector<uint8_t> bytes;
    const bool narrow = Compressible(name);
    for (const char16_t c : name) {
        bytes.push_back(static_cast<uint8_t>(c));
        if (!narrow)
            bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

// The hash an "lh" list keeps for each name.
uint32_t NameHash(TextView name) {
    uint32_t hash = 0;
    for (const char16_t c : name)
        hash = hash * 37 + FoldCase(c);
    return hash;
}

bool LessNoCase(const HiveWriterKey* a, const HiveWriterKey* b) {
    return std::lexicographical_compare(
        a->name().begin(), a->name().end(), b->name().begin(), b->name().end(),
        [](char16_t x, char16_t y) { return FoldCase(x) < FoldCase(y); });
}

// A self-relative security descriptor: owner Administrators, group SYSTEM, and a DACL that
// grants Everyone full access to the key and its subkeys.
std::vector<uint8_t> SecurityDescriptor() {
    return {
        1,    0,    0x04, 0x80,               // revision, control: self-relative, DACL present
        48,   0,    0,    0,    64, 0, 0, 0,  // owner, group
        0,    0,    0,    0,    20, 0, 0, 0,  // no SACL, DACL
        2,    0,    28,   0,    1,  0, 0, 0,  // ACL: revision 2, size 28, one ACE
        0,    0x02, 20,   0,                  // ACCESS_ALLOWED, container inherit, size 20
        0x3F, 0x00, 0x0F, 0x00,               // KEY_ALL_ACCESS
        1,    1,    0,    0,    0,  0, 0, 1, 0,  0, 0, 0,                    // S-1-1-0
        1,    2,    0,    0,    0,  0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0,  // S-1-5-32-544
        1,    1,    0,    0,    0,  0, 0, 5, 18, 0, 0, 0,                    // S-1-5-18
    };
}

class CellArena {
  public:
    size_t Add(std::vector<uint8_t> payload) {
        cells_.push_back({std::move(payload), {}});
        return cells_.size() - 1;
    }
    // The offset of target is written into cell's payload at pos once the layout is known.
    void Link(size_t cell, size_t pos, size_t target) {
        cells_[cell].links.push_back({pos, target});
    }

    // Places the cells into bins; returns the bins area and the offset of every cell.
    std::vector<uint8_t> Layout(std::vector<uint32_t>& offsets, FileTime lastWritten) {
        offsets.assign(cells_.size(), 0);
        std::vector<std::pair<size_t, size_t>> bins;  // start, size
        size_t used = 0;
        for (size_t i = 0; i < cells_.size(); ++i) {
            const size_t size = CellSize(i);
            if (bins.empty() || used + size > bins.back().first + bins.back().second) {
                const size_t start = bins.empty() ? 0 : bins.back().first + bins.back().second;
                const size_t binSize =
                    (kBinHeaderSize + size + kBinAlignment - 1) / kBinAlignment * kBinAlignment;
                bins.push_back({start, binSize});
                used = start + kBinHeaderSize;
            }
            offsets[i] = static_cast<uint32_t>(used);
            used += size;
        }
        if (bins.empty())
            bins.push_back({0, kBinAlignment});
        std::vector<uint8_t> area(bins.back().first + bins.back().second, 0);
        for (const auto& [start, size] : bins) {
            PutAscii(area, start, "hbin");
            StoreLe32(area, start + kBinOffset, static_cast<uint32_t>(start));
            StoreLe32(area, start + kBinSize, static_cast<uint32_t>(size));
            StoreLe64(area, start + kBinTimestamp, lastWritten);
            // The space after the last cell of each bin is one free cell (positive size).
            size_t end = start + kBinHeaderSize;
            for (size_t i = 0; i < cells_.size(); ++i) {
                if (offsets[i] >= start && offsets[i] < start + size) {
                    end = std::max<size_t>(end, offsets[i] + CellSize(i));
                }
            }
            if (end < start + size)
                StoreLe32(area, end, static_cast<uint32_t>(start + size - end));
        }
        for (size_t i = 0; i < cells_.size(); ++i) {
            auto& cell = cells_[i];
            for (const auto& [pos, target] : cell.links)
                StoreLe32(cell.payload, pos, offsets[target]);
            StoreLe32(area, offsets[i], static_cast<uint32_t>(-static_cast<int32_t>(CellSize(i))));
            std::copy(cell.payload.begin(), cell.payload.end(), area.begin() + offsets[i] + 4);
        }
        return area;
    }

  private:
    struct Pending {
        std::vector<uint8_t> payload;
        std::vector<std::pair<size_t, size_t>> links;
    };
    size_t CellSize(size_t i) const {
        return (4 + cells_[i].payload.size() + kCellAlignment - 1) / kCellAlignment *
               kCellAlignment;
    }
    std::vector<Pending> cells_;
};

class HiveEmitter {
  public:
    explicit HiveEmitter(const HiveLayout& layout) : layout_(layout) {
        auto sd = SecurityDescriptor();
        std::vector<uint8_t> sk(kSkDescriptor + sd.size(), 0);
        PutAscii(sk, 0, "sk");
        StoreLe32(sk, kSkDescriptorSize, static_cast<uint32_t>(sd.size()));
        std::copy(sd.begin(), sd.end(), sk.begin() + kSkDescriptor);
        security_ = arena_.Add(std::move(sk));
        arena_.Link(security_, kSkNext, security_);  // the only descriptor is its own neighbour
        arena_.Link(security_, kSkPrevious, security_);
    }

    size_t Key(const HiveWriterKey& key, std::optional<size_t> parent) {
        const auto name = NameBytes(key.name());
        std::vector<uint8_t> nk(kNkName + name.size(), 0);
        PutAscii(nk, 0, "nk");
        uint16_t flags = Compressible(key.name()) ? kKeyCompressedName : 0;
        if (!parent)
            flags |= kKeyHiveEntry | kKeyNoDelete;
        StoreLe16(nk, kNkFlags, flags);
        StoreLe64(nk, kNkLastWritten, layout_.lastWritten);
        StoreLe32(nk, kNkParent, parent ? 0 : kNoCell);
        StoreLe32(nk, kNkSubkeyCount, static_cast<uint32_t>(key.subkeys().size()));
        StoreLe32(nk, kNkSubkeyList, kNoCell);
        StoreLe32(nk, kNkVolatileSubkeyList, kNoCell);
        StoreLe32(nk, kNkValueCount, static_cast<uint32_t>(key.values().size()));
        StoreLe32(nk, kNkValueList, kNoCell);
        StoreLe32(nk, kNkClass, kNoCell);
        StoreLe16(nk, kNkNameLength, static_cast<uint32_t>(name.size()));
        std::copy(name.begin(), name.end(), nk.begin() + kNkName);
        size_t longestSubkey = 0, longestValueName = 0, largestData = 0;
        for (const auto& child : key.subkeys())
            longestSubkey = std::max(longestSubkey, child->name().size());
        for (const auto& value : key.values()) {
            longestValueName = std::max(longestValueName, value.name.size());
            largestData = std::max(largestData, value.data.size());
        }
        StoreLe32(nk, kNkLongestSubkeyName, static_cast<uint32_t>(longestSubkey * 2));
        StoreLe32(nk, kNkLongestValueName, static_cast<uint32_t>(longestValueName * 2));
        StoreLe32(nk, kNkLargestValueData, static_cast<uint32_t>(largestData));

        const size_t cell = arena_.Add(std::move(nk));
        if (parent)
            arena_.Link(cell, kNkParent, *parent);
        arena_.Link(cell, kNkSecurity, security_);
        if (!key.values().empty())
            arena_.Link(cell, kNkValueList, ValueList(key.values()));
        if (!key.subkeys().empty())
            arena_.Link(cell, kNkSubkeyList, SubkeyList(key, cell));
        return cell;
    }

    std::vector<uint8_t> File() {
        std::vector<uint32_t> offsets;
        const auto bins = arena_.Layout(offsets, layout_.lastWritten);
        std::vector<uint8_t> file(kBaseBlockSize, 0);
        PutAscii(file, 0, "regf");
        StoreLe32(file, kBaseSequence1, 1);
        StoreLe32(file, kBaseSequence2, 1);
        StoreLe64(file, kBaseLastWritten, layout_.lastWritten);
        StoreLe32(file, kBaseMajorVersion, 1);
        StoreLe32(file, kBaseMinorVersion, layout_.minorVersion);
        StoreLe32(file, kBaseFileFormat, 1);  // direct memory load
        StoreLe32(file, kBaseRootCell, offsets[root_]);
        StoreLe32(file, kBaseBinsSize, static_cast<uint32_t>(bins.size()));
        StoreLe32(file, kBaseClustering, 1);
        const TextView fileName = TextView(layout_.fileName).substr(0, kBaseFileNameLength - 1);
        for (size_t i = 0; i < fileName.size(); ++i)
            StoreLe16(file, kBaseFileName + i * 2, fileName[i]);
        uint32_t checksum = 0;
        for (size_t pos = 0; pos < kBaseChecksum; pos += 4) {
            checksum ^= static_cast<uint32_t>(file[pos]) | (file[pos + 1] << 8) |
                        (file[pos + 2] << 16) | (static_cast<uint32_t>(file[pos + 3]) << 24);
        }
        if (checksum == 0)
            checksum = 1;
        if (checksum == 0xFFFFFFFF)
            checksum = 0xFFFFFFFE;
        StoreLe32(file, kBaseChecksum, checksum);
        file.insert(file.end(), bins.begin(), bins.end());
        return file;
    }

    void SetRoot(size_t cell) { root_ = cell; }

  private:
    size_t ValueList(const std::vector<HiveWriterKey::Value>& values) {
        const size_t list = arena_.Add(std::vector<uint8_t>(values.size() * 4, 0));
        for (size_t i = 0; i < values.size(); ++i)
            arena_.Link(list, i * 4, ValueNode(values[i]));
        return list;
    }

    size_t ValueNode(const HiveWriterKey::Value& value) {
        const auto name = NameBytes(value.name);
        std::vector<uint8_t> vk(kVkName + name.size(), 0);
        PutAscii(vk, 0, "vk");
        StoreLe16(vk, kVkNameLength, static_cast<uint32_t>(name.size()));
        StoreLe32(vk, kVkType, value.type);
        StoreLe16(vk, kVkFlags, Compressible(value.name) ? kValueCompressedName : 0);
        std::copy(name.begin(), name.end(), vk.begin() + kVkName);
        const auto& data = value.data;
        if (data.size() <= 4) {
            StoreLe32(vk, kVkDataSize, static_cast<uint32_t>(data.size()) | kResidentData);
            std::copy(data.begin(), data.end(), vk.begin() + kVkData);
            return arena_.Add(std::move(vk));
        }
        StoreLe32(vk, kVkDataSize, static_cast<uint32_t>(data.size()));
        const size_t cell = arena_.Add(std::move(vk));
        arena_.Link(cell, kVkData, DataCell(data));
        return cell;
    }

    size_t DataCell(const std::vector<uint8_t>& data) {
        if (data.size() <= kBigDataSegment || layout_.minorVersion < kBigDataMinorVersion)
            return arena_.Add(data);
        const size_t segments = (data.size() + kBigDataSegment - 1) / kBigDataSegment;
        const size_t list = arena_.Add(std::vector<uint8_t>(segments * 4, 0));
        for (size_t i = 0; i < segments; ++i) {
            const size_t begin = i * kBigDataSegment;
            const size_t end = std::min(data.size(), begin + kBigDataSegment);
            arena_.Link(list, i * 4, arena_.Add({data.begin() + begin, data.begin() + end}));
        }
        std::vector<uint8_t> db(kDbSegmentList + 4, 0);
        PutAscii(db, 0, "db");
        StoreLe16(db, kDbSegmentCount, static_cast<uint32_t>(segments));
        const size_t cell = arena_.Add(std::move(db));
        arena_.Link(cell, kDbSegmentList, list);
        return cell;
    }

    size_t SubkeyList(const HiveWriterKey& key, size_t parent) {
        std::vector<const HiveWriterKey*> sorted;
        for (const auto& child : key.subkeys())
            sorted.push_back(child.get());
        std::sort(sorted.begin(), sorted.end(), LessNoCase);
        std::vector<size_t> children;
        for (const auto* child : sorted)
            children.push_back(Key(*child, parent));

        const size_t perLeaf = std::max<size_t>(layout_.maxLeafEntries, 1);
        std::vector<size_t> leaves;
        for (size_t begin = 0; begin < sorted.size(); begin += perLeaf) {
            const size_t end = std::min(sorted.size(), begin + perLeaf);
            leaves.push_back(Leaf(sorted, children, begin, end));
        }
        if (leaves.size() == 1)
            return leaves[0];
        std::vector<uint8_t> ri(kListEntries + leaves.size() * kPlainListStride, 0);
        PutAscii(ri, 0, "ri");
        StoreLe16(ri, kListCount, static_cast<uint32_t>(leaves.size()));
        const size_t index = arena_.Add(std::move(ri));
        for (size_t i = 0; i < leaves.size(); ++i)
            arena_.Link(index, kListEntries + i * kPlainListStride, leaves[i]);
        return index;
    }

    size_t Leaf(const std::vector<const HiveWriterKey*>& keys, const std::vector<size_t>& cells,
                size_t begin, size_t end) {
        const bool plain = layout_.leafList == HiveLayout::LeafList::Li;
        const size_t stride = plain ? kPlainListStride : kHashedListStride;
        std::vector<uint8_t> list(kListEntries + (end - begin) * stride, 0);
        PutAscii(list, 0,
                 plain                                          ? "li"
                 : layout_.leafList == HiveLayout::LeafList::Lf ? "lf"
                                                                : "lh");
        StoreLe16(list, kListCount, static_cast<uint32_t>(end - begin));
        for (size_t i = begin; i < end; ++i) {
            const size_t pos = kListEntries + (i - begin) * stride;
            const TextView name = keys[i]->name();
            if (layout_.leafList == HiveLayout::LeafList::Lh) {
                StoreLe32(list, pos + 4, NameHash(name));
            } else if (layout_.leafList == HiveLayout::LeafList::Lf) {
                // The first four characters of the name serve as its hint.
                for (size_t k = 0; k < 4 && k < name.size(); ++k) {
                    list[pos + 4 + k] = static_cast<uint8_t>(name[k]);
                }
            }
        }
        const size_t cell = arena_.Add(std::move(list));
        for (size_t i = begin; i < end; ++i)
            arena_.Link(cell, kListEntries + (i - begin) * stride, cells[i]);
        return cell;
    }

    const HiveLayout& layout_;
    CellArena arena_;
    size_t security_ = 0;
    size_t root_ = 0;
};

std::vector<uint8_t> Utf16WithZero(TextView text) {
    std::vector<uint8_t> data;
    AppendUtf16Le(data, text);
    AppendLe16(data, 0);
    return data;
}

}  // namespace

std::vector<uint8_t> RegistryStringData(TextView text) {
    return Utf16WithZero(text);
}

HiveWriterKey& HiveWriterKey::Key(TextView path) {
    HiveWriterKey* key = this;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find(u'\\', pos);
        if (end == TextView::npos)
            end = path.size();
        const TextView part = path.substr(pos, end - pos);
        if (!part.empty()) {
            auto& children = key->subkeys_;
            auto found = std::find_if(children.begin(), children.end(), [&](const auto& child) {
                return EqualsNoCase(child->name(), part);
            });
            if (found == children.end()) {
                children.push_back(std::make_unique<HiveWriterKey>(Text(part)));
                found = children.end() - 1;
            }
            key = found->get();
        }
        pos = end + 1;
    }
    return *key;
}

HiveWriterKey& HiveWriterKey::SetValue(TextView name, uint32_t type, std::vector<uint8_t> data) {
    auto found = std::find_if(values_.begin(), values_.end(),
                              [&](const Value& v) { return EqualsNoCase(v.name, name); });
    if (found == values_.end()) {
        values_.push_back({Text(name), type, std::move(data)});
    } else {
        found->type = type;
        found->data = std::move(data);
    }
    return *this;
}

HiveWriterKey& HiveWriterKey::SetString(TextView name, TextView value) {
    return SetValue(name, 1, Utf16WithZero(value));
}

HiveWriterKey& HiveWriterKey::SetExpandString(TextView name, TextView value) {
    return SetValue(name, 2, Utf16WithZero(value));
}

HiveWriterKey& HiveWriterKey::SetMultiString(TextView name, const std::vector<Text>& strings) {
    std::vector<uint8_t> data;
    for (const auto& s : strings) {
        const auto part = Utf16WithZero(s);
        data.insert(data.end(), part.begin(), part.end());
    }
    data.push_back(0);
    data.push_back(0);
    return SetValue(name, 7, std::move(data));
}

HiveWriterKey& HiveWriterKey::SetDword(TextView name, uint32_t value) {
    return SetValue(name, 4,
                    {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                     static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

std::vector<uint8_t> HiveWriter::Bytes(const HiveLayout& layout) const {
    HiveEmitter emitter(layout);
    emitter.SetRoot(emitter.Key(root_, std::nullopt));
    return emitter.File();
}

}  // namespace veltrano
