#include "platform/offline/messages/message_table.h"

#include <gtest/gtest.h>

#include <string>

#include "base/byte_store.h"
#include "base/windows_1252.h"

namespace veltrano {
namespace {

// Builds MESSAGE_RESOURCE_DATA the way message compilers lay it out, with room for damage.
class TableBuilder {
  public:
    struct Entry {
        uint16_t flags;
        std::vector<uint8_t> text;  // without padding
    };
    TableBuilder& Block(uint32_t low, std::vector<Entry> entries) {
        blocks_.push_back({low, std::move(entries)});
        return *this;
    }
    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        AppendLe32(out, static_cast<uint32_t>(blocks_.size()));
        const size_t heads = out.size();
        out.resize(heads + blocks_.size() * 12);
        for (size_t b = 0; b < blocks_.size(); ++b) {
            const auto& [low, entries] = blocks_[b];
            StoreLe32(out, heads + b * 12, low);
            StoreLe32(out, heads + b * 12 + 4, static_cast<uint32_t>(low + entries.size() - 1));
            StoreLe32(out, heads + b * 12 + 8, static_cast<uint32_t>(out.size()));
            for (const auto& entry : entries) {
                std::vector<uint8_t> text = entry.text;
                do
                    text.push_back(0);  // a terminating zero, padded to four bytes
                while (text.size() % 4);
                AppendLe16(out, static_cast<uint16_t>(text.size() + 4));
                AppendLe16(out, entry.flags);
                out.insert(out.end(), text.begin(), text.end());
            }
        }
        return out;
    }
    static Entry Unicode(TextView text) {
        std::vector<uint8_t> bytes;
        AppendUtf16Le(bytes, text);
        bytes.push_back(0);
        return {1, bytes};
    }
    static Entry Narrow(const std::string& text, uint16_t flags = 0) {
        return {flags, std::vector<uint8_t>(text.begin(), text.end())};
    }

  private:
    std::vector<std::pair<uint32_t, std::vector<Entry>>> blocks_;
};

std::optional<MessageTable> Parse(const std::vector<uint8_t>& bytes) {
    return MessageTable::Parse(ByteView(bytes.data(), bytes.size()), kLanguageEnglishUs);
}

TEST(MessageTable, FindsEntriesOfEveryEncodingInEveryBlock) {
    const auto bytes =
        TableBuilder()
            .Block(1, {TableBuilder::Unicode(u"first\r\n"),
                       TableBuilder::Narrow("caf\xE9 \x80 \x81\r\n"),
                       TableBuilder::Narrow("Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC", 2)})
            .Block(0xC0000005, {TableBuilder::Unicode(u"access violation")})
            .Bytes();
    const auto table = Parse(bytes);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Find(1), u"first\r\n");
    EXPECT_EQ(table->Find(2), u"café € \u0081\r\n") << "ANSI entries are Windows-1252";
    EXPECT_EQ(table->Find(3), u"Grüße €") << "UTF-8 entries";
    EXPECT_EQ(table->Find(0xC0000005), u"access violation");
    EXPECT_FALSE(table->Find(0));
    EXPECT_FALSE(table->Find(4));
    EXPECT_FALSE(table->Find(0xC0000006));
    EXPECT_EQ(table->Ids(), (std::vector<uint32_t>{1, 2, 3, 0xC0000005}));
}

TEST(MessageTable, DamageMakesEntriesMissingNotWrong) {
    EXPECT_FALSE(Parse({}));
    EXPECT_FALSE(Parse({0, 0, 0, 0})) << "no blocks";
    EXPECT_FALSE(Parse({1, 0, 0, 0, 1, 0, 0, 0})) << "a block head cut short";

    auto bytes = TableBuilder()
                     .Block(10, {TableBuilder::Unicode(u"a"), TableBuilder::Unicode(u"b"),
                                 TableBuilder::Unicode(u"c")})
                     .Bytes();
    auto broken = bytes;
    broken[16] = 0;  // the first entry claims no length: the walk cannot go past it
    broken[17] = 0;
    auto table = Parse(broken);
    ASSERT_TRUE(table);
    EXPECT_FALSE(table->Find(10));
    EXPECT_FALSE(table->Find(12));

    broken = bytes;
    broken[8] = 0xFF;  // the block's high identifier reaches far past its entries
    broken[9] = 0xFF;
    broken[10] = 0xFF;
    table = Parse(broken);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Find(12), u"c");
    EXPECT_FALSE(table->Find(13));
    EXPECT_FALSE(table->Find(0xFFFFFF));
    EXPECT_LE(table->Ids().size(), broken.size());

    broken = bytes;
    broken[12] = 0xF0;  // entries beyond the resource
    table = Parse(broken);
    ASSERT_TRUE(table);
    EXPECT_FALSE(table->Find(11));

    broken = bytes;
    broken[0] = 0xFF;  // an absurd block count
    broken[3] = 0x7F;
    table = Parse(broken);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Find(11), u"b");
}

TEST(MessageTable, LanguagesOfEnglish) {
    EXPECT_TRUE(IsEnglish(0x0409));
    EXPECT_TRUE(IsEnglish(0x0809));
    EXPECT_TRUE(IsEnglish(0x0009));
    EXPECT_FALSE(IsEnglish(0x0407));
    EXPECT_FALSE(IsEnglish(0x0000));
}

TEST(Windows1252, MapsTheTypographicRangeAndStopsAtZero) {
    const uint8_t bytes[] = {'a', 0x80, 0x8A, 0x93, 0x94, 0x99, 0x9F, 0xA0, 0xFF, 0x8D, 0, 'x'};
    EXPECT_EQ(Windows1252Text(ByteView(bytes, sizeof bytes)), u"a€Š“”™Ÿ\u00A0ÿ\u008D");
}

}  // namespace
}  // namespace veltrano
