// Deleting registry key trees for real, in a key of the test's own.
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include "platform/win32/wide.h"
#include "platform/win32/win32_registry.h"
#include "shell_win32_support.h"

namespace veltrano {
namespace {

using testing::CreateKey;
using testing::KeyExists;
using testing::SetString;

class DeleteKeyTreeTest : public ::testing::Test {
  protected:
    DeleteKeyTreeTest() {
        static int counter = 0;
        base_ = u"Software\\VeltranoTests\\tree-" + DecimalText(::GetCurrentProcessId()) + u"-" +
                DecimalText(counter++);
        CreateKey(HKEY_CURRENT_USER, base_);
    }
    ~DeleteKeyTreeTest() override { DeleteKeyTree(HKEY_CURRENT_USER, base_); }

    // Lets nobody read or delete the key (write access to its list stays, so it can be undone).
    void Lock(const Text& path, bool locked) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path), 0, WRITE_DAC, &key),
                  ERROR_SUCCESS);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            locked ? L"D:(D;;KRSD;;;WD)(A;;KA;;;WD)" : L"D:(A;;KA;;;WD)", SDDL_REVISION_1,
            &descriptor, nullptr));
        EXPECT_EQ(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
        ::LocalFree(descriptor);
        ::RegCloseKey(key);
    }

    Text base_;
};

TEST_F(DeleteKeyTreeTest, MissingKeyCountsAsGone) {
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, base_ + u"\\Missing"));
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, base_ + u"\\Missing\\Deeper"));
}

TEST_F(DeleteKeyTreeTest, DeletesTwoLevelsOfSubkeysWithTheirValues) {
    const Text top = base_ + u"\\Top";
    for (const char16_t* sub : {u"\\A", u"\\A\\A1", u"\\A\\A2", u"\\B", u"\\B\\B1"}) {
        CreateKey(HKEY_CURRENT_USER, top + sub);
        SetString(HKEY_CURRENT_USER, top + sub, u"Value", u"data");
    }
    SetString(HKEY_CURRENT_USER, top, u"Value", u"data");
    CreateKey(HKEY_CURRENT_USER, base_ + u"\\Sibling");

    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, top));

    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, top));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, base_));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, base_ + u"\\Sibling"));
}

TEST_F(DeleteKeyTreeTest, SubkeyThatCannotBeDeletedFailsAndKeepsTheKey) {
    const Text top = base_ + u"\\Top";
    const Text locked = top + u"\\Locked";
    CreateKey(HKEY_CURRENT_USER, locked + u"\\Inner");
    CreateKey(HKEY_CURRENT_USER, top + u"\\Zeta");
    Lock(locked, true);

    EXPECT_FALSE(DeleteKeyTree(HKEY_CURRENT_USER, top));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, top));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, top + u"\\Zeta"));

    // Enumeration stopped at the failing subkey; once it can go, the whole tree goes.
    Lock(locked, false);
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, top));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, top));
}

}  // namespace
}  // namespace veltrano
