// The kernel dump header against headers our writer lays out from the published layout: 64-bit
// and 32-bit, full and small dumps with a driver list, and damaged ones.
#include <gtest/gtest.h>

#include <algorithm>

#include "kernel_dump_writer.h"
#include "platform/offline/dump/bugcheck_table.h"
#include "platform/offline/dump/kernel_dump.h"
#include "support/test_drive.h"

namespace veltrano::testing {
namespace {
using namespace dump;

class KernelDumpTest : public ::testing::Test {
  protected:
    std::optional<KernelDumpHeader> Read(const std::vector<uint8_t>& bytes,
                                         std::string* problem = nullptr) {
        drive.tree().Write("MEMORY.DMP", bytes);
        return ReadKernelDumpHeader(drive.files(), u"C:\\MEMORY.DMP", problem);
    }
    TestDrive drive;
};

KernelDumpPlan SmallDump(bool x64) {
    KernelDumpPlan plan;
    plan.x64 = x64;
    plan.dumpType = 4;
    plan.bugCheckCode = 0xD1;
    const uint64_t high = x64 ? 0xFFFFF800'00000000ull : 0x80000000ull;
    plan.parameters = {0x28, 2, 0, high + 0x234567};  // the fourth: where the driver faulted
    plan.machineType = x64 ? 0x8664 : 0x14C;
    plan.buildNumber = x64 ? 19045 : 2600;
    plan.systemTime = 0x01D9'F5A3'1234'5678ull;
    plan.drivers = {{u"ntoskrnl.exe", high + 0x0, 0x100000},
                    {u"hal.dll", high + 0x100000, 0x80000},
                    {u"nvlddmkm.sys", high + 0x200000, 0x40000}};
    return plan;
}

TEST_F(KernelDumpTest, FullDump64) {
    KernelDumpPlan plan;
    plan.bugCheckCode = 0x124;
    plan.parameters = {0, 0xFFFFA50F'4B1C2038ull, 0xBE000000, 0x800400};
    plan.systemTime = 0x01DA'0B0C'0D0E'0F10ull;
    plan.buildNumber = 22631;
    plan.processors = 16;
    const auto k = Read(WriteKernelDump(plan));
    ASSERT_TRUE(k);
    EXPECT_TRUE(k->is64Bit);
    EXPECT_EQ(k->bugCheckCode, 0x124u);
    EXPECT_EQ(k->bugCheckName, u"WHEA_UNCORRECTABLE_ERROR");
    EXPECT_EQ(k->parameters, plan.parameters);
    EXPECT_EQ(k->systemTime, plan.systemTime);
    EXPECT_EQ(k->majorVersion, 0xFu);
    EXPECT_EQ(k->buildNumber, 22631u);
    EXPECT_EQ(k->machineType, 0x8664);
    EXPECT_EQ(k->processors, 16u);
    EXPECT_EQ(k->dumpType, kDumpTypeFull);
    EXPECT_TRUE(k->drivers.empty());
    EXPECT_FALSE(k->driver);
    EXPECT_TRUE(k->problems.empty());
}

TEST_F(KernelDumpTest, SmallDumpsNameTheDriverAParameterPointsInto) {
    for (const bool x64 : {true, false}) {
        const KernelDumpPlan plan = SmallDump(x64);
        const auto k = Read(WriteKernelDump(plan));
        ASSERT_TRUE(k) << x64;
        EXPECT_EQ(k->is64Bit, x64);
        EXPECT_EQ(k->bugCheckName, u"DRIVER_IRQL_NOT_LESS_OR_EQUAL");
        EXPECT_EQ(k->parameters, plan.parameters);
        EXPECT_EQ(k->machineType, plan.machineType);
        EXPECT_EQ(k->buildNumber, plan.buildNumber);
        EXPECT_EQ(k->systemTime, plan.systemTime);
        EXPECT_EQ(k->dumpType, kDumpTypeTriage);
        ASSERT_EQ(k->drivers.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(k->drivers[i].name, plan.drivers[i].name);
            EXPECT_EQ(k->drivers[i].base, plan.drivers[i].base);
            EXPECT_EQ(k->drivers[i].size, plan.drivers[i].size);
        }
        ASSERT_TRUE(k->driver);
        EXPECT_EQ(k->driver->parameter, 4);
        EXPECT_EQ(k->driver->name, u"nvlddmkm.sys");
        EXPECT_EQ(k->driver->offset, 0x34567u);
        EXPECT_TRUE(k->problems.empty());
    }
}

TEST_F(KernelDumpTest, NoParameterInADriverIsNone) {
    KernelDumpPlan plan = SmallDump(true);
    plan.parameters = {1, 2, 3, 4};
    const auto k = Read(WriteKernelDump(plan));
    ASSERT_TRUE(k);
    EXPECT_EQ(k->drivers.size(), 3u);
    EXPECT_FALSE(k->driver);
}

TEST_F(KernelDumpTest, DamagedDriverListsKeepTheHeader) {
    KernelDumpPlan plan = SmallDump(true);
    plan.driverCountOverride = 0xFFFFFFFF;
    auto k = Read(WriteKernelDump(plan));
    ASSERT_TRUE(k);
    EXPECT_EQ(k->bugCheckCode, 0xD1u);
    EXPECT_FALSE(k->problems.empty());
    EXPECT_LE(k->drivers.size(), 4096u);

    // Cut inside the driver list: the drivers before the cut, and a line on the rest.
    std::vector<uint8_t> bytes = WriteKernelDump(SmallDump(true));
    bytes.resize(0x2000 + 0x100 + 0x90 + 0x20);
    k = Read(bytes);
    ASSERT_TRUE(k);
    ASSERT_EQ(k->drivers.size(), 1u);
    EXPECT_EQ(k->drivers[0].name, u"");  // its name lay past the cut
    EXPECT_FALSE(k->problems.empty());
}

TEST_F(KernelDumpTest, WhatIsNoKernelDumpIsRefused) {
    std::string problem;
    EXPECT_FALSE(Read({'M', 'D', 'M', 'P', 0x93, 0xA7, 0, 0}, &problem));
    EXPECT_FALSE(problem.empty());
    std::vector<uint8_t> cut = WriteKernelDump(KernelDumpPlan{});
    cut.resize(0x1800);  // a 64-bit header is 8 KiB
    EXPECT_FALSE(Read(cut, &problem));
    EXPECT_FALSE(Read({}, &problem));
    EXPECT_FALSE(ReadKernelDumpHeader(drive.files(), u"C:\\none.dmp", &problem));
}

TEST_F(KernelDumpTest, BugCheckTable) {
    for (size_t i = 1; i < kBugChecks.size(); ++i)
        EXPECT_LT(kBugChecks[i - 1].code, kBugChecks[i].code) << "sorted, once each";
    EXPECT_EQ(BugCheckName(0x0A), u"IRQL_NOT_LESS_OR_EQUAL");
    EXPECT_EQ(BugCheckName(0x1E), u"KMODE_EXCEPTION_NOT_HANDLED");
    EXPECT_EQ(BugCheckName(0x3B), u"SYSTEM_SERVICE_EXCEPTION");
    EXPECT_EQ(BugCheckName(0x50), u"PAGE_FAULT_IN_NONPAGED_AREA");
    EXPECT_EQ(BugCheckName(0x7E), u"SYSTEM_THREAD_EXCEPTION_NOT_HANDLED");
    EXPECT_EQ(BugCheckName(0x1000007E), u"SYSTEM_THREAD_EXCEPTION_NOT_HANDLED_M");
    EXPECT_EQ(BugCheckName(0x9F), u"DRIVER_POWER_STATE_FAILURE");
    EXPECT_EQ(BugCheckName(0xEF), u"CRITICAL_PROCESS_DIED");
    EXPECT_EQ(BugCheckName(0x133), u"DPC_WATCHDOG_VIOLATION");
    EXPECT_EQ(BugCheckName(0x139), u"KERNEL_SECURITY_CHECK_FAILURE");
    EXPECT_EQ(BugCheckName(0), u"");
    EXPECT_EQ(BugCheckName(0xDEADBEEF), u"");
}

}  // namespace
}  // namespace veltrano::testing
