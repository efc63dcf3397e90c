// Dumps of our own writer read back: every stream of x64 and x86 dumps, both memory lists, and
// that a large dump costs only the parts the reader looks at. (minidump_interop_test.cpp checks
// the writer itself against the independent reading.)
#include <gtest/gtest.h>

#include "dump_test_files.h"
#include "dump_writer.h"
#include "platform/forwarding_file_system.h"

namespace veltrano::testing {
namespace {
using namespace dump;

void ExpectModule(const DumpModule& read, const DumpModule& written) {
    SCOPED_TRACE(Utf16ToUtf8(written.name));
    EXPECT_EQ(read.base, written.base);
    EXPECT_EQ(read.size, written.size);
    EXPECT_EQ(read.checksum, written.checksum);
    EXPECT_EQ(read.timeStamp, written.timeStamp);
    EXPECT_EQ(read.name, written.name);
    ASSERT_EQ(read.version.has_value(), written.version.has_value());
    if (written.version) {
        EXPECT_EQ(read.version->fileVersion, written.version->fileVersion);
        EXPECT_EQ(read.version->productVersion, written.version->productVersion);
        EXPECT_EQ(read.version->fileOs, written.version->fileOs);
        EXPECT_EQ(read.version->fileType, written.version->fileType);
    }
    EXPECT_EQ(read.codeView.kind, written.codeView.kind);
    EXPECT_EQ(read.codeView.guid, written.codeView.guid);
    EXPECT_EQ(read.codeView.signature, written.codeView.signature);
    EXPECT_EQ(read.codeView.age, written.codeView.age);
    EXPECT_EQ(read.codeView.pdbName, written.codeView.pdbName);
}

void ExpectContext(const std::optional<DumpContext>& read, const DumpContext& written,
                   DumpArchitecture architecture) {
    ASSERT_TRUE(read);
    EXPECT_EQ(read->architecture, architecture);
    EXPECT_EQ(read->ip, written.ip);
    EXPECT_EQ(read->sp, written.sp);
    EXPECT_EQ(read->fp, written.fp);
    EXPECT_EQ(read->flags, architecture == DumpArchitecture::X64 ? 0x0010001Fu : 0x0001003Fu);
}

struct Layout {
    const char* name;
    DumpPlan (*plan)();
    bool memory64;
    DumpArchitecture architecture;
};

class WrittenDumps : public ::testing::TestWithParam<Layout> {
  protected:
    DumpFiles files;
};

TEST_P(WrittenDumps, ReadBackAsWritten) {
    DumpPlan plan = GetParam().plan();
    plan.memory64 = GetParam().memory64;
    std::string problem;
    auto dump = files.Read(WriteDump(plan).bytes, &problem);
    ASSERT_TRUE(dump) << problem;
    EXPECT_TRUE(dump->problems().empty()) << dump->problems().front();
    EXPECT_EQ(dump->header().version, 0x1234A793u);
    EXPECT_EQ(dump->header().timeStamp, plan.timeStamp);

    ASSERT_TRUE(dump->systemInfo());
    EXPECT_EQ(dump->systemInfo()->Architecture(), GetParam().architecture);
    EXPECT_EQ(dump->systemInfo()->buildNumber, plan.buildNumber);
    EXPECT_EQ(dump->systemInfo()->csdVersion, plan.csdVersion);
    ASSERT_TRUE(dump->miscInfo());
    EXPECT_EQ(dump->miscInfo()->processId, 5150u);
    EXPECT_EQ(dump->miscInfo()->processCreateTime, 1700000000u);

    ASSERT_EQ(dump->modules().size(), plan.modules.size());
    for (size_t i = 0; i < plan.modules.size(); ++i)
        ExpectModule(dump->modules()[i], plan.modules[i]);
    ASSERT_EQ(dump->unloadedModules().size(), 1u);
    EXPECT_EQ(dump->unloadedModules()[0].name, u"gone.dll");
    EXPECT_EQ(dump->unloadedModules()[0].base, plan.unloadedModules[0].base);
    EXPECT_EQ(dump->unloadedModules()[0].timeStamp, 1600000000u);

    ASSERT_EQ(dump->threads().size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const DumpThread& t = dump->threads()[i];
        EXPECT_EQ(t.id, plan.threads[i].id);
        EXPECT_EQ(t.teb, plan.threads[i].teb);
        EXPECT_EQ(t.stackStart, plan.threads[i].stackStart);
        EXPECT_EQ(t.stackMemory.size, plan.threads[i].stack.size());
        ExpectContext(t.context, plan.threads[i].context, GetParam().architecture);
        EXPECT_EQ(dump->ReadMemory(t.stackStart, plan.threads[i].stack.size()),
                  plan.threads[i].stack);
    }

    ASSERT_TRUE(dump->exception());
    const DumpException& e = *dump->exception();
    EXPECT_EQ(e.threadId, 4242u);
    EXPECT_EQ(e.code, 0xC0000005u);
    EXPECT_EQ(e.address, plan.exception->address);
    EXPECT_EQ(e.parameters, (std::vector<uint64_t>{1, 0xDEAD}));
    ExpectContext(e.context, plan.exception->context, GetParam().architecture);
    EXPECT_EQ(dump->ModuleAt(e.context->ip), &dump->modules()[0]);
    EXPECT_EQ(dump->Thread(e.threadId), &dump->threads()[0]);

    EXPECT_EQ(dump->memory().size(), 3u);
    EXPECT_EQ(dump->streams().back().type, 0x47670001u) << "listed, though not read";
}

TEST_P(WrittenDumps, MemoryReadsAcrossRangesThatMeet) {
    DumpPlan plan = GetParam().plan();
    plan.memory64 = GetParam().memory64;
    auto dump = files.Read(WriteDump(plan).bytes);
    ASSERT_TRUE(dump);
    const WrittenThread& first = plan.threads[0];
    const std::vector<uint8_t>& after = plan.memory[0].second;
    std::vector<uint8_t> expected(first.stack.end() - 16, first.stack.end());
    expected.insert(expected.end(), after.begin(), after.begin() + 16);
    EXPECT_EQ(dump->ReadMemory(first.stackStart + first.stack.size() - 16, 32), expected);
    EXPECT_EQ(dump->ReadMemory(plan.memory[0].first, after.size()), after);
    EXPECT_FALSE(dump->ReadMemory(plan.memory[0].first, after.size() + 1)) << "past the last";
    EXPECT_FALSE(dump->ReadMemory(first.stackStart - 1, 2)) << "before the first";
    EXPECT_FALSE(dump->ReadMemory(UINT64_MAX - 1, 4)) << "wraps the address space";
    EXPECT_FALSE(dump->ReadMemory(first.stackStart, SIZE_MAX)) << "allocates nothing";
    EXPECT_EQ(dump->ModuleAt(plan.modules[2].base + plan.modules[2].size - 1), &dump->modules()[2]);
    EXPECT_EQ(dump->ModuleAt(plan.modules[2].base + plan.modules[2].size), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Dumps, WrittenDumps,
    ::testing::Values(Layout{"X64MemoryList", SmallX64Dump, false, DumpArchitecture::X64},
                      Layout{"X64Memory64List", SmallX64Dump, true, DumpArchitecture::X64},
                      Layout{"X86MemoryList", SmallX86Dump, false, DumpArchitecture::X86},
                      Layout{"X86Memory64List", SmallX86Dump, true, DumpArchitecture::X86}),
    [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

// A files port that counts the bytes its files hand out.
class CountingFiles : public ForwardingFileSystem {
  public:
    using ForwardingFileSystem::ForwardingFileSystem;
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override {
        auto file = ForwardingFileSystem::OpenForReading(path);
        return file ? std::make_unique<Counted>(std::move(file), read) : nullptr;
    }
    uint64_t read = 0;

  private:
    class Counted : public ReadableFile {
      public:
        Counted(std::unique_ptr<ReadableFile> file, uint64_t& count)
            : file_(std::move(file)), count_(count) {}
        int64_t Read(void* buffer, size_t size) override {
            const int64_t n = file_->Read(buffer, size);
            count_ += n > 0 ? static_cast<uint64_t>(n) : 0;
            return n;
        }
        bool Seek(uint64_t offset) override { return file_->Seek(offset); }
        std::optional<FileFacts> Facts() override { return file_->Facts(); }

      private:
        std::unique_ptr<ReadableFile> file_;
        uint64_t& count_;
    };
};

TEST(DumpReadCost, ALargeDumpCostsWhatItsStreamsCost) {
    DumpPlan plan = SmallX64Dump();
    plan.memory64 = true;
    plan.memory.push_back({0x00007FF6'00000000, std::vector<uint8_t>(24 << 20, 0xAB)});
    const WrittenDump written = WriteDump(plan);
    TestDrive drive;
    drive.tree().Write("full.dmp", written.bytes);
    CountingFiles counting(drive.files());

    auto dump = ReadMinidump(counting, u"C:\\full.dmp", nullptr);
    ASSERT_TRUE(dump);
    EXPECT_EQ(dump->memory().size(), 4u);
    EXPECT_LT(counting.read, 16u * 1024) << "of a file of " << written.bytes.size() << " bytes";
    const uint64_t before = counting.read;
    const auto bytes = dump->ReadMemory(0x00007FF6'00100000, 4096);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, std::vector<uint8_t>(4096, 0xAB));
    EXPECT_EQ(counting.read - before, 4096u);
}

}  // namespace
}  // namespace veltrano::testing
