// Reader of Windows registry hive files ("regf": a 4096-byte base block, then hive bins holding
// cells: key nodes "nk", values "vk", subkey lists "lf"/"lh"/"li"/"ri", big data "db").
// Read-only and tolerant: every offset comes from the file and is checked against it; damage
// makes the key or value concerned absent, never more.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_view.h"
#include "base/text.h"

namespace veltrano {

// Registry value types.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegDwordBigEndian = 5;
constexpr uint32_t kRegLink = 6;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegQword = 11;

struct HiveValue {
    Text name;
    uint32_t type = kRegNone;
    std::vector<uint8_t> data;
};

// The text of a REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ value (its first string) up to the first
// zero; nullopt for other types.
std::optional<Text> ValueText(const HiveValue& value);
// The strings of a REG_MULTI_SZ value (a REG_SZ gives one); nullopt for other types.
std::optional<std::vector<Text>> ValueStrings(const HiveValue& value);
// A REG_DWORD (either byte order) of four bytes or more; nullopt otherwise.
std::optional<uint32_t> ValueDword(const HiveValue& value);

// A key node inside one hive: the offset of its cell.
struct HiveKey {
    uint32_t cell = 0;
};

class Hive {
  public:
    // Takes the whole file. nullopt when it is not a hive (no base block, no root key).
    static std::optional<Hive> Parse(std::vector<uint8_t> file);

    HiveKey Root() const { return root_; }
    // Minor format version (3 for NT 4 to XP era files, 5 from XP on); big data needs 4 or more.
    uint32_t MinorVersion() const { return minorVersion_; }
    // True when the base block's two sequence numbers differ: the file was not closed cleanly
    // and its transaction logs (not read here) may hold newer data.
    bool Dirty() const { return dirty_; }

    Text Name(HiveKey key) const;
    // The subkey with this name, compared without regard to letter case as Windows does.
    std::optional<HiveKey> Subkey(HiveKey key, TextView name) const;
    // Walks a path of subkey names separated by backslashes ("" is the key itself).
    std::optional<HiveKey> Open(HiveKey key, TextView path) const;
    std::vector<HiveKey> Subkeys(HiveKey key) const;

    // The value with this name ("" for the key's default value), any letter case.
    std::optional<HiveValue> Value(HiveKey key, TextView name) const;
    std::vector<HiveValue> Values(HiveKey key) const;

  private:
    explicit Hive(std::vector<uint8_t> file) : file_(std::move(file)) {}
    // The payload of an allocated cell (after its size field); nullopt when damaged.
    std::optional<ByteView> Cell(uint32_t offset) const;
    std::optional<ByteView> KeyNode(HiveKey key) const;
    std::optional<ByteView> ValueNode(uint32_t offset) const;
    void CollectSubkeys(uint32_t listOffset, int depth, std::vector<HiveKey>& out) const;
    std::vector<uint32_t> ValueOffsets(ByteView nk) const;
    Text ValueName(ByteView vk) const;
    std::optional<HiveValue> ReadValue(ByteView vk) const;
    std::optional<std::vector<uint8_t>> BigData(ByteView db, uint32_t size) const;

    // The hive bins area: cell offsets count from its start.
    ByteView Bins() const;

    std::vector<uint8_t> file_;
    size_t binsSize_ = 0;
    HiveKey root_;
    uint32_t minorVersion_ = 0;
    bool dirty_ = false;
};

}  // namespace veltrano
