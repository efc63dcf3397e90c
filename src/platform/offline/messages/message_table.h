// Message tables (the RT_MESSAGETABLE resource that the message compiler writes): blocks of
// consecutive message identifiers, each entry a text in UTF-16, UTF-8 or the ANSI code page.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_view.h"
#include "base/text.h"
#include "platform/offline/messages/pe_resources.h"

namespace veltrano {

constexpr uint16_t kResourceMessageTable = 11;
constexpr uint16_t kLanguageEnglishUs = 0x0409;

class MessageTable {
  public:
    // Copies the resource's bytes; nullopt when it has no readable block.
    static std::optional<MessageTable> Parse(ByteView resource, uint16_t language);

    uint16_t language() const { return language_; }
    // The message's text as stored, up to its first zero; nullopt when the table has no entry
    // for the identifier or the entry is damaged. ANSI entries are read as Windows-1252.
    std::optional<Text> Find(uint32_t id) const;
    // Every identifier the blocks cover, in block order.
    std::vector<uint32_t> Ids() const;

  private:
    MessageTable(std::vector<uint8_t> bytes, uint16_t language)
        : bytes_(std::move(bytes)), language_(language) {}
    ByteView View() const { return ByteView(bytes_.data(), bytes_.size()); }
    size_t BlockCount() const;

    std::vector<uint8_t> bytes_;
    uint16_t language_ = 0;
};

// True for US English and every other English (primary language 9).
bool IsEnglish(uint16_t language);

// The table chosen among an image's message tables: US English, else another English, else the
// first in the directory. nullopt when none is readable.
std::optional<MessageTable> ChooseMessageTable(ByteView image);

}  // namespace veltrano
