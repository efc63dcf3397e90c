// Under Wine the program reads the event logs from the log files under %SystemRoot%: a prefix
// with Application.evtx and System.evtx is scanned by RunScan, which finds their error records.
#include <gtest/gtest.h>

#include "engine/scan.h"
#include "platform/host.h"
#include "platform/win32/event_log_choice.h"
#include "platform/win32/win32_system_services.h"
#include "support/engine_machine.h"
#include "writers/evtx/evtx_log_writer.h"

namespace veltrano {
namespace {
using evtxwriter::EvtxEvent;

// Log files put into the prefix's winevt\Logs folder for the life of the object; files that
// were there before are put back.
class PrefixLogFiles {
  public:
    explicit PrefixLogFiles(FileSystem& files)
        : files_(files), folder_(SystemRootFolder() + u"\\System32\\winevt\\Logs\\") {
        files_.CreateFolder(SystemRootFolder() + u"\\System32\\winevt");
        files_.CreateFolder(folder_);
    }
    ~PrefixLogFiles() {
        for (const auto& [name, before] : saved_) {
            if (before) {
                Write(name, *before);
            } else {
                files_.Remove(folder_ + name);
            }
        }
    }
    PrefixLogFiles(const PrefixLogFiles&) = delete;
    PrefixLogFiles& operator=(const PrefixLogFiles&) = delete;

    void Put(const Text& name, const std::vector<uint8_t>& bytes) {
        saved_.emplace_back(name, ReadWholeFile(files_, folder_ + name));
        ASSERT_TRUE(Write(name, bytes)) << Utf16ToUtf8(folder_ + name);
    }

  private:
    bool Write(const Text& name, const std::vector<uint8_t>& bytes) {
        auto file = files_.CreateForWriting(folder_ + name);
        return file && file->Write(bytes.data(), bytes.size()) == bytes.size();
    }

    FileSystem& files_;
    Text folder_;
    std::vector<std::pair<Text, std::optional<std::vector<uint8_t>>>> saved_;
};

EvtxEvent Event(uint64_t id, FileTime time, uint8_t level, Text source, uint16_t eventId,
                std::optional<uint16_t> qualifiers, std::vector<Text> data) {
    EvtxEvent e;
    e.recordId = id;
    e.time = time;
    e.level = level;
    e.provider = std::move(source);
    e.eventId = eventId;
    e.qualifiers = qualifiers;
    e.computer = u"WINE-PC";
    e.data = std::move(data);
    return e;
}

TEST(OfflineLogsScanTest, RunningUnderWineReadsTheLogFilesOfTheSystemRoot) {
    if (!RunningUnderWine())
        GTEST_SKIP() << "on Windows the event-log service is read";
    EXPECT_FALSE(SystemRootFolder().empty());

    testing::EngineMachine m;
    m.RegisterSource(u"System", u"Service Control Manager", u"%SystemRoot%\\System32\\services.exe",
                     {{0xC0001B58,
                       u"The %1 service failed to start due to the following error: "
                       u"%n%2"}});
    m.RegisterSource(u"System", u"Disk", u"%SystemRoot%\\System32\\drivers\\disk.sys",
                     {{0xC0040007, u"The device, %1, has a bad block."}});
    const FileTime now = m.clock.UtcNow();
    const auto ago = [&](int64_t hours) { return now - hours * 3600 * kTicksPerSecond; };

    auto files = MakeHostFileSystem();
    PrefixLogFiles logs(*files);
    logs.Put(u"Application.evtx",
             evtxwriter::WriteEvtxLog(
                 {Event(1, ago(50), 4, u"Winlogon", 6000, 0, {}),
                  Event(2, ago(3), 2, u"Application Error", 1000, 0,
                        testing::CrashStrings(u"notepad.exe", u"C:\\windows\\notepad.exe",
                                              u"c0000005", u"r-1")),
                  Event(3, ago(2), 3, u"Wininit", 11, 0x8000, {u"warning"}),
                  Event(4, ago(1), 2, u"Application Hang", 1002, 0,
                        testing::HangStrings(u"app.exe", u"C:\\app\\app.exe", u"r-2"))},
                 u"Application"));
    logs.Put(u"System.evtx",
             evtxwriter::WriteEvtxLog(
                 {Event(7, ago(24 * 30), 2, u"Disk", 7, 0xC004, {u"\\Device\\Harddisk0\\DR0"}),
                  Event(8, ago(5), 2, u"Service Control Manager", 7000, 0xC000,
                        {u"Print Spooler", u"The system cannot find the file specified."}),
                  Event(9, ago(4), 4, u"Microsoft-Windows-Kernel-General", 12, std::nullopt,
                        {u"10", u"0"})},
                 u"System"));

    const auto service = MakeHostEventLogService(*files);
    m.machine.eventLogs = service.get();
    RunScan(m.catalogue, m.machine);

    EXPECT_EQ(m.catalogue.entries.size(), 4u);
    const ErrorEntry* crash = m.catalogue.Find(u"Application Error: notepad.exe_1000");
    ASSERT_NE(crash, nullptr);
    EXPECT_EQ(crash->ExceptionCode, u"0xc0000005");
    EXPECT_NE(m.catalogue.Find(u"Application Hang: app.exe_1002"), nullptr);
    const ErrorEntry* scm = m.catalogue.Find(u"Service Control Manager_7000");
    ASSERT_NE(scm, nullptr);
    EXPECT_TRUE(StartsWith(scm->ErrorSummary, u"The Print Spooler service failed to start"))
        << Utf16ToUtf8(scm->ErrorSummary);
    EXPECT_NE(m.catalogue.Find(u"Disk_7"), nullptr);
    EXPECT_EQ(m.catalogue.TotalErrors, 4);
}

}  // namespace
}  // namespace veltrano
