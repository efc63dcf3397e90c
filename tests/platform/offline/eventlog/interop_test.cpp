// Our readers against independent ones: every record of every shared sample against python-evtx
// (the .evtx files) and the reference decodings (the classic .evt files), and the files our
// writer produces as python-evtx reads them. Skips when the samples or python3-evtx are missing.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "peer_records.h"
#include "platform/offline/eventlog/event_log_fixtures.h"
#include "platform/offline/eventlog/evt_file.h"
#include "support/samples.h"
#include "support/temp_tree.h"
#include "writers/evt/evt_log_writer.h"

namespace veltrano::testing {
namespace {
namespace fs = std::filesystem;
using eventlog::EvtxEventFields;

std::vector<uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> SampleNames(const char* folder, const char* extension) {
    std::vector<std::string> names;
    std::error_code e;
    for (const auto& entry : fs::directory_iterator(SamplesDir() / folder, e)) {
        if (entry.path().extension() == extension)
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    if (names.empty())
        names.push_back("(none)");
    return names;
}

// A test name made of the sample's file name.
std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

void ExpectSameEvent(const PeerRecord& peer, const EvtxEventFields& ours) {
    SCOPED_TRACE("record " + std::to_string(peer.id));
    EXPECT_EQ(ours.created, peer.created);
    EXPECT_EQ(ours.level, peer.level);
    EXPECT_EQ(ours.eventId, peer.eventId);
    EXPECT_EQ(ours.qualifiers, peer.qualifiers);
    EXPECT_EQ(ours.provider, peer.provider);
    EXPECT_EQ(ours.sourceName, peer.sourceName);
    EXPECT_EQ(ours.computer, peer.computer);
    EXPECT_EQ(ours.channel, peer.channel);
    EXPECT_EQ(ours.StringList(), peer.strings);
}

class EvtxSampleTest : public ::testing::TestWithParam<std::string> {};

TEST_P(EvtxSampleTest, EveryRecordReadsAsPythonEvtxReadsIt) {
    const fs::path file = SamplesDir() / "evtx" / GetParam();
    if (!fs::exists(file))
        GTEST_SKIP() << "no shared samples at " << SamplesDir();
    if (const auto why = PeerUnavailableReason("evtx"); !why.empty())
        GTEST_SKIP() << why;
    const auto peer = PeerRecords("evtx", file, true);
    ASSERT_TRUE(peer) << "python-evtx failed on " << file;

    std::map<uint64_t, EvtxEventFields> ours;
    for (const auto& e : ReadEvents(FileBytes(file)))
        ours.emplace(e.recordId, e);
    size_t compared = 0, damaged = 0, undecodable = 0;
    for (const PeerRecord& p : *peer) {
        const auto found = ours.find(p.id);
        if (!p.decoded) {
            ++undecodable;
            continue;
        }
        if (found == ours.end()) {
            // Only records whose size or chunk header is damaged may be missing.
            EXPECT_FALSE(p.intact) << "record " << p.id << " is missing";
            ++damaged;
            continue;
        }
        ExpectSameEvent(p, found->second);
        ++compared;
    }
    const size_t recovered = ours.size() - compared;
    std::cout << GetParam() << ": python-evtx " << peer->size() << " records (" << damaged
              << " damaged, " << undecodable << " it cannot decode); ours " << ours.size()
              << ", compared " << compared << ", beyond python-evtx " << recovered << "\n";
    EXPECT_GT(ours.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Samples, EvtxSampleTest, ::testing::ValuesIn(SampleNames("evtx", ".evtx")),
                         TestName);

class EvtSampleTest : public ::testing::TestWithParam<std::string> {};

TEST_P(EvtSampleTest, EveryRecordReadsAsTheReferenceDecodingHasIt) {
    const fs::path file = SamplesDir() / "evt" / GetParam();
    const fs::path reference = SamplesDir() / "reference" / (GetParam() + ".records.jsonl");
    if (!fs::exists(file) || !fs::exists(reference))
        GTEST_SKIP() << "no shared samples";
    if (const auto why = PeerUnavailableReason("reference"); !why.empty())
        GTEST_SKIP() << why;
    const auto expected = PeerRecords("reference", reference, true);
    ASSERT_TRUE(expected);

    std::map<uint64_t, eventlog::ClassicRecordView> ours;
    eventlog::ForEachEvtRecord(FileBytes(file), [&](const eventlog::ClassicRecordView& v) {
        auto copy = v;
        copy.userSid = copy.data = {};
        ours.emplace(v.recordNumber, std::move(copy));
    });
    EXPECT_EQ(ours.size(), expected->size());
    for (const PeerRecord& p : *expected) {
        SCOPED_TRACE("record " + std::to_string(p.id));
        const auto found = ours.find(p.id);
        ASSERT_NE(found, ours.end());
        const auto& r = found->second;
        EXPECT_EQ(r.timeGenerated, p.created);
        EXPECT_EQ(r.eventType, p.level);
        EXPECT_EQ(r.eventId, p.eventId);
        EXPECT_EQ(r.sourceName, p.provider);
        EXPECT_EQ(r.computerName, p.computer);
        // The reference decoder takes the padding after the last string of some records for
        // one more, empty string, beyond the record's NumStrings.
        auto strings = p.strings;
        while (strings.size() > r.strings.size() && strings.back().empty())
            strings.pop_back();
        EXPECT_EQ(r.strings, strings);
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, EvtSampleTest, ::testing::ValuesIn(SampleNames("evt", ".evt")),
                         TestName);

TEST(EvtxWriterInteropTest, PythonEvtxReadsOurFilesAsWritten) {
    if (const auto why = PeerUnavailableReason("evtx"); !why.empty())
        GTEST_SKIP() << why;
    auto events = NumberedEvents(1, 250);
    events[7].data = {u"quotes \" and <angle> & ampersand", u"ümlaut €uro", u"two\r\nlines", u""};
    events[9].eventSourceName = u"Application Hang";
    events[11].channel = u"Microsoft-Windows-PowerShell/Operational";  // as a collector has them
    TempTree tree;
    const fs::path path =
        tree.Write("Application.evtx",
                   evtxwriter::WriteEvtxLog(events, u"Application", {.recordsPerChunk = 100}));
    const auto peer = PeerRecords("evtx", path, false);
    ASSERT_TRUE(peer);
    ASSERT_EQ(peer->size(), events.size());
    for (const PeerRecord& p : *peer) {
        SCOPED_TRACE("record " + std::to_string(p.id));
        const auto& written = events.at(p.id - 1);
        ExpectWrittenEvent(p, written);
        EXPECT_EQ(p.channel, written.channel.value_or(u"Application"));
    }
}

// A record as evtxexport and evtexport (libevtx-utils, libevt-utils) print it.
struct ExportedRecord {
    uint64_t number = 0;
    std::string source;
    std::string computer;
    std::vector<std::string> strings;
};

// The records the tool prints for the file; nullopt when the tool is not installed. Strings
// with line breaks would need more than this line-by-line reading.
std::optional<std::vector<ExportedRecord>> Export(const std::string& tool, const fs::path& file) {
    if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0)
        return std::nullopt;
    const fs::path output = file.string() + ".txt";
    std::system((tool + " '" + file.string() + "' > '" + output.string() + "' 2>&1").c_str());
    std::vector<ExportedRecord> records;
    std::ifstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find("\t: ");
        if (colon == std::string::npos)
            continue;
        const std::string key = line.substr(0, line.find('\t'));
        const std::string value = line.substr(colon + 3);
        if (key == "Event number") {
            records.emplace_back();
            records.back().number = std::stoull(value);
        } else if (records.empty()) {
            continue;
        } else if (key == "Source name") {
            records.back().source = value;
        } else if (key == "Computer name") {
            records.back().computer = value;
        } else if (key.rfind("String: ", 0) == 0) {
            records.back().strings.push_back(value);
        }
    }
    return records;
}

std::vector<std::string> Utf8(const std::vector<Text>& texts) {
    std::vector<std::string> out;
    for (const Text& t : texts)
        out.push_back(Utf16ToUtf8(t));
    return out;
}

TEST(EvtxWriterInteropTest, LibevtxReadsOurFilesAsWritten) {
    auto events = NumberedEvents(1, 250);
    TempTree tree;
    const fs::path path = tree.Write("System.evtx", evtxwriter::WriteEvtxLog(events, u"System"));
    const auto exported = Export("evtxexport", path);
    if (!exported)
        GTEST_SKIP() << "evtxexport (libevtx-utils) is not installed";
    ASSERT_EQ(exported->size(), events.size());
    for (const ExportedRecord& r : *exported) {
        SCOPED_TRACE("record " + std::to_string(r.number));
        const auto& e = events.at(r.number - 1);
        EXPECT_EQ(r.source, Utf16ToUtf8(e.eventSourceName.value_or(e.provider)));
        EXPECT_EQ(r.computer, Utf16ToUtf8(e.computer));
        EXPECT_EQ(r.strings, Utf8(e.data));
    }
}

TEST(EvtWriterInteropTest, LibevtReadsOurWrappedClassicFiles) {
    std::vector<evtwriter::EvtEvent> events;
    for (uint32_t n = 1; n <= 90; ++n) {
        evtwriter::EvtEvent e;
        e.recordNumber = n;
        e.timeGenerated = e.timeWritten = 1'000'000'000 + n;
        e.source = n % 2 ? u"Service Control Manager" : u"EventLog";
        e.computer = u"XP-BOX";
        for (uint32_t k = 0; k < n % 4; ++k)
            e.strings.push_back(u"string " + DecimalText(n + k));
        events.push_back(e);
    }
    TempTree tree;
    // From no wrap at all to the oldest record right before the end of the file. libevt reads
    // a record split across the end, but not the 0x00000027 filling the service leaves when not
    // even the fixed part of a record fits there: those layouts are left out.
    std::vector<uint32_t> starts = {48, 0x1000, 0x2000, 0x3000};
    for (uint32_t start = 0x3E00; start < 0x4000; start += 28)
        starts.push_back(start);
    size_t checked = 0;
    for (const uint32_t start : starts) {
        SCOPED_TRACE(start);
        const auto bytes = evtwriter::WriteEvtLog(events, {0x4000, start});
        if (eventlog::Le32At(bytes, bytes.size() - 4) == 0x27)
            continue;
        const fs::path path = tree.Write("SysEvent.Evt", bytes);
        const auto exported = Export("evtexport", path);
        if (!exported)
            GTEST_SKIP() << "evtexport (libevt-utils) is not installed";
        ASSERT_EQ(exported->size(), events.size());
        for (const ExportedRecord& r : *exported) {
            const auto& e = events.at(r.number - 1);
            EXPECT_EQ(r.source, Utf16ToUtf8(e.source));
            EXPECT_EQ(r.strings, Utf8(e.strings));
        }
        ++checked;
    }
    EXPECT_GT(checked, 10u);
}

}  // namespace
}  // namespace veltrano::testing
