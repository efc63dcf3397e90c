// Texts of the install entry and the about box.
#include "shell/install_texts.h"

#include <gtest/gtest.h>

#include "shell/local_texts.h"

namespace veltrano {
namespace {

class InstallTextsTest : public ::testing::Test {
  protected:
    ~InstallTextsTest() override { InitLocalTexts(0x0409, u""); }
};

TEST_F(InstallTextsTest, AboutTextWithEmptyVersionAndNotice) {
    InitLocalTexts(0x0409, u"");
    // A missing version resource leaves its parts empty; the layout stays.
    EXPECT_EQ(AboutText(u"", u""),
              u"Veltrano \r\n\r\n\r\nBrenlow Software\r\nP.O. Box 1207\r\n"
              u"8001 Zurich, Switzerland\r\nsupport@brenlow.example\r\n\r\n");
}

TEST_F(InstallTextsTest, LinkMarkupAndWebAddressFollowTheLanguage) {
    InitLocalTexts(0x0409, u"");
    EXPECT_EQ(AboutLinkMarkup(),
              u"<a href=\"http://www.brenlow.example/software/veltrano\">"
              u"www.brenlow.example/software/veltrano</a>");
    InitLocalTexts(0x0407, u"");
    EXPECT_EQ(WebAddress(), u"http://www.brenlow.example/software/veltrano/index-de.html");
    EXPECT_EQ(AboutLinkMarkup(),
              u"<a href=\"http://www.brenlow.example/software/veltrano/index-de.html\">"
              u"www.brenlow.example/software/veltrano/index-de.html</a>");
}

TEST_F(InstallTextsTest, PathFileNameFindsTheLastComponent) {
    EXPECT_EQ(PathFileName(u"C:\\Users\\Jo\\Temp\\Veltrano.exe"), u"Veltrano.exe");
    EXPECT_EQ(PathFileName(u"C:/Temp/Veltrano.exe"), u"Veltrano.exe");
    EXPECT_EQ(PathFileName(u"C:Veltrano.exe"), u"Veltrano.exe");
    EXPECT_EQ(PathFileName(u"Veltrano.exe"), u"Veltrano.exe");
    EXPECT_EQ(PathFileName(u"\\\\server\\share\\v.exe"), u"v.exe");
    // A final separator does not start a component.
    EXPECT_EQ(PathFileName(u"C:\\Temp\\folder\\"), u"folder\\");
    EXPECT_EQ(PathFileName(u""), u"");
}

TEST_F(InstallTextsTest, DesktopCopyPathAddsOneSeparator) {
    const Text exe = u"C:\\Users\\Jo\\AppData\\Local\\Temp\\x\\Veltrano.exe";
    EXPECT_EQ(DesktopCopyPath(u"C:\\Users\\Jo\\Desktop", exe),
              u"C:\\Users\\Jo\\Desktop\\Veltrano.exe");
    EXPECT_EQ(DesktopCopyPath(u"C:\\Users\\Jo\\Desktop\\", exe),
              u"C:\\Users\\Jo\\Desktop\\Veltrano.exe");
    EXPECT_EQ(DesktopCopyPath(u"D:/Desk/", exe), u"D:/Desk/Veltrano.exe");
}

TEST_F(InstallTextsTest, UninstallValuesInTheirOrder) {
    InitLocalTexts(0x0409, u"");
    const auto values = UninstallValues(u"C:\\Users\\Jo Smith\\Desktop\\Veltrano.exe",
                                        u"C:\\Users\\Jo Smith\\Desktop", u"");
    ASSERT_EQ(values.size(), 8u);
    const char16_t* names[] = {u"UninstallString", u"DisplayName", u"InstallLocation",
                               u"Publisher",       u"Contact",     u"URLUpdateInfo",
                               u"HelpLink",        u"URLInfoAbout"};
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(values[i].name, names[i]);
    EXPECT_EQ(values[0].data, u"\"C:\\Users\\Jo Smith\\Desktop\\Veltrano.exe\" -uninstall");
    // A failed version query leaves the name followed by a blank.
    EXPECT_EQ(values[1].data, u"Veltrano ");
}

}  // namespace
}  // namespace veltrano
