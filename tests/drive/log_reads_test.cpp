// How a scan reads a drive's logs: with the texts of manifest-based providers on, each log file
// is opened once and each of its bytes read once (the chunk headers, read first to order the
// chunks, twice), however many of its records need the manifest; and the texts come out.
#include <gtest/gtest.h>

#include <map>

#include "drive/drive_scan.h"
#include "platform/host.h"
#include "platform/offline/machine/offline_machine.h"
#include "platform/offline/manifest/manifest_event_query.h"
#include "support/fake_clock.h"
#include "support/temp_tree.h"
#include "writers/evtx/evtx_log_writer.h"
#include "writers/hive/event_source_keys.h"
#include "writers/manifest/crim_writer.h"
#include "writers/manifest/resource_dll_writer.h"

namespace veltrano {
namespace {

constexpr TextView kGuid = u"{8c416c79-d49b-4f01-a467-e56d3aa8234c}";
constexpr uint32_t kMessage = 0xB0000010;
constexpr int kRecords = 3000;  // several chunks, so that threads and groups take part
constexpr int kDistinct = 40;   // event identifiers: each a new entry that asks for its text

// The host's files, with each file's openings and the bytes read from it counted.
class CountingFiles : public FileSystem {
  public:
    struct Count {
        int opened = 0;
        uint64_t bytes = 0;
    };
    explicit CountingFiles(FileSystem& host) : host_(host) {}

    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override {
        auto file = host_.OpenForReading(path);
        if (!file)
            return nullptr;
        Count& count = counts_[PathKey(FileNameOf(path))];
        ++count.opened;
        return std::make_unique<CountedFile>(std::move(file), count);
    }
    std::optional<std::vector<FolderEntry>> ListFolder(TextView f) override {
        return host_.ListFolder(f);
    }
    std::unique_ptr<WritableFile> CreateForWriting(TextView p) override {
        return host_.CreateForWriting(p);
    }
    std::optional<FileFacts> Facts(TextView p) override { return host_.Facts(p); }
    CreateFolderResult CreateFolder(TextView p) override { return host_.CreateFolder(p); }
    bool Copy(TextView a, TextView b, bool f) override { return host_.Copy(a, b, f); }
    bool Remove(TextView p) override { return host_.Remove(p); }
    Text TempFolder() override { return host_.TempFolder(); }
    Text DesktopFolder() override { return host_.DesktopFolder(); }
    Text ModulePath() override { return host_.ModulePath(); }

    Count Of(TextView fileName) { return counts_[PathKey(fileName)]; }

  private:
    class CountedFile : public ReadableFile {
      public:
        CountedFile(std::unique_ptr<ReadableFile> file, Count& count)
            : file_(std::move(file)), count_(count) {}
        int64_t Read(void* buffer, size_t size) override {
            const int64_t n = file_->Read(buffer, size);
            if (n > 0)
                count_.bytes += static_cast<uint64_t>(n);
            return n;
        }
        bool Seek(uint64_t offset) override { return file_->Seek(offset); }
        std::optional<FileFacts> Facts() override { return file_->Facts(); }

      private:
        std::unique_ptr<ReadableFile> file_;
        Count& count_;
    };
    static TextView FileNameOf(TextView path) { return path.substr(FileNameStart(path)); }

    FileSystem& host_;
    std::map<Text, Count> counts_;
};

std::vector<uint8_t> ToolManifest() {
    manifest::ManifestProvider p;
    p.guid = manifestwriter::GuidBytes(kGuid);
    p.templates.push_back({0, {}, {{u"Status", 1, 1}}});
    for (uint16_t id = 1; id <= kDistinct; ++id)
        p.events.push_back({id, 0, 16, 2, 0, 0, 0, kMessage, 0});
    return manifestwriter::WriteCrim({p});
}

std::vector<uint8_t> ToolLog(TextView channel) {
    std::vector<evtxwriter::EvtxEvent> events;
    for (int i = 0; i < kRecords; ++i) {
        evtxwriter::EvtxEvent e;
        e.recordId = static_cast<uint64_t>(i) + 1;
        e.time = testing::At(2026, 12, 1, 8, 0, 0) + static_cast<FileTime>(i) * kTicksPerSecond;
        e.level = 2;
        e.provider = u"Microsoft-Windows-Tool";
        e.providerGuid = Text(kGuid);
        e.eventId = static_cast<uint16_t>(i % kDistinct + 1);
        e.computer = u"PC";
        e.data = {u"status " + DecimalText(i)};
        events.push_back(std::move(e));
    }
    return evtxwriter::WriteEvtxLog(events, channel);
}

TEST(LogReads, AScanWithManifestTextsReadsEachLogOnce) {
    testing::TempTree tree;
    HiveWriter system(u"SYSTEM");
    SelectControlSet(system, 1);
    tree.Write("Windows/System32/config/SYSTEM", system.Bytes());
    HiveWriter software(u"SOFTWARE");
    const Text file = u"%SystemRoot%\\System32\\tool-events.dll";
    AddPublisher(software, kGuid, file).SetExpandString(u"ResourceFileName", file);
    tree.Write("Windows/System32/config/SOFTWARE", software.Bytes());
    tree.Write("Windows/System32/tool-events.dll",
               manifestwriter::WriteResourceDll(
                   manifestwriter::ProviderResources({{kMessage, u"Tool: %1\r\n"}}, 0x0409,
                                                     ToolManifest())));
    std::map<Text, uint64_t> sizes;
    for (const TextView log : {TextView(u"Application"), TextView(u"System")}) {
        const auto bytes = ToolLog(log);
        sizes[Text(log)] = bytes.size();
        tree.Write("Windows/System32/winevt/Logs/" + Utf16ToUtf8(log) + ".evtx", bytes);
    }
    ASSERT_GT(sizes[u"System"], 4096u + 3 * 65536u);

    auto host = MakeHostFileSystem();
    CountingFiles counting(*host);
    testing::FakeClock clock(testing::At(2026, 12, 8, 12, 0, 0));
    OfflineMachine drive(counting, tree.RootText(), clock);
    ErrorCatalogue catalogue;
    ScanPorts(catalogue, drive.machine(), &drive.manifestQuery(), false, {}, {}, nullptr);

    // Every entry has the manifest's text, with its own record's value.
    ASSERT_EQ(catalogue.entries.size(), static_cast<size_t>(kDistinct));  // both logs, one key
    for (const auto& [key, entry] : catalogue.entries) {
        ASSERT_TRUE(entry.ErrorText) << Utf16ToUtf8(key);
        EXPECT_EQ(entry.ErrorText->rfind(u"Tool: status ", 0), 0u) << Utf16ToUtf8(key);
    }
    for (const auto& [log, size] : sizes) {
        SCOPED_TRACE(Utf16ToUtf8(log));
        const auto count = counting.Of(log + u".evtx");
        EXPECT_EQ(count.opened, 1);
        const uint64_t chunks = (size - 4096) / 65536;
        EXPECT_LE(count.bytes, size + chunks * 512);
        EXPECT_GE(count.bytes, size);
    }
}

}  // namespace
}  // namespace veltrano
