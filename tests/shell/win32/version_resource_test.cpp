// The program's version resource as the about box and the install entry read it (the test
// executable carries the program's resources).
#include "shell/win32/version_resource.h"

#include <gtest/gtest.h>

namespace veltrano {
namespace {

TEST(VersionResource, FileVersionIsTheDottedFourPartVersion) {
    Text version = u"old";
    ASSERT_TRUE(GetFileVersionText(version));
    EXPECT_EQ(version, u"2.0.0.0");
}

TEST(VersionResource, StringValueNamesMatchWithoutRegardToLetterCase) {
    const Text expected = u"Copyright (C) 2026 Brenlow Software. All rights reserved.";
    for (const char16_t* name : {u"LegalCopyright", u"LegalCopyRight", u"LEGALCOPYRIGHT"}) {
        Text value;
        ASSERT_TRUE(GetVersionString(name, value)) << Utf16ToUtf8(name);
        EXPECT_EQ(value, expected) << Utf16ToUtf8(name);
    }
    Text product;
    ASSERT_TRUE(GetVersionString(u"ProductName", product));
    EXPECT_EQ(product, u"Veltrano");
}

TEST(VersionResource, MissingValueFailsAndLeavesTheStringAlone) {
    Text value = u"unchanged";
    EXPECT_FALSE(GetVersionString(u"NoSuchValue", value));
    EXPECT_FALSE(GetVersionString(u"", value));
    EXPECT_EQ(value, u"unchanged");
}

}  // namespace
}  // namespace veltrano
