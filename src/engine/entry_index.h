// Entries by key through a hash, beside the ordered map that owns them: open addressing in one
// array (a probe reads neighbouring slots, not a node per entry), each slot with its key's hash
// and views of the map's own key and entry, which stay where they are as long as the entry. A
// copy starts empty: the index is built again from the entries it belongs to when it does not
// hold them all.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "base/text.h"

namespace veltrano {

struct ErrorEntry;

class EntryIndex {
  public:
    EntryIndex() = default;
    EntryIndex(const EntryIndex&) {}
    EntryIndex& operator=(const EntryIndex&) {
        Clear();
        return *this;
    }
    ErrorEntry* Find(std::map<Text, ErrorEntry>& entries, TextView key);
    // key is the entry's key in the map.
    void Add(const Text& key, ErrorEntry& entry);
    void Clear();

  private:
    struct Slot {
        uint64_t hash = 0;
        const Text* key = nullptr;  // null: a free slot
        ErrorEntry* entry = nullptr;
    };
    static uint64_t Hash(TextView key);
    // The slot that holds the key, else the free slot where it would go.
    Slot& SlotFor(TextView key, uint64_t hash);
    void Grow();

    std::vector<Slot> slots_;  // a power of two long, at most half of them used
    size_t count_ = 0;
    // The last key looked up and what it found: a crash record asks about its entry and then
    // merges into it, and a burst of one error looks up one key in a row.
    Text lastKey_;
    ErrorEntry* lastFound_ = nullptr;
    bool hasLast_ = false;
};

}  // namespace veltrano
