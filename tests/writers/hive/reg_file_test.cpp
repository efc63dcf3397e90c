// REGEDIT4 text of hive writer keys: section names, value forms and the order of keys.
#include <gtest/gtest.h>

#include "writers/hive/reg_file.h"

namespace veltrano {
namespace {

TEST(RegFile, HeaderIsRegedit4AndABlankLine) {
    EXPECT_EQ(RegEditHeader(), "REGEDIT4\r\n\r\n");
}

TEST(RegFile, ValuesInTheirRegedit4Forms) {
    HiveWriterKey key(u"Source");
    key.SetString(u"", u"default")
        .SetString(u"Quoted", u"say \"C:\\x\"")
        .SetExpandString(u"File", u"%A%\\b")
        .SetDword(u"Types", 0x1234abcd)
        .SetMultiString(u"Two", {u"a", u"b"})
        .SetValue(u"Raw", 3, {0x00, 0xff});
    EXPECT_EQ(RegEditSections(key, "HKEY_LOCAL_MACHINE\\X"),
              "[HKEY_LOCAL_MACHINE\\X]\r\n"
              "@=\"default\"\r\n"
              "\"Quoted\"=\"say \\\"C:\\\\x\\\"\"\r\n"
              "\"File\"=hex(2):25,41,25,5c,62,00\r\n"
              "\"Types\"=dword:1234abcd\r\n"
              "\"Two\"=hex(7):61,00,62,00,00\r\n"
              "\"Raw\"=hex(3):00,ff\r\n"
              "\r\n");
}

TEST(RegFile, ParentsComeBeforeTheirSubkeys) {
    HiveWriterKey root(u"Root");
    root.Key(u"A\\B").SetDword(u"v", 1);
    root.Key(u"C");
    EXPECT_EQ(RegEditSections(root.Key(u"A"), "HKEY_LOCAL_MACHINE\\P"),
              "[HKEY_LOCAL_MACHINE\\P]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\P\\B]\r\n\"v\"=dword:00000001\r\n\r\n");
    const std::string all = RegEditSections(root, "HKEY_LOCAL_MACHINE\\R");
    EXPECT_LT(all.find("[HKEY_LOCAL_MACHINE\\R\\A]"), all.find("[HKEY_LOCAL_MACHINE\\R\\A\\B]"));
    EXPECT_NE(all.find("[HKEY_LOCAL_MACHINE\\R\\C]"), std::string::npos);
}

TEST(RegFile, TextBeyondAsciiBecomesAQuestionMark) {
    HiveWriterKey key(u"K");
    key.SetString(u"N\u00e4me", u"\u20ac1");
    EXPECT_EQ(RegEditSections(key, "HKEY_LOCAL_MACHINE\\K"),
              "[HKEY_LOCAL_MACHINE\\K]\r\n\"N?me\"=\"?1\"\r\n\r\n");
}

}  // namespace
}  // namespace veltrano
