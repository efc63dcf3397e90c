#include "platform/offline/registry/hive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "base/byte_store.h"
#include "writers/hive/hive_writer.h"

namespace veltrano {
namespace {

std::vector<uint8_t> Bytes(size_t size, uint8_t seed) {
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<uint8_t>(seed + i * 7);
    return data;
}

// A tree with every kind of name and value the reader has to tell apart.
HiveWriter SampleTree() {
    HiveWriter writer(u"CsiTool-CreateHive-{00000000-0000-0000-0000-000000000000}");
    auto& services = writer.Root().Key(u"ControlSet001\\Services");
    services.Key(u"EventLog\\Application\\Application Error")
        .SetExpandString(u"EventMessageFile", u"%SystemRoot%\\System32\\wer.dll")
        .SetDword(u"TypesSupported", 7)
        .SetString(u"providerGuid", u"{0ead09bd-2157-539a-8d6d-c87f95b64d70}");
    services.Key(u"Ünïcödé Κλειδί").SetString(u"Wert ä", u"Grüße Ωμέγα");
    services.Key(u"Values")
        .SetString(u"", u"default text")
        .SetMultiString(u"Sources", {u"Application", u"Application Error", u"Application Hang"})
        .SetValue(u"Tiny", kRegBinary, {0xAB, 0xCD})
        .SetValue(u"Empty", kRegBinary, {})
        .SetValue(u"Large", kRegBinary, Bytes(40000, 3))
        .SetValue(u"Medium", kRegBinary, Bytes(5000, 9));
    for (int i = 0; i < 12; ++i) {
        writer.Root().Key(u"Many\\Key" + DecimalText(11 - i)).SetDword(u"Index", 11 - i);
    }
    return writer;
}

struct LayoutCase {
    const char* name;
    HiveLayout layout;
};

HiveLayout With(HiveLayout::LeafList list, size_t maxLeaf, uint32_t minor) {
    HiveLayout layout;
    layout.leafList = list;
    layout.maxLeafEntries = maxLeaf;
    layout.minorVersion = minor;
    return layout;
}

class HiveLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(HiveLayouts, ReadsBackWhatTheWriterWrote) {
    auto hive = Hive::Parse(SampleTree().Bytes(GetParam().layout));
    ASSERT_TRUE(hive);
    EXPECT_FALSE(hive->Dirty());
    EXPECT_EQ(hive->Name(hive->Root()),
              u"CsiTool-CreateHive-{00000000-0000-0000-0000-000000000000}");

    const auto source = hive->Open(
        hive->Root(), u"controlset001\\SERVICES\\eventlog\\application\\APPLICATION ERROR");
    ASSERT_TRUE(source);
    EXPECT_EQ(hive->Name(*source), u"Application Error");
    const auto file = hive->Value(*source, u"eventmessagefile");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->type, kRegExpandSz);
    EXPECT_EQ(ValueText(*file), u"%SystemRoot%\\System32\\wer.dll");
    EXPECT_EQ(ValueDword(*hive->Value(*source, u"TypesSupported")), 7u);

    const auto unicode = hive->Open(hive->Root(), u"ControlSet001\\Services\\ünïcödé κλειδί");
    ASSERT_TRUE(unicode) << "Latin-1 letters fold; Greek ones are stored as written";
    EXPECT_EQ(hive->Name(*unicode), u"Ünïcödé Κλειδί");
    EXPECT_EQ(ValueText(*hive->Value(*unicode, u"WERT Ä")), u"Grüße Ωμέγα");

    const auto values = hive->Open(hive->Root(), u"ControlSet001\\Services\\Values");
    ASSERT_TRUE(values);
    EXPECT_EQ(ValueText(*hive->Value(*values, u"")), u"default text");
    EXPECT_EQ(ValueStrings(*hive->Value(*values, u"Sources")),
              (std::vector<Text>{u"Application", u"Application Error", u"Application Hang"}));
    EXPECT_EQ(ValueText(*hive->Value(*values, u"Sources")), u"Application");
    EXPECT_EQ(hive->Value(*values, u"Tiny")->data, (std::vector<uint8_t>{0xAB, 0xCD}));
    EXPECT_TRUE(hive->Value(*values, u"Empty")->data.empty());
    EXPECT_EQ(hive->Value(*values, u"Large")->data, Bytes(40000, 3));
    EXPECT_EQ(hive->Value(*values, u"Medium")->data, Bytes(5000, 9));
    EXPECT_EQ(hive->Values(*values).size(), 6u);
    EXPECT_FALSE(hive->Value(*values, u"Missing"));
    EXPECT_FALSE(ValueText(*hive->Value(*values, u"Tiny"))) << "binary data is not text";

    const auto many = hive->Open(hive->Root(), u"Many");
    ASSERT_TRUE(many);
    const auto keys = hive->Subkeys(*many);
    ASSERT_EQ(keys.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        const auto key = hive->Subkey(*many, u"key" + DecimalText(i));
        ASSERT_TRUE(key) << i;
        EXPECT_EQ(ValueDword(*hive->Value(*key, u"Index")), static_cast<uint32_t>(i));
    }
    EXPECT_FALSE(hive->Open(hive->Root(), u"Many\\Key12"));
    EXPECT_TRUE(hive->Open(hive->Root(), u"\\Many\\\\Key3\\"));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, HiveLayouts,
    ::testing::Values(LayoutCase{"lh", With(HiveLayout::LeafList::Lh, 1000, 5)},
                      LayoutCase{"lf", With(HiveLayout::LeafList::Lf, 1000, 5)},
                      LayoutCase{"li", With(HiveLayout::LeafList::Li, 1000, 3)},
                      LayoutCase{"riOverLh", With(HiveLayout::LeafList::Lh, 5, 5)},
                      LayoutCase{"riOverLi", With(HiveLayout::LeafList::Li, 1, 5)},
                      LayoutCase{"noBigData", With(HiveLayout::LeafList::Lf, 1000, 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HiveValues, DecodeByType) {
    HiveValue dword{u"", kRegDword, {1, 2, 3, 4}};
    EXPECT_EQ(ValueDword(dword), 0x04030201u);
    HiveValue bigEndian{u"", kRegDwordBigEndian, {1, 2, 3, 4}};
    EXPECT_EQ(ValueDword(bigEndian), 0x01020304u);
    HiveValue shortDword{u"", kRegDword, {1, 2}};
    EXPECT_FALSE(ValueDword(shortDword));
    HiveValue text{u"", kRegSz, {'a', 0, 'b', 0, 0, 0, 'c', 0}};
    EXPECT_EQ(ValueText(text), u"ab") << "text ends at its first zero";
    HiveValue odd{u"", kRegSz, {'a', 0, 'b'}};
    EXPECT_EQ(ValueText(odd), u"a") << "an odd last byte is no character";
    HiveValue noZero{u"", kRegExpandSz, {'x', 0}};
    EXPECT_EQ(ValueText(noZero), u"x");
    EXPECT_FALSE(ValueText(dword));
}

// Offset inside the bins area of the first cell whose payload starts with the signature.
uint32_t FindCell(const std::vector<uint8_t>& file, const std::string& signature, size_t skip = 0) {
    for (size_t pos = 4096 + 4; pos + signature.size() <= file.size(); pos += 8) {
        if (std::equal(signature.begin(), signature.end(), file.begin() + pos) && skip-- == 0) {
            return static_cast<uint32_t>(pos - 4 - 4096);
        }
    }
    ADD_FAILURE() << "no " << signature << " cell";
    return 0;
}

TEST(HiveDamage, NotAHive) {
    EXPECT_FALSE(Hive::Parse({}));
    EXPECT_FALSE(Hive::Parse(std::vector<uint8_t>(4096, 0)));
    auto bytes = SampleTree().Bytes();
    bytes[0] = 'R';
    EXPECT_FALSE(Hive::Parse(bytes)) << "signature";
    bytes = SampleTree().Bytes();
    StoreLe32(bytes, 36, 0x7FFFFFF0);
    EXPECT_FALSE(Hive::Parse(bytes)) << "root beyond the file";
    bytes = SampleTree().Bytes();
    bytes.resize(4096);
    EXPECT_FALSE(Hive::Parse(bytes)) << "no bins";
}

TEST(HiveDamage, DirtyHiveIsStillRead) {
    auto bytes = SampleTree().Bytes();
    StoreLe32(bytes, 8, 2);
    auto hive = Hive::Parse(bytes);
    ASSERT_TRUE(hive);
    EXPECT_TRUE(hive->Dirty());
    EXPECT_TRUE(hive->Open(hive->Root(), u"ControlSet001\\Services\\Values"));
}

TEST(HiveDamage, IndexPointingAtItselfEnds) {
    auto bytes = SampleTree().Bytes(With(HiveLayout::LeafList::Lh, 4, 5));
    const uint32_t ri = FindCell(bytes, "ri");
    StoreLe32(bytes, 4096 + ri + 8, ri);
    auto hive = Hive::Parse(bytes);
    ASSERT_TRUE(hive);
    const auto many = hive->Open(hive->Root(), u"Many");
    ASSERT_TRUE(many);
    EXPECT_EQ(hive->Subkeys(*many).size(), 8u) << "the leaf that the loop replaced is lost";
}

size_t CountKeys(const Hive& hive, HiveKey key) {
    size_t count = 1;
    for (const HiveKey child : hive.Subkeys(key))
        count += CountKeys(hive, child);
    return count;
}

TEST(HiveDamage, BrokenLinksMakeOnlyTheirTargetsMissing) {
    const auto clean = SampleTree().Bytes();
    const auto original = Hive::Parse(clean);
    ASSERT_TRUE(original);
    const size_t allKeys = CountKeys(*original, original->Root());

    // A value whose data size reaches past the bins.
    auto bytes = clean;
    const std::string medium = "Medium";
    const auto name = std::search(bytes.begin(), bytes.end(), medium.begin(), medium.end());
    ASSERT_NE(name, bytes.end());
    StoreLe32(bytes, static_cast<size_t>(name - bytes.begin()) - 20 + 4, 0x7FFFFFFF);
    auto hive = Hive::Parse(bytes);
    ASSERT_TRUE(hive);
    auto values = hive->Open(hive->Root(), u"ControlSet001\\Services\\Values");
    ASSERT_TRUE(values);
    EXPECT_FALSE(hive->Value(*values, u"Medium"));
    EXPECT_TRUE(hive->Value(*values, u"Large"));
    EXPECT_EQ(hive->Values(*values).size(), 5u);

    // A key node turned into free space.
    bytes = clean;
    const auto key = original->Open(original->Root(), u"Many\\Key4");
    ASSERT_TRUE(key);
    StoreLe32(bytes, 4096 + key->cell, 0x100);
    hive = Hive::Parse(bytes);
    ASSERT_TRUE(hive);
    EXPECT_FALSE(hive->Open(hive->Root(), u"Many\\Key4"));
    EXPECT_TRUE(hive->Open(hive->Root(), u"Many\\Key5"));
    EXPECT_EQ(CountKeys(*hive, hive->Root()), allKeys - 1);

    // A subkey list entry that points outside the file.
    bytes = clean;
    StoreLe32(bytes, 4096 + FindCell(bytes, "lh") + 8, 0xFFFFFF00);
    hive = Hive::Parse(bytes);
    ASSERT_TRUE(hive);
    EXPECT_EQ(CountKeys(*hive, hive->Root()), allKeys - 1);
}

// Every shortening and many random changes of a hive are read without a fault: the
// sanitizers of the native build watch each access.
void WalkEverything(const Hive& hive, HiveKey key, int depth) {
    (void)hive.Name(key);
    for (const auto& value : hive.Values(key)) {
        (void)ValueText(value);
        (void)ValueStrings(value);
    }
    (void)hive.Value(key, u"EventMessageFile");
    if (depth > 16)
        return;
    for (const HiveKey child : hive.Subkeys(key))
        WalkEverything(hive, child, depth + 1);
}

TEST(HiveDamage, TruncatedAndScrambledFilesAreReadSafely) {
    const auto clean = SampleTree().Bytes(With(HiveLayout::LeafList::Lh, 4, 5));
    for (size_t size = 4096; size < clean.size(); size += 13) {
        auto hive = Hive::Parse(std::vector<uint8_t>(clean.begin(), clean.begin() + size));
        if (hive)
            WalkEverything(*hive, hive->Root(), 0);
    }
    std::mt19937 random(1234);
    for (int round = 0; round < 400; ++round) {
        auto bytes = clean;
        for (int k = 0; k < 8; ++k) {
            const size_t pos = 4096 + random() % (bytes.size() - 4096);
            bytes[pos] = static_cast<uint8_t>(random());
        }
        auto hive = Hive::Parse(bytes);
        if (hive)
            WalkEverything(*hive, hive->Root(), 0);
    }
}

}  // namespace
}  // namespace veltrano
