// A collector's log split by computer: what each sender's catalogue holds, whatever the number
// of decoding threads, and what is left of files cut short or damaged anywhere.
#include "fleet/forwarded_events.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "platform/host.h"
#include "platform/offline/host_clock.h"
#include "support/temp_tree.h"
#include "writers/evtx/evtx_file_writer.h"
#include "writers/evtx/evtx_log_writer.h"

namespace veltrano::testing {
namespace {

constexpr size_t kPerChunk = 40;
constexpr uint64_t kRecords = 1200;
const FileTime kNow = *CalendarToFileTime({2025, 12, 8, 12, 0, 0, 0});
const Text kSenders[] = {u"PC-1", u"PC-2.corp.example", u"pc-3", u""};

// Record i: its sender, its log (one in six of another log), an error one in three, one of five
// sources; each record a second of its own. One sender has no errors.
evtxwriter::EvtxEvent Record(uint64_t i) {
    evtxwriter::EvtxEvent e;
    e.recordId = i + 1;
    e.time = kNow - (kRecords - i) * 60 * kTicksPerSecond;
    e.computer = kSenders[i * 7 % 4];
    e.channel = i % 6 == 5 ? u"Setup" : i % 2 ? u"System" : u"application";
    e.level = i % 3 == 0 ? 2 : 4;
    e.provider = u"Source" + DecimalText(static_cast<int64_t>(i / 4 % 5));
    e.eventId = static_cast<uint16_t>(100 + i % 2);
    e.data = {u"record " + DecimalText(static_cast<int64_t>(i))};
    if (i % 13 == 1) {  // a sender that forwards no error at all
        e.computer = u"PC-quiet";
        e.channel = u"System";
        e.level = 4;
    }
    return e;
}

std::vector<evtxwriter::EvtxEvent> Records() {
    std::vector<evtxwriter::EvtxEvent> events;
    for (uint64_t i = 0; i < kRecords; ++i)
        events.push_back(Record(i));
    return events;
}

// Each sender's errors as (key, count, first, last, occurrences), and the skipped records.
using Summary = std::map<Text, std::set<std::tuple<Text, int32_t, FileTime, FileTime, size_t>>>;
Summary Summarize(const ForwardedMachines& split) {
    Summary summary;
    for (const auto& [computer, catalogue] : split.catalogues) {
        auto& errors = summary[computer];
        for (const auto& [key, e] : catalogue->entries) {
            errors.emplace(key, e.ErrorCount, e.FirstErrorDateTime, e.LastErrorDateTime,
                           e.OccurrenceTimes.size());
        }
    }
    return summary;
}

class ForwardedEventsTest : public ::testing::Test {
  protected:
    std::optional<ForwardedMachines> Split(const std::vector<uint8_t>& bytes, int threads) {
        const auto path = tree_.Write("ForwardedEvents.evtx", bytes);
        Machine ports;
        ports.clock = &clock_;
        return SplitForwardedEvents(path, ports, threads);
    }

    std::vector<uint8_t> Log() const {
        return evtxwriter::WriteEvtxLog(Records(), u"ForwardedEvents",
                                        {.recordsPerChunk = kPerChunk});
    }

    TempTree tree_;
    std::unique_ptr<Clock> zone_ = MakeHostClock();
    FixedClock clock_{*zone_, kNow};
};

TEST_F(ForwardedEventsTest, EachSenderGetsItsErrorsWhateverTheNumberOfThreads) {
    const auto log = Log();
    const auto one = Split(log, 1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->records, kRecords);
    EXPECT_EQ(one->damagedChunks, 0u);

    // What the records say, counted here: every error of Application or System (letter case
    // ignored) under its sender, "(unknown)" for none; other logs counted.
    std::map<Text, std::map<Text, int32_t>> errors;
    uint64_t otherLogs = 0;
    for (const auto& e : Records()) {
        if (*e.channel == u"Setup") {
            ++otherLogs;
            continue;
        }
        const Text sender = e.computer.empty() ? Text(kUnknownComputer) : e.computer;
        auto& counts = errors[sender];  // a sender without errors is a machine too
        if (e.level == 2)
            ++counts[e.provider + u"_" + DecimalText(e.eventId)];
    }
    EXPECT_EQ(one->skippedByLog, (std::map<Text, uint64_t>{{u"Setup", otherLogs}}));
    std::map<Text, std::map<Text, int32_t>> got;
    for (const auto& [computer, catalogue] : one->catalogues) {
        auto& counts = got[computer];
        for (const auto& [key, e] : catalogue->entries)
            counts[key] = e.ErrorCount;
    }
    EXPECT_EQ(got, errors);

    // A window of four chunks per thread over thirty chunks: the order of merging must not
    // depend on which thread decoded what.
    for (int threads : {2, 3, 16}) {
        const auto many = Split(log, threads);
        ASSERT_TRUE(many);
        EXPECT_EQ(Summarize(*many), Summarize(*one)) << threads << " threads";
    }
}

TEST_F(ForwardedEventsTest, ACutOrDamagedFileGivesTheRecordsOfItsIntactChunks) {
    const auto log = Log();
    const size_t chunks = (log.size() - evtxwriter::kFileHeaderBlock) / evtxwriter::kChunkSize;
    ASSERT_EQ(chunks, kRecords / kPerChunk);
    for (size_t cut = 0; cut <= log.size(); cut += 15877) {
        const auto split = Split({log.begin(), log.begin() + static_cast<ptrdiff_t>(cut)}, 2);
        ASSERT_TRUE(split);
        const size_t whole = cut < evtxwriter::kFileHeaderBlock
                                 ? 0
                                 : (cut - evtxwriter::kFileHeaderBlock) / evtxwriter::kChunkSize;
        EXPECT_GE(split->records, whole * kPerChunk) << "cut at " << cut;
        EXPECT_LE(split->records, std::min<uint64_t>((whole + 1) * kPerChunk, kRecords));
    }
    // Damage anywhere costs at most the chunk it falls into.
    for (size_t at = 0; at + 16 <= log.size(); at += 12289) {
        auto damaged = log;
        std::fill_n(damaged.begin() + static_cast<ptrdiff_t>(at), 16, 0xFF);
        const auto split = Split(damaged, 2);
        ASSERT_TRUE(split);
        EXPECT_GE(split->records, kRecords - kPerChunk) << "damage at " << at;
        EXPECT_LE(split->records, kRecords);
        EXPECT_LE(split->damagedChunks, 1u);
    }
    Machine ports;
    ports.clock = &clock_;
    EXPECT_FALSE(SplitForwardedEvents(tree_.root() / "missing.evtx", ports, 1));
}

}  // namespace
}  // namespace veltrano::testing
