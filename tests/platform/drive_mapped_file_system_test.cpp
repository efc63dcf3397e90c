#include "platform/offline/drive_mapped_file_system.h"

#include <gtest/gtest.h>

#include "platform/host.h"
#include "support/test_drive.h"

namespace veltrano {
namespace {

TEST(DriveMappedFileSystem, ResolvesEachComponentWithoutRegardToCase) {
    testing::TestDrive drive;
    drive.tree().Write("Windows/System32/winevt/Logs/Application.evtx", std::string("data"));
    auto content =
        ReadWholeFile(drive.files(), u"c:\\WINDOWS\\system32\\WinEvt\\logs\\application.EVTX");
    ASSERT_TRUE(content);
    EXPECT_EQ(std::string(content->begin(), content->end()), "data");
    auto listing = drive.files().ListFolder(u"C:\\windows\\SYSTEM32");
    ASSERT_TRUE(listing);
    std::erase_if(*listing, [](const FolderEntry& e) { return e.name == u"." || e.name == u".."; });
    ASSERT_EQ(listing->size(), 1u);
    EXPECT_EQ((*listing)[0].name, u"winevt");
    EXPECT_TRUE((*listing)[0].facts.IsDirectory());
    EXPECT_FALSE(drive.files().ListFolder(u"C:\\Missing"));
    EXPECT_EQ(drive.files().OpenForReading(u"C:\\Windows\\nothing.txt"), nullptr);
}

TEST(DriveMappedFileSystem, WritesCreatesFoldersAndReportsFacts) {
    testing::TestDrive drive;
    EXPECT_EQ(drive.files().CreateFolder(u"C:\\Out"), CreateFolderResult::Created);
    EXPECT_EQ(drive.files().CreateFolder(u"c:\\out"), CreateFolderResult::AlreadyExists);
    {
        auto out = drive.files().CreateForWriting(u"C:\\OUT\\file.bin");
        ASSERT_TRUE(out);
        EXPECT_EQ(out->Write("abcdef", 6), 6u);
        EXPECT_TRUE(out->Seek(1));
        EXPECT_EQ(out->Write("X", 1), 1u);
    }
    auto facts = drive.files().Facts(u"C:\\out\\FILE.bin");
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->size, 6u);
    EXPECT_FALSE(facts->IsDirectory());
    EXPECT_TRUE(drive.files().Copy(u"C:\\out\\file.bin", u"C:\\out\\copy.bin", true));
    EXPECT_FALSE(drive.files().Copy(u"C:\\out\\file.bin", u"C:\\out\\copy.bin", true));
    auto copy = ReadWholeFile(drive.files(), u"C:\\out\\copy.bin");
    ASSERT_TRUE(copy);
    EXPECT_EQ(std::string(copy->begin(), copy->end()), "aXcdef");
    EXPECT_TRUE(drive.files().Remove(u"C:\\out\\copy.bin"));
    EXPECT_FALSE(drive.files().Facts(u"C:\\out\\copy.bin"));
}

TEST(DriveMappedFileSystem, PathsOffDriveCPassThrough) {
    testing::TestDrive drive;
    EXPECT_EQ(drive.drive().Map(u"relative\\x"), u"relative\\x");
    EXPECT_EQ(drive.drive().Map(u"D:\\x"), u"D:\\x");
    EXPECT_EQ(drive.drive().Map(u"C:"), drive.tree().RootText());
}

TEST(HostFiles, SeekMovesTheReadPosition) {
    testing::TestDrive drive;
    drive.tree().Write("data.bin", std::string("0123456789"));
    auto file = drive.files().OpenForReading(u"C:\\data.bin");
    ASSERT_TRUE(file);
    char buffer[4];
    ASSERT_TRUE(file->Seek(6));
    ASSERT_EQ(file->Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "6789");
    ASSERT_TRUE(file->Seek(2));
    ASSERT_EQ(file->Read(buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "234");
    EXPECT_TRUE(file->Seek(10));
    EXPECT_EQ(file->Read(buffer, 4), 0) << "at the end";
    EXPECT_FALSE(file->Seek(UINT64_MAX)) << "past any offset the host takes";
}

TEST(HostFiles, TemporaryAndModulePathsAreKnown) {
    auto files = MakeHostFileSystem();
    const Text temp = files->TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_TRUE(temp.back() == u'\\' || temp.back() == u'/');
    EXPECT_FALSE(files->ModulePath().empty());
}

}  // namespace
}  // namespace veltrano
