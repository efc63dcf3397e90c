#include "engine/entry_index.h"

#include <gtest/gtest.h>

#include "engine/catalogue.h"

namespace veltrano {
namespace {

TEST(EntryIndex, FindsEveryEntryThroughGrowthAndNoKeyItDoesNotHold) {
    std::map<Text, ErrorEntry> entries;
    EntryIndex index;
    // Keys that differ only in their last units, and the empty key.
    for (int i = 0; i < 3000; ++i) {
        const auto at = entries.try_emplace(u"Service_" + DecimalText(i)).first;
        index.Add(at->first, at->second);
    }
    const auto empty = entries.try_emplace(Text()).first;
    index.Add(empty->first, empty->second);
    for (auto& [key, entry] : entries)
        EXPECT_EQ(index.Find(entries, key), &entry) << Utf16ToUtf8(key);
    for (const TextView absent : {u"Service_3000", u"Service_", u"service_1", u"Service_1 "})
        EXPECT_EQ(index.Find(entries, absent), nullptr) << Utf16ToUtf8(absent);
}

TEST(EntryIndex, AKeyLookedUpBeforeItsEntryCameIsFoundOnceItIs) {
    std::map<Text, ErrorEntry> entries;
    EntryIndex index;
    EXPECT_EQ(index.Find(entries, u"a_1"), nullptr);
    EXPECT_EQ(index.Find(entries, u"a_1"), nullptr);
    const auto a = entries.try_emplace(u"a_1").first;
    index.Add(a->first, a->second);
    EXPECT_EQ(index.Find(entries, u"a_1"), &a->second);
    // One put into the map without the index, and one looked up between two others.
    EXPECT_EQ(index.Find(entries, u"b_2"), nullptr);
    ErrorEntry& b = entries[u"b_2"];
    EXPECT_EQ(index.Find(entries, u"b_2"), &b);
    EXPECT_EQ(index.Find(entries, u"a_1"), &a->second);
    EXPECT_EQ(index.Find(entries, u"b_2"), &b);
    index.Clear();
    EXPECT_EQ(index.Find(entries, u"b_2"), &b);
}

TEST(EntryIndex, ACopyFindsTheEntriesOfItsOwnCatalogue) {
    ErrorCatalogue original;
    ErrorEntry e;
    e.AppName = u"app";
    e.ErrorName = u"1";
    original.Add(e);
    ASSERT_NE(original.Find(u"app_1"), nullptr);
    ErrorCatalogue copy = original;
    copy.Find(u"app_1")->ErrorCount = 7;
    EXPECT_EQ(original.Find(u"app_1")->ErrorCount, 0);
    EXPECT_EQ(&copy.entries.at(u"app_1"), copy.Find(u"app_1"));
    // Entries put into the map directly are found too.
    copy.entries[u"other_2"].ErrorCount = 2;
    ASSERT_NE(copy.Find(u"other_2"), nullptr);
    EXPECT_EQ(copy.Find(u"other_2")->ErrorCount, 2);
    copy.Clear();
    EXPECT_EQ(copy.Find(u"app_1"), nullptr);
}

}  // namespace
}  // namespace veltrano
