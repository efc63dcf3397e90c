// The sample machine as the builder writes it, read back through the program's own offline
// adapters (natively and under Wine): every event of the description in each log, newest first;
// the registry naming the message file of every source; a message in that file (or, for a
// manifest-based provider, through its manifest) for every error the logs hold; report files with
// their byte-order mark and times; sample.reg with the hive's source keys; and the same files for
// the same now.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "engine/event_record.h"
#include "engine/message_texts.h"
#include "platform/host.h"
#include "platform/offline/host_clock.h"
#include "platform/offline/machine/offline_machine.h"
#include "sample_machine/sample_message_dll.h"
#include "sample_machine/sample_writer.h"
#include "support/temp_tree.h"

namespace veltrano::sample {
namespace {

namespace fs = std::filesystem;

constexpr FileTime kNow = 134168400000000000;  // 2026-03-01 12:00 UTC

std::vector<uint8_t> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every record of a log, newest first, as the program reads them (each a copy of its bytes).
std::vector<std::vector<uint8_t>> Records(EventLogService& service, TextView log) {
    std::vector<std::vector<uint8_t>> records;
    auto opened = service.Open(log);
    if (!opened)
        return records;
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        const EventLogRead read =
            opened->ReadBackwards(buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (!read.ok)
            break;
        uint32_t offset = 0;
        WalkEventRecords(buffer.data(), read.bytesRead, [&](const EventRecordView& r) {
            records.emplace_back(buffer.begin() + offset, buffer.begin() + offset + r.Length());
            offset += r.Length();
        });
    }
    return records;
}

EventRecordView View(const std::vector<uint8_t>& record) {
    return EventRecordView(record.data(), static_cast<uint32_t>(record.size()));
}

class SampleFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        machine = DescribeSampleMachine(kNow);
        WriteSampleMachine(machine, tree.root(), SampleMessageDll());
        host = MakeHostFileSystem();
        hostClock = MakeHostClock();
        clock = std::make_unique<FixedClock>(*hostClock, kNow);
        offline = std::make_unique<OfflineMachine>(*host, tree.RootText(), *clock);
    }

    Machine& ports() { return offline->machine(); }

    testing::TempTree tree;
    SampleMachine machine;
    std::unique_ptr<FileSystem> host;
    std::unique_ptr<Clock> hostClock;
    std::unique_ptr<FixedClock> clock;
    std::unique_ptr<OfflineMachine> offline;
};

TEST_F(SampleFiles, EachLogHoldsItsEventsNewestFirst) {
    for (const TextView log : {TextView(u"Application"), TextView(u"System")}) {
        SCOPED_TRACE(Utf16ToUtf8(log));
        std::vector<const SampleEvent*> expected;
        for (auto e = machine.events.rbegin(); e != machine.events.rend(); ++e) {
            if (e->log == log)
                expected.push_back(&*e);
        }
        const auto records = Records(*ports().eventLogs, log);
        ASSERT_EQ(records.size(), expected.size());
        for (size_t i = 0; i < records.size(); ++i) {
            const EventRecordView r = View(records[i]);
            const SampleEvent& e = *expected[i];
            ASSERT_EQ(r.RecordNumber(), expected.size() - i);
            EXPECT_EQ(r.TimeGenerated(), static_cast<uint32_t>(FileTimeToUnixSeconds(e.time)));
            EXPECT_EQ(r.EventID(), uint32_t{e.qualifiers.value_or(0)} << 16 | e.eventId);
            EXPECT_EQ(r.EventType(), e.level <= 2 ? 1 : e.level == 3 ? 2 : 4);
            EXPECT_EQ(r.SourceName(), e.eventSourceName.value_or(e.provider));
            EXPECT_EQ(r.InsertionStrings().values, e.strings);
        }
    }
}

TEST_F(SampleFiles, EveryErrorOfARegisteredSourceHasItsMessage) {
    if (SampleMessageDll().empty())
        GTEST_SKIP() << "the builder was made without the message DLL (no MinGW-w64 binutils)";
    std::map<Text, size_t> resolved;
    for (const TextView log : {TextView(u"Application"), TextView(u"System")}) {
        for (const auto& record : Records(*ports().eventLogs, log)) {
            const EventRecordView r = View(record);
            if (r.EventType() != kEventTypeError)
                continue;
            const Text kind = r.SourceName() + u" " + UnsignedText(r.EventID() & 0xFFFF);
            if (resolved.count(kind))
                continue;
            MessageTexts texts = ResolveMessageTexts(ports(), r, log);
            if (!texts.ErrorText)
                texts.ErrorText = QueryEventText(ports(), log, r.RecordNumber());
            resolved[kind] = texts.ErrorText ? texts.ErrorText->size() : 0;
        }
    }
    // The uninstalled backup program is the one source that left no registration; of the
    // manifest-based providers, four lack their files or the event's definition.
    const Text withoutText[] = {
        u"Brightbyte Backup",
        u"Microsoft-Windows-Bits-Client 16392",
        u"Microsoft-Windows-Security-SPP 8198",
        u"Microsoft-Windows-WindowsUpdateClient 25",
    };
    for (const auto& [kind, length] : resolved) {
        if (std::any_of(std::begin(withoutText), std::end(withoutText),
                        [&](const Text& k) { return kind.starts_with(k); }))
            EXPECT_EQ(length, 0u) << Utf16ToUtf8(kind);
        else
            EXPECT_GT(length, 0u) << Utf16ToUtf8(kind) << " has no message text";
    }
    EXPECT_GE(resolved.size(), 15u);
}

TEST_F(SampleFiles, RegistryNamesTheMessageFileOfEverySource) {
    const Text events = u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\";
    for (const SampleSource& s : machine.sources) {
        SCOPED_TRACE(Utf16ToUtf8(s.source));
        const Text key = events + s.log + u"\\" + s.source;
        EXPECT_EQ(ports().registry->ReadMachineString(key, u"EventMessageFile"), s.messageFile);
        EXPECT_EQ(ports().registry->ReadMachineString(key, u"providerGuid"), s.providerGuid);
    }
    for (const SamplePublisher& p : machine.publishers) {
        EXPECT_EQ(
            ports().registry->ReadMachineString(
                u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\" + p.guid,
                u"MessageFileName"),
            p.messageFile);
    }
    EXPECT_EQ(ports().environment->Expand(u"%ProgramFiles(x86)%"), u"C:\\Program Files (x86)");
}

TEST_F(SampleFiles, ReportFilesAreUtf16WithByteOrderMarkAndTheReportsTime) {
    for (const SampleReport& r : machine.reports) {
        const Text path = u"C:\\" + r.archive + u"\\" + r.folder + u"\\Report.wer";
        SCOPED_TRACE(Utf16ToUtf8(path));
        const auto facts = ports().files->Facts(path);
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->lastWriteTime, r.time + 3 * kTicksPerSecond);
        const auto bytes = ReadWholeFile(*ports().files, path);
        ASSERT_TRUE(bytes);
        ASSERT_EQ(bytes->size(), 2 + 2 * r.text.size());
        EXPECT_EQ((*bytes)[0], 0xFF);
        EXPECT_EQ((*bytes)[1], 0xFE);
        for (size_t i = 0; i < r.text.size(); ++i) {
            ASSERT_EQ((*bytes)[2 + 2 * i] | (*bytes)[3 + 2 * i] << 8, r.text[i]) << i;
        }
    }
}

TEST_F(SampleFiles, RegFileHoldsTheSourceKeysOfTheHive) {
    std::ifstream in(tree.root() / "sample.reg", std::ios::binary);
    const std::string reg{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(reg.rfind("REGEDIT4\r\n\r\n", 0), 0u);
    auto hexAnsi = [](TextView text) {
        std::string hex;
        for (const char16_t c : Text(text) + u'\0') {
            char byte[8];
            std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned>(c & 0xFF));
            hex += (hex.empty() ? "" : ",") + std::string(byte);
        }
        return hex;
    };
    for (const SampleSource& s : machine.sources) {
        const std::string section =
            "\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\"
            "EventLog\\" +
            Utf16ToUtf8(s.log) + "\\" + Utf16ToUtf8(s.source) + "]\r\n";
        const size_t at = reg.find(section);
        ASSERT_NE(at, std::string::npos) << section;
        const std::string value = s.messageFile.empty()
                                      ? "\"providerGuid\"=\"" + Utf16ToUtf8(s.providerGuid) + "\""
                                      : "\"EventMessageFile\"=hex(2):" + hexAnsi(s.messageFile);
        EXPECT_EQ(reg.find(value + "\r\n", at), at + section.size()) << value;
    }
    for (const SamplePublisher& p : machine.publishers) {
        EXPECT_NE(reg.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                           "WINEVT\\Publishers\\" +
                           Utf16ToUtf8(p.guid) + "]\r\n"),
                  std::string::npos);
    }
}

TEST_F(SampleFiles, TheSameNowWritesTheSameFiles) {
    testing::TempTree again;
    WriteSampleMachine(DescribeSampleMachine(kNow), again.root(), SampleMessageDll());
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(tree.root())) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const fs::path twin = again.root() / fs::relative(entry.path(), tree.root());
        EXPECT_EQ(Bytes(entry.path()), Bytes(twin)) << entry.path();
    }
    EXPECT_GT(files, 20u);
}

}  // namespace
}  // namespace veltrano::sample
