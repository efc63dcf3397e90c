// The removal script's text.
#include "shell/removal_script.h"

#include <gtest/gtest.h>

namespace veltrano {
namespace {

TEST(RemovalScript, FourLinesWithQuotedPaths) {
    EXPECT_EQ(RemovalScript(u"C:\\Users\\Jo Smith\\Desktop\\Veltrano.exe",
                            u"C:\\Users\\JOSMIT~1\\AppData\\Local\\Temp\\delself.bat"),
              u":Repeat\r\n"
              u"del \"C:\\Users\\Jo Smith\\Desktop\\Veltrano.exe\"\r\n"
              u"if exist \"C:\\Users\\Jo Smith\\Desktop\\Veltrano.exe\" goto Repeat\r\n"
              u"del \"C:\\Users\\JOSMIT~1\\AppData\\Local\\Temp\\delself.bat\"\r\n");
}

TEST(RemovalScript, PercentSignsAreDoubledEverywhere) {
    EXPECT_EQ(BatchPath(u"C:\\100%\\%USERNAME%\\a%%b"), u"C:\\100%%\\%%USERNAME%%\\a%%%%b");
    EXPECT_EQ(RemovalScript(u"C:\\a%b\\v.exe", u"C:\\t%\\delself.bat"),
              u":Repeat\r\n"
              u"del \"C:\\a%%b\\v.exe\"\r\n"
              u"if exist \"C:\\a%%b\\v.exe\" goto Repeat\r\n"
              u"del \"C:\\t%%\\delself.bat\"\r\n");
}

}  // namespace
}  // namespace veltrano
