// Writes registry hive files ("regf", format 1.5 as Windows XP and later write them) from a tree
// of keys and values: fixtures for the hive reader's tests and the sample machine's hives.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"

namespace veltrano {

class HiveWriterKey {
  public:
    struct Value {
        Text name;
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };

    explicit HiveWriterKey(Text name) : name_(std::move(name)) {}
    HiveWriterKey(const HiveWriterKey&) = delete;
    HiveWriterKey& operator=(const HiveWriterKey&) = delete;
    HiveWriterKey(HiveWriterKey&&) = default;
    HiveWriterKey& operator=(HiveWriterKey&&) = default;

    const Text& name() const { return name_; }
    // The subkey at a backslash path below this key, created as needed (any letter case finds
    // an existing key, as in the registry).
    HiveWriterKey& Key(TextView path);

    // Values replace an existing value of the same name. "" names the key's default value.
    HiveWriterKey& SetString(TextView name, TextView value);
    HiveWriterKey& SetExpandString(TextView name, TextView value);
    HiveWriterKey& SetMultiString(TextView name, const std::vector<Text>& strings);
    HiveWriterKey& SetDword(TextView name, uint32_t value);
    HiveWriterKey& SetValue(TextView name, uint32_t type, std::vector<uint8_t> data);

    const std::vector<std::unique_ptr<HiveWriterKey>>& subkeys() const { return subkeys_; }
    const std::vector<Value>& values() const { return values_; }

  private:
    Text name_;
    std::vector<std::unique_ptr<HiveWriterKey>> subkeys_;
    std::vector<Value> values_;
};

// How the file is laid out; the defaults are what Windows writes.
struct HiveLayout {
    enum class LeafList { Lh, Lf, Li };
    LeafList leafList = LeafList::Lh;
    // Keys with more subkeys than this get an "ri" index over several leaf lists.
    size_t maxLeafEntries = 1000;
    uint32_t minorVersion = 5;
    FileTime lastWritten = 134089200000000000;  // 2025-11-29 20:00 UTC
    // Recorded in the base block, as Windows records the hive's path.
    Text fileName;
};

class HiveWriter {
  public:
    explicit HiveWriter(Text rootName = u"ROOT") : root_(std::move(rootName)) {}
    HiveWriterKey& Root() { return root_; }
    const HiveWriterKey& Root() const { return root_; }
    std::vector<uint8_t> Bytes(const HiveLayout& layout = {}) const;

  private:
    HiveWriterKey root_;
};

// REG_SZ / REG_EXPAND_SZ data: UTF-16LE with its terminating zero.
std::vector<uint8_t> RegistryStringData(TextView text);

}  // namespace veltrano
