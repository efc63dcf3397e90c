// Host names that are not UTF-8 (a Linux mount shows an NTFS name with an unpaired surrogate so)
// survive the trip through the analysed drive: a report file in such a folder is read like any
// other. POSIX hosts only: Windows names are UTF-16 already.
#include <gtest/gtest.h>

#include <fstream>

#include "engine/scan.h"
#include "platform/host.h"
#include "platform/offline/host_clock.h"
#include "platform/offline/machine/offline_machine.h"
#include "support/report_files.h"
#include "support/temp_tree.h"

namespace veltrano {
namespace {

namespace fs = std::filesystem;

constexpr FileTime kReportTime = 134089200000000000;

TEST(UndecodableNames, AReportInAFolderNamedWithInvalidUtf8IsRead) {
    testing::TempTree tree;
    // "\xed\xa0\x80" is how the mount writes the lone surrogate U+D800; "\xff" is never UTF-8.
    const std::string folder = "AppCrash_notepad.exe_\xed\xa0\x80\xff";
    const fs::path archive = tree.root() / "ProgramData/Microsoft/Windows/WER/ReportArchive";
    fs::create_directories(archive / folder);
    testing::ReportFields fields;
    fields.eventTime = UnsignedText(kReportTime);
    const auto bytes = testing::ReportBytes(fields);
    std::ofstream(archive / folder / "Report.wer", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    auto host = MakeHostFileSystem();
    auto zone = MakeHostClock();
    FixedClock clock(*zone, kReportTime + kTicksPerDay);
    OfflineMachine offline(*host, tree.RootText(), clock);
    ErrorCatalogue catalogue;
    RunScan(catalogue, offline.machine());

    const ErrorEntry* report = catalogue.Find(u"Notepad_Stopped working");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->ErrorCount, 1);
    ASSERT_TRUE(report->ErrorText);
    EXPECT_NE(report->ErrorText->find(u"Notepad has stopped working"), Text::npos);

    // The listed name is the very folder, byte for byte, where a path is opened again ...
    FileSystem& files = *offline.machine().files;
    const Text archivePath = u"C:\\ProgramData\\Microsoft\\Windows\\WER\\ReportArchive";
    const auto entries = files.ListFolder(archivePath);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    const Text name = entries->front().name;
    EXPECT_EQ(Utf16PathToUtf8(name), folder);
    EXPECT_TRUE(files.OpenForReading(archivePath + u"\\" + name + u"\\Report.wer"));
    // ... and well-formed UTF-8, each undecodable byte replaced, where it is shown.
    EXPECT_EQ(Utf16ToUtf8(name),
              "AppCrash_notepad.exe_\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
}

}  // namespace
}  // namespace veltrano
