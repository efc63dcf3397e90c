#include "export/report_export.h"

#include <gtest/gtest.h>

#include "export/zip_writer.h"
#include "platform/host.h"
#include "platform/offline/windows1252_code_page.h"
#include "shell/local_texts.h"
#include "shell/path_variables.h"
#include "support/engine_fakes.h"
#include "support/fake_clock.h"
#include "platform/forwarding_file_system.h"
#include "support/inflater.h"
#include "support/temp_tree.h"
#include "support/zip_reader.h"

namespace veltrano {
namespace {
using testing::At;

// The host's files with the test tree as temporary folder; report files may be made to fail.
class ExportFiles : public ForwardingFileSystem {
  public:
    ExportFiles(FileSystem& host, Text temp) : ForwardingFileSystem(host), temp_(std::move(temp)) {}
    Text TempFolder() override { return temp_; }
    std::unique_ptr<WritableFile> CreateForWriting(TextView path) override {
        if (failReports && path.ends_with(u".xml")) {
            failed_ = true;
            return nullptr;
        }
        failed_ = false;
        return ForwardingFileSystem::CreateForWriting(path);
    }
    uint32_t LastError() override { return failed_ ? 5 : ForwardingFileSystem::LastError(); }

    bool failReports = false;

  private:
    Text temp_;
    bool failed_ = false;
};

class ReportExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitLocalTexts(0x409, u"");
        environment.variables = {{u"%APPDATA%", u"C:\\Users\\ann\\AppData\\Roaming"}};
        machine.files = &files;
        machine.clock = &clock;
        machine.environment = &environment;
        machine.ansi = &ansi;
        ErrorEntry e;
        e.AppName = Text(u"Disk");
        e.ErrorName = Text(u"7");  // a plain assignment trips a false -Wrestrict of MinGW GCC 12
        e.Category = CategoryEventLog;
        e.LastErrorDateTime = At(2026, 12, 1);
        e.OccurrenceTimes = {e.LastErrorDateTime};
        e.ErrorText = u"Bad block in C:\\Users\\ann\\AppData\\Roaming\\x.db";
        catalogue.Add(e);
    }
    void TearDown() override {
        testing::FakeEnvironment none;
        none.variables.clear();
        BuildPathVariables(none);
    }
    Text Export() {
        return ExportErrorReport(machine, catalogue,
                                 [this](const Text& m) { messages.push_back(m); });
    }
    Text Folder() const { return tree.RootText() + u"\\VTDir"; }

    testing::TempTree tree;
    std::unique_ptr<FileSystem> host = MakeHostFileSystem();
    ExportFiles files{*host, tree.RootText() + u"\\"};
    testing::FakeClock clock{At(2026, 12, 8, 12)};
    testing::FakeEnvironment environment;
    Windows1252CodePage ansi;
    Machine machine;
    ErrorCatalogue catalogue;
    std::vector<Text> messages;
};

TEST_F(ReportExportTest, WritesReportAndArchiveNamedByTheTime) {
    const Text base = DecimalText(static_cast<int64_t>(At(2026, 12, 8, 12)));
    EXPECT_EQ(Export(), Folder() + u"\\" + base + u".zip");
    EXPECT_TRUE(messages.empty());

    const auto report = ReadWholeFile(*host, Folder() + u"\\" + base + u".xml");
    ASSERT_TRUE(report);
    const Text masked = u"%APPDATA%\\x.db";
    const auto* begin = reinterpret_cast<const uint8_t*>(masked.data());
    EXPECT_NE(std::search(report->begin(), report->end(), begin, begin + masked.size() * 2),
              report->end())
        << "the path variables are built by the export";

    const auto zip = testing::ReadZip(*ReadWholeFile(*host, Folder() + u"\\" + base + u".zip"));
    ASSERT_TRUE(zip.ok);
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(zip.entries[0].central.name, Utf16ToUtf8(base) + ".xml");
    EXPECT_TRUE(testing::Inflate(zip.entries[0].data).data == *report);

    // A later export adds a pair of its own and leaves the first.
    clock.Set(At(2026, 12, 8, 13));
    const Text later = Export();
    EXPECT_NE(later, Folder() + u"\\" + base + u".zip");
    EXPECT_TRUE(files.Facts(later));
    EXPECT_TRUE(files.Facts(Folder() + u"\\" + base + u".xml"));
}

TEST_F(ReportExportTest, TemporaryFolderWithoutFinalSeparatorGetsOne) {
    ExportFiles bare(*host, tree.RootText());
    machine.files = &bare;
    EXPECT_EQ(Export().substr(0, Folder().size() + 1), Folder() + u"\\");
}

TEST_F(ReportExportTest, UnusableFolderStopsTheExport) {
    tree.Write("VTDir", "a file where the folder should be");
    EXPECT_EQ(Export(), u"");
    ExportFiles noTemp(*host, u"");
    machine.files = &noTemp;
    EXPECT_EQ(Export(), u"");
    EXPECT_TRUE(messages.empty());
}

TEST_F(ReportExportTest, ReportThatCannotBeOpenedIsAnnouncedAndAnEmptyArchiveWritten) {
    files.failReports = true;
    const Text archive = Export();
    ASSERT_EQ(messages.size(), 1u);
    const Text report = archive.substr(0, archive.size() - 4) + u".xml";
    EXPECT_EQ(messages[0], u"Failed to open file " + report + u": 5");
    const auto zip = testing::ReadZip(*ReadWholeFile(*host, archive));
    EXPECT_TRUE(zip.ok);
    EXPECT_EQ(zip.totalEntries, 0);
}

TEST_F(ReportExportTest, PackReportNamesTheEntryAfterTheLastSeparator) {
    tree.Write("r.xml", "<?xml?>");
    const Text slashed = tree.RootText() + u"/r.xml";
    EXPECT_EQ(PackReport(*host, ansi, slashed, tree.RootText() + u"\\r.zip"), kZipOk);
    const auto zip = testing::ReadZip(*ReadWholeFile(*host, tree.RootText() + u"\\r.zip"));
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(zip.entries[0].central.name, "r.xml");
    EXPECT_EQ(
        PackReport(*host, ansi, tree.RootText() + u"\\none.xml", tree.RootText() + u"\\n.zip"),
        kZipErrorOpen);
}

}  // namespace
}  // namespace veltrano
