// Archives of the ZIP writer checked by other readers of the format: Info-ZIP's unzip and
// zipinfo, 7-Zip and Python's zipfile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deflate_corpus.h"
#include "export/zip_writer.h"
#include "platform/host.h"
#include "platform/offline/windows1252_code_page.h"
#include "support/fake_clock.h"
#include "support/temp_tree.h"
#include "tool_runner.h"

namespace veltrano {
namespace {
using testing::HaveTool;
using testing::RunTool;

class ArchiveToolsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto text = testing::TextBytes(300'000, 1);
        tree.Write("report.xml", text);
        tree.Write("empty.xml", "");
        tree.Write("inner.zip", testing::RandomBytes(40'000, 2));
        tree.Write("old.txt", "from 1965");
        tree.Write("future.txt", "from 2050");
        tree.SetLastWrite("report.xml", 1709649010);  // 2024-03-05 14:30:10 UTC
        tree.SetLastWrite("old.txt", FileTimeToUnixSeconds(testing::At(1965, 6, 15, 13, 45, 10)));
        tree.SetLastWrite("future.txt", FileTimeToUnixSeconds(testing::At(2050, 7, 1, 8)));

        ZipHandle zip = ZipCreate(*files, ansi, Path("out.zip"));
        ASSERT_TRUE(zip);
        EXPECT_EQ(ZipAddFile(zip.get(), u"1234.xml", Path("report.xml")), kZipOk);
        EXPECT_EQ(ZipAddFile(zip.get(), u"logs\\empty.xml", Path("empty.xml")), kZipOk);
        EXPECT_EQ(ZipAddFile(zip.get(), u"data.ZIP", Path("inner.zip")), kZipOk);
        EXPECT_EQ(ZipAddFile(zip.get(), u"missing.txt", Path("missing.txt")), kZipErrorOpen);
        EXPECT_EQ(ZipAddFile(zip.get(), u"old.txt", Path("old.txt")), kZipOk);
        EXPECT_EQ(ZipAddFile(zip.get(), u"future.Tgz", Path("future.txt")), kZipOk);
        EXPECT_EQ(ZipClose(zip), kZipOk);
        archive = (tree.root() / "out.zip").string();
    }
    Text Path(const std::string& name) const { return tree.RootText() + u"/" + Utf8ToUtf16(name); }

    testing::TempTree tree;
    std::unique_ptr<FileSystem> files = MakeHostFileSystem();
    Windows1252CodePage ansi;
    std::string archive;
};

TEST_F(ArchiveToolsTest, UnzipTestsEveryEntry) {
    if (!HaveTool("unzip"))
        GTEST_SKIP() << "unzip is not installed (Debian: unzip)";
    const auto run = RunTool("unzip -t " + archive);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("No errors detected"), std::string::npos) << run.output;
    for (const char* name : {"1234.xml", "logs/empty.xml", "data.ZIP", "old.txt", "future.Tgz"}) {
        EXPECT_NE(run.output.find(std::string("testing: ") + name), std::string::npos) << name;
    }
    EXPECT_EQ(run.output.find("missing.txt"), std::string::npos);
}

TEST_F(ArchiveToolsTest, SevenZipTestsEveryEntry) {
    if (!HaveTool("7z"))
        GTEST_SKIP() << "7z is not installed (Debian: p7zip-full)";
    const auto run = RunTool("7z t " + archive);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Everything is Ok"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Files: 5"), std::string::npos) << run.output;
}

TEST_F(ArchiveToolsTest, PythonZipfileReadsTheEntriesInOrder) {
    if (!HaveTool("python3"))
        GTEST_SKIP() << "python3 is not installed";
    const auto run = RunTool(
        "python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
        "assert z.testzip() is None; "
        "[print(i.filename, i.compress_type, i.file_size, i.create_system, i.create_version) "
        "for i in z.infolist()]; print(z.getinfo('1234.xml').date_time)\" " +
        archive);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output,
              "1234.xml 8 300000 11 23\n"
              "logs/empty.xml 8 0 11 23\n"
              "data.ZIP 0 40000 11 23\n"
              "old.txt 8 9 11 23\n"
              "future.Tgz 0 9 11 23\n"
              "(2024, 3, 5, 14, 30, 10)\n");
}

TEST_F(ArchiveToolsTest, ZipinfoShowsTheHeaderValues) {
    if (!HaveTool("zipinfo"))
        GTEST_SKIP() << "zipinfo is not installed (Debian: unzip)";
    const auto run = RunTool("zipinfo -v " + archive);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // One section per central-directory entry.
    std::vector<std::string> sections;
    for (size_t at = run.output.find("Central directory entry #"); at != std::string::npos;) {
        const size_t next = run.output.find("Central directory entry #", at + 1);
        sections.push_back(run.output.substr(at, next - at));
        at = next;
    }
    ASSERT_EQ(sections.size(), 5u) << run.output;
    const auto expectIn = [](const std::string& section, const std::string& label,
                             const std::string& value) {
        const size_t at = section.find(label + ":");
        ASSERT_NE(at, std::string::npos) << label << "\n" << section;
        const size_t start = section.find_first_not_of(' ', at + label.size() + 1);
        EXPECT_EQ(section.substr(start, section.find('\n', start) - start), value) << label;
    };
    for (const std::string& section : sections) {
        expectIn(section, "file system or operating system of origin", "NTFS");
        expectIn(section, "version of encoding software", "2.3");
        expectIn(section, "minimum software version required to extract", "2.0");
        expectIn(section, "extended local header", "no");
        expectIn(section, "non-MSDOS external file attributes", "818000 hex");
        expectIn(section, "MS-DOS file attributes (20 hex)", "arc ");
        expectIn(section, "length of extra field", "9 bytes");
        EXPECT_NE(section.find("A subfield with ID 0x5455 (universal time) and 5 data bytes."),
                  std::string::npos);
        EXPECT_NE(section.find("The local extra field has UTC/GMT modification/access/creation "
                               "times."),
                  std::string::npos);
    }
    expectIn(sections[0], "compression method", "deflated");
    expectIn(sections[0], "compression sub-type (deflation)", "maximum");
    expectIn(sections[0], "file last modified on (DOS date/time)", "2024 Mar 5 14:30:10");
    EXPECT_NE(sections[0].find("2024 Mar 5 14:30:10 UTC"), std::string::npos);
    expectIn(sections[1], "uncompressed size", "0 bytes");
    expectIn(sections[1], "compressed size", "2 bytes");
    expectIn(sections[2], "compression method", "none (stored)");
    expectIn(sections[3], "file last modified on (DOS date/time)", "1980 Jan 1 00:00:00");
    EXPECT_NE(sections[3].find("1970 Jan 1 13:45:10 UTC"), std::string::npos) << sections[3];
    expectIn(sections[4], "compression method", "none (stored)");
    EXPECT_NE(sections[4].find("2037 Dec 31 08:00:00 UTC"), std::string::npos) << sections[4];
}

}  // namespace
}  // namespace veltrano
