#include "export/zip_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/crc32.h"
#include "platform/host.h"
#include "platform/offline/windows1252_code_page.h"
#include "support/fake_clock.h"
#include "platform/forwarding_file_system.h"
#include "support/inflater.h"
#include "support/temp_tree.h"
#include "support/zip_reader.h"

namespace veltrano {
namespace {
using testing::ReadLe;
using testing::ZipContents;

class ZipWriterTest : public ::testing::Test {
  protected:
    Text PathOf(const std::string& name) const {
        return tree.RootText() + u"\\" + Utf8ToUtf16(name);
    }
    Text Source(const std::string& name, const std::string& content) {
        tree.Write(name, content);
        return PathOf(name);
    }
    ZipContents Archive() const {
        auto bytes = ReadWholeFile(*host, PathOf("out.zip"));
        return bytes ? testing::ReadZip(*bytes) : ZipContents{};
    }
    // Creates out.zip with the given entries (name, source) and closes it; the add results.
    std::vector<uint32_t> Pack(FileSystem& files,
                               const std::vector<std::pair<Text, Text>>& entries) {
        ZipHandle zip = ZipCreate(files, ansi, PathOf("out.zip"));
        EXPECT_TRUE(zip);
        std::vector<uint32_t> results;
        for (const auto& [name, source] : entries) {
            results.push_back(ZipAddFile(zip.get(), name, source));
        }
        results.push_back(ZipClose(zip));
        return results;
    }
    std::vector<uint32_t> Pack(const std::vector<std::pair<Text, Text>>& entries) {
        return Pack(*host, entries);
    }

    testing::TempTree tree;
    std::unique_ptr<FileSystem> host = MakeHostFileSystem();
    Windows1252CodePage ansi;
};

TEST_F(ZipWriterTest, DeflatedEntryCarriesTheHeaderValues) {
    std::string content;
    for (int i = 0; i < 500; ++i)
        content += "<error id=\"" + std::to_string(i) + "\"/>\r\n";
    const Text source = Source("report.xml", content);
    tree.SetLastWrite("report.xml", 1709649010);  // 2024-03-05 14:30:10 UTC

    EXPECT_EQ(Pack({{u"1234.xml", source}}), (std::vector<uint32_t>{kZipOk, kZipOk}));
    const ZipContents zip = Archive();
    ASSERT_TRUE(zip.ok);
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(zip.diskEntries, 1);
    EXPECT_EQ(zip.totalEntries, 1);
    const auto& e = zip.entries[0];
    EXPECT_EQ(e.versionMadeBy, 0x0B17);
    for (const auto* h : {&e.central, &e.local}) {
        EXPECT_EQ(h->versionNeeded, 20);
        EXPECT_EQ(h->flags, 0x0002) << "maximum compression, no data descriptor";
        EXPECT_EQ(h->method, 8);
        EXPECT_EQ(h->dosDate, (44 << 9) | (3 << 5) | 5);
        EXPECT_EQ(h->dosTime, (14 << 11) | (30 << 5) | 5);
        EXPECT_EQ(h->crc, Crc32(content.data(), content.size()));
        EXPECT_EQ(h->uncompressedSize, content.size());
        EXPECT_EQ(h->compressedSize, e.data.size());
        EXPECT_EQ(h->name, "1234.xml");
    }
    EXPECT_LT(e.data.size(), content.size() / 4);
    const auto inflated = testing::Inflate(e.data);
    EXPECT_TRUE(inflated.ok &&
                inflated.data == std::vector<uint8_t>(content.begin(), content.end()));

    ASSERT_EQ(e.local.extra.size(), 17u);
    EXPECT_EQ(ReadLe(e.local.extra, 0, 2), 0x5455u);
    EXPECT_EQ(ReadLe(e.local.extra, 2, 2), 13u);
    EXPECT_EQ(e.local.extra[4], 7);
    EXPECT_EQ(ReadLe(e.local.extra, 5, 4), 1709649010u);
    ASSERT_EQ(e.central.extra.size(), 9u);
    EXPECT_EQ(ReadLe(e.central.extra, 0, 2), 0x5455u);
    EXPECT_EQ(ReadLe(e.central.extra, 2, 2), 5u);
    EXPECT_EQ(e.central.extra[4], 7);
    EXPECT_EQ(ReadLe(e.central.extra, 5, 4), 1709649010u);

    EXPECT_EQ(e.commentLength, 0);
    EXPECT_EQ(e.diskStart, 0);
    EXPECT_EQ(e.internalAttributes, 0);
    EXPECT_EQ(e.localHeaderOffset, 0u);
    // Archive bit, regular file, owner read and write.
    EXPECT_EQ(e.externalAttributes, 0x20u | 0x80000000u | 0x01000000u | 0x00800000u);
}

TEST_F(ZipWriterTest, ReadOnlySourceHasNoOwnerWriteBit) {
    const Text source = Source("locked.txt", "read only");
    std::filesystem::permissions(tree.root() / "locked.txt",
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    Pack({{u"locked.txt", source}});
    const ZipContents zip = Archive();
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(zip.entries[0].externalAttributes, 0x21u | 0x80000000u | 0x01000000u);
}

TEST_F(ZipWriterTest, CompressedTypesAreStoredOthersDeflatedInTheOrderAdded) {
    const std::string content(40000, 'z');  // more than two copy chunks
    const Text source = Source("data.bin", content);
    const std::vector<std::pair<Text, int>> expected = {{u"1234.xml", 8},
                                                        {u"data.ZIP", 0},
                                                        {u"x.Tgz", 0},
                                                        {u"a.gz", 0},
                                                        {u"old.Z", 0},
                                                        {u"noext", 8},
                                                        {u"dir.zip\\note.txt", 8},
                                                        {u"y.zoo", 0},
                                                        {u"t.arc", 0},
                                                        {u"u.LZH", 0},
                                                        {u"v.arj", 0},
                                                        {u"w.zipx", 8}};
    std::vector<std::pair<Text, Text>> entries;
    for (const auto& [name, method] : expected)
        entries.push_back({name, source});
    for (uint32_t result : Pack(entries))
        EXPECT_EQ(result, kZipOk);

    const ZipContents zip = Archive();
    ASSERT_TRUE(zip.ok);
    ASSERT_EQ(zip.entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& e = zip.entries[i];
        SCOPED_TRACE(e.central.name);
        EXPECT_EQ(e.central.method, expected[i].second);
        EXPECT_EQ(e.central.crc, Crc32(content.data(), content.size()));
        if (e.central.method == 0) {
            EXPECT_EQ(e.central.flags, 0);
            EXPECT_EQ(e.central.compressedSize, content.size());
            EXPECT_TRUE(e.data == std::vector<uint8_t>(content.begin(), content.end()));
        } else {
            EXPECT_EQ(e.central.flags, 2);
            EXPECT_TRUE(testing::Inflate(e.data).data ==
                        std::vector<uint8_t>(content.begin(), content.end()));
        }
    }
    EXPECT_EQ(zip.entries[6].central.name, "dir.zip/note.txt");
}

TEST_F(ZipWriterTest, EmptySourceGivesEmptyEntries) {
    const Text source = Source("empty.xml", "");
    Pack({{u"empty.xml", source}, {u"empty.zip", source}});
    const ZipContents zip = Archive();
    ASSERT_EQ(zip.entries.size(), 2u);
    const auto& deflated = zip.entries[0].central;
    EXPECT_EQ(deflated.crc, 0u);
    EXPECT_EQ(deflated.uncompressedSize, 0u);
    EXPECT_EQ(deflated.compressedSize, 2u) << "an empty final block";
    const auto& stored = zip.entries[1].central;
    EXPECT_EQ(stored.crc, 0u);
    EXPECT_EQ(stored.compressedSize, 0u);
}

TEST_F(ZipWriterTest, BackslashesBecomeSlashes) {
    const Text source = Source("a.txt", "abc");
    Pack({{u"logs\\2024\\a.txt", source}});
    const ZipContents zip = Archive();
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(zip.entries[0].central.name, "logs/2024/a.txt");
    EXPECT_EQ(zip.entries[0].local.name, "logs/2024/a.txt");
}

TEST_F(ZipWriterTest, TimesOutsideTheUnixRangeAreClampedKeepingTheTimeOfDay) {
    const Text early = Source("early.txt", "1965");
    const Text late = Source("late.txt", "2050");
    using testing::At;
    tree.SetLastWrite("early.txt", FileTimeToUnixSeconds(At(1965, 6, 15, 13, 45, 10)));
    tree.SetLastWrite("late.txt", FileTimeToUnixSeconds(At(2050, 7, 1, 8, 0, 0)));
    Pack({{u"early.txt", early}, {u"late.txt", late}});
    const ZipContents zip = Archive();
    ASSERT_EQ(zip.entries.size(), 2u);
    const auto unixTime = [](const std::vector<uint8_t>& extra) { return ReadLe(extra, 5, 4); };
    const auto expectedLate = static_cast<uint32_t>(FileTimeToUnixSeconds(At(2037, 12, 31, 8)));
    EXPECT_EQ(unixTime(zip.entries[0].local.extra), 13 * 3600u + 45 * 60 + 10);
    EXPECT_EQ(unixTime(zip.entries[0].central.extra), 13 * 3600u + 45 * 60 + 10);
    EXPECT_EQ(unixTime(zip.entries[1].local.extra), expectedLate);
    EXPECT_EQ(unixTime(zip.entries[1].central.extra), expectedLate);
    // MS-DOS times cannot go before 1980; 2050 they hold.
    EXPECT_EQ(zip.entries[0].central.dosDate, (0 << 9) | (1 << 5) | 1);
    EXPECT_EQ(zip.entries[0].central.dosTime, 0);
    EXPECT_EQ(zip.entries[1].central.dosDate, (70 << 9) | (7 << 5) | 1);
    EXPECT_EQ(zip.entries[1].central.dosTime, 8 << 11);
}

TEST_F(ZipWriterTest, SourceThatCannotBeOpenedIsLeftOut) {
    const Text a = Source("a.txt", "first");
    const Text b = Source("b.txt", "second");
    tree.MakeFolder("folder");
    const auto results = Pack({{u"a.txt", a},
                               {u"missing.txt", PathOf("missing.txt")},
                               {u"folder", PathOf("folder")},
                               {u"b.txt", b}});
    EXPECT_EQ(results,
              (std::vector<uint32_t>{kZipOk, kZipErrorOpen, kZipErrorOpen, kZipOk, kZipOk}));
    const ZipContents zip = Archive();
    ASSERT_TRUE(zip.ok);
    ASSERT_EQ(zip.entries.size(), 2u);
    EXPECT_EQ(zip.entries[0].central.name, "a.txt");
    EXPECT_EQ(zip.entries[1].central.name, "b.txt");
}

TEST_F(ZipWriterTest, OnlyAMissingSourceGivesAnEmptyArchive) {
    EXPECT_EQ(Pack({{u"r.xml", PathOf("r.xml")}}), (std::vector<uint32_t>{kZipErrorOpen, kZipOk}));
    const ZipContents zip = Archive();
    EXPECT_TRUE(zip.ok);
    EXPECT_EQ(zip.totalEntries, 0);
    EXPECT_EQ(ReadWholeFile(*host, PathOf("out.zip"))->size(), 22u);
}

TEST_F(ZipWriterTest, UnusableArgumentsAreRefused) {
    const Text source = Source("a.txt", "x");
    ZipHandle zip = ZipCreate(*host, ansi, PathOf("out.zip"));
    ASSERT_TRUE(zip);
    EXPECT_EQ(ZipAddFile(nullptr, u"a.txt", source), kZipErrorArgument);
    EXPECT_EQ(ZipLastResult(), kZipErrorArgument);
    EXPECT_EQ(ZipAddFile(zip.get(), u"", source), kZipErrorArgument);
    EXPECT_EQ(ZipAddFile(zip.get(), u"\u4e2d.txt", source), kZipErrorArgument);
    EXPECT_EQ(ZipAddFile(zip.get(), Text(260, u'n'), source), kZipErrorArgument);
    EXPECT_EQ(ZipAddFile(zip.get(), Text(259, u'n'), source), kZipOk);
    EXPECT_EQ(ZipAddFile(zip.get(), u"caf\u00e9.txt", source), kZipOk);
    EXPECT_EQ(ZipLastResult(), kZipOk);

    zip->kind = 1;
    EXPECT_EQ(ZipAddFile(zip.get(), u"a.txt", source), kZipErrorHandle);
    zip->kind = kZipKindWriting;
    EXPECT_EQ(ZipClose(zip), kZipOk);
    EXPECT_FALSE(zip);
    EXPECT_EQ(ZipClose(zip), kZipErrorArgument);

    const ZipContents contents = Archive();
    ASSERT_EQ(contents.entries.size(), 2u);
    EXPECT_EQ(contents.entries[1].central.name, "caf\xe9.txt");

    EXPECT_FALSE(ZipCreate(*host, ansi, PathOf("no-such-folder\\out.zip")));
    EXPECT_EQ(ZipLastResult(), kZipErrorOpen);
}

TEST_F(ZipWriterTest, AnArchiveLeftOpenIsCompletedWhenItsHandleGoes) {
    const Text source = Source("a.txt", "abc");
    {
        ZipHandle zip = ZipCreate(*host, ansi, PathOf("out.zip"));
        ZipAddFile(zip.get(), u"a.txt", source);
    }
    EXPECT_TRUE(Archive().ok);
    EXPECT_EQ(Archive().entries.size(), 1u);
}

// An output that takes only so many bytes, or cannot seek.
class FaultyOutput : public WritableFile {
  public:
    FaultyOutput(std::unique_ptr<WritableFile> file, size_t budget, bool canSeek)
        : file_(std::move(file)), budget_(budget), canSeek_(canSeek) {}
    size_t Write(const void* data, size_t size) override {
        const size_t n = std::min(size, budget_);
        budget_ -= n;
        return file_->Write(data, n);
    }
    bool Seek(uint64_t offset) override { return canSeek_ && file_->Seek(offset); }

  private:
    std::unique_ptr<WritableFile> file_;
    size_t budget_;
    bool canSeek_;
};

class FaultyFiles : public ForwardingFileSystem {
  public:
    FaultyFiles(FileSystem& target, size_t budget, bool canSeek = true)
        : ForwardingFileSystem(target), budget_(budget), canSeek_(canSeek) {}
    std::unique_ptr<WritableFile> CreateForWriting(TextView path) override {
        auto file = ForwardingFileSystem::CreateForWriting(path);
        return file ? std::make_unique<FaultyOutput>(std::move(file), budget_, canSeek_) : nullptr;
    }

  private:
    size_t budget_;
    bool canSeek_;
};

TEST_F(ZipWriterTest, OutputFailuresHaveTheirCodes) {
    const Text source = Source("q.bin", std::string(50000, 'q'));
    const size_t header = 30 + 5 + 17;  // local header of "q.txt"
    {
        FaultyFiles files(*host, 20);
        EXPECT_EQ(Pack(files, {{u"q.txt", source}})[0], kZipErrorWrite);
    }
    {
        FaultyFiles files(*host, header + 1000);  // stored data cut short
        EXPECT_EQ(Pack(files, {{u"q.zip", source}})[0], kZipErrorSize);
    }
    {
        FaultyFiles files(*host, header + 5);  // deflated data cut short
        EXPECT_EQ(Pack(files, {{u"q.txt", source}})[0], kZipErrorWrite);
    }
    {
        FaultyFiles files(*host, 1'000'000, false);
        EXPECT_EQ(Pack(files, {{u"q.txt", source}})[0], kZipErrorSeek);
    }
    // Room for the entry but not for its central record: no end record either.
    Pack({{u"q.txt", source}});
    const size_t whole = ReadWholeFile(*host, PathOf("out.zip"))->size();
    FaultyFiles files(*host, whole + header - 22 - 30);  // the header is written twice
    EXPECT_EQ(Pack(files, {{u"q.txt", source}}), (std::vector<uint32_t>{kZipOk, kZipErrorWrite}));
    EXPECT_EQ(ReadWholeFile(*host, PathOf("out.zip"))->size(), whole - 22 - 30);
}

// A source that is not a disk file (a pipe or a device).
class DeviceFiles : public ForwardingFileSystem {
  public:
    using ForwardingFileSystem::ForwardingFileSystem;
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override {
        struct Device : ReadableFile {
            int64_t Read(void*, size_t) override { return 0; }
            bool Seek(uint64_t) override { return false; }
            std::optional<FileFacts> Facts() override { return FileFacts{}; }
            bool IsDiskFile() override { return false; }
        };
        (void)path;
        return std::make_unique<Device>();
    }
};

TEST_F(ZipWriterTest, SourceThatIsNoDiskFileIsRefused) {
    DeviceFiles files(*host);
    EXPECT_EQ(Pack(files, {{u"con", u"CON"}})[0], kZipErrorNotDisk);
    EXPECT_TRUE(Archive().ok);
}

}  // namespace
}  // namespace veltrano
