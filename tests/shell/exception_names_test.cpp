#include "shell/exception_names.h"

#include <gtest/gtest.h>

#include "support/engine_fakes.h"

namespace veltrano {
namespace {

class ExceptionNamesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tables.nativeApi[0xC0000005] = u"The instruction at 0x%p referenced memory.\r\n";
        tables.nativeApi[0xC0000409] =
            u"The system detected an overrun of a stack-based buffer.\r\n";
        tables.nativeApi[0] = u"STATUS_SUCCESS\r\n\r\n";
        tables.system[5] = u"Access is denied.\r\n";
        tables.system[0x80080005] = u"should not be used";
        tables.system[0x80070005] = u"Win32 facility codes are looked up whole.\r\n";
    }
    testing::FakeMessageTables tables;
};

TEST_F(ExceptionNamesTest, AccessViolationIsAlwaysMemoryAccessViolation) {
    EXPECT_EQ(ExceptionCodeName(tables, 0xC0000005), u"Memory Access Violation");
    tables.nativeApi.clear();
    EXPECT_EQ(ExceptionCodeName(tables, 0xC0000005), u"Memory Access Violation");
}

TEST_F(ExceptionNamesTest, NativeTableWithOneLineBreakRemoved) {
    const Text expected = u"The system detected an overrun of a stack-based buffer.";
    EXPECT_EQ(ExceptionCodeTextName(tables, u"c0000409"), expected);
    EXPECT_EQ(ExceptionCodeTextName(tables, u"0xC0000409"), expected);
    EXPECT_EQ(ExceptionCodeTextName(tables, u"0XC0000409"), expected);
    // Only one trailing line break goes.
    EXPECT_EQ(ExceptionCodeTextName(tables, u"no digits"), u"STATUS_SUCCESS\r\n");
}

TEST_F(ExceptionNamesTest, WindowsSubsystemCodesUseTheirLowWordInTheSystemTable) {
    EXPECT_EQ(ExceptionCodeName(tables, 0x80080005), u"Access is denied.");
    EXPECT_EQ(ExceptionCodeName(tables, 0x80070005), u"Win32 facility codes are looked up whole.");
    EXPECT_EQ(ExceptionCodeName(tables, 0xDEADBEEF), u"");
}

}  // namespace
}  // namespace veltrano
