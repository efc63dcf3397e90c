// The hash index of the catalogue's entries.
#include "engine/entry_index.h"

#include <cstring>
#include <utility>

#include "engine/catalogue.h"

namespace veltrano {
namespace {
constexpr size_t kFirstSlots = 64;
}  // namespace

uint64_t EntryIndex::Hash(TextView key) {
    // FNV-1a over the key's units; the slot is taken from its high bits after a multiplication,
    // which spreads keys that differ only in their last units.
    uint64_t hash = 14695981039346656037ull;
    for (const char16_t c : key)
        hash = (hash ^ c) * 1099511628211ull;
    return hash * 0x9E3779B97F4A7C15ull;
}

EntryIndex::Slot& EntryIndex::SlotFor(TextView key, uint64_t hash) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = static_cast<size_t>(hash >> 32) & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.key == nullptr)
            return slot;
        if (slot.hash == hash && slot.key->size() == key.size() &&
            std::memcmp(slot.key->data(), key.data(), key.size() * sizeof(char16_t)) == 0)
            return slot;
    }
}

void EntryIndex::Grow() {
    std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(
                                                      slots_.empty() ? kFirstSlots : slots_.size() * 2));
    for (const Slot& slot : old) {
        if (slot.key != nullptr)
            SlotFor(*slot.key, slot.hash) = slot;
    }
}

void EntryIndex::Add(const Text& key, ErrorEntry& entry) {
    if ((count_ + 1) * 2 > slots_.size())
        Grow();
    const uint64_t hash = Hash(key);
    Slot& slot = SlotFor(key, hash);
    if (slot.key == nullptr)
        ++count_;
    slot = Slot{hash, &key, &entry};
    hasLast_ = false;
}

void EntryIndex::Clear() {
    slots_.clear();
    count_ = 0;
    hasLast_ = false;
}

ErrorEntry* EntryIndex::Find(std::map<Text, ErrorEntry>& entries, TextView key) {
    if (count_ != entries.size()) {
        Clear();
        for (auto& [k, entry] : entries)
            Add(k, entry);
    }
    if (hasLast_ && key == lastKey_)
        return lastFound_;
    lastFound_ = slots_.empty() ? nullptr : SlotFor(key, Hash(key)).entry;
    lastKey_.assign(key);
    hasLast_ = true;
    return lastFound_;
}

}  // namespace veltrano
