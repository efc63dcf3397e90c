#include "engine/event_log_reader.h"

#include <gtest/gtest.h>

#include "engine/scan.h"
#include "engine/scan_messages.h"
#include "support/engine_machine.h"

namespace veltrano {
namespace {
using testing::BuildRecord;
using testing::EngineMachine;

constexpr int64_t kDay = 86400;

class EventLogReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m.logs.Log(u"Application");
        m.logs.Log(u"System");
    }
    // Appends n error records (newest first) of one source to a log, each `step` seconds older.
    void Fill(const Text& log, int n, int64_t startAgo, int64_t step, const Text& source = u"Svc",
              size_t padding = 0) {
        for (int i = 0; i < n; ++i) {
            auto fields = m.Record(startAgo + i * step, source, 7, {Text(padding, u'p')});
            m.logs.Log(log).records.push_back(BuildRecord(fields));
        }
    }
    std::vector<uint32_t> Ids() {
        std::vector<uint32_t> ids;
        for (const auto& msg : m.sink.Messages())
            ids.push_back(msg.id);
        return ids;
    }
    int Run() { return ReadEventLogs(m.catalogue, m.machine); }

    EngineMachine m;
};

TEST_F(EventLogReaderTest, BothLogsEmptyPostOnlyTheFinalText) {
    EXPECT_EQ(Run(), 0);
    const auto messages = m.sink.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, WM_SCAN_PROGRESS);
    EXPECT_EQ(messages[0].text, u"0 errors found, occurred in the last 0 days");
    EXPECT_EQ(m.clock.sleeps, std::vector<uint32_t>{2000});
    EXPECT_EQ(m.logs.Log(u"Application").reads, 1);  // phase 3 skipped: exhausted in phase 1
}

TEST_F(EventLogReaderTest, PhaseOneStopsAfterTheBufferWithAnOldError) {
    // Each record ~1 KiB: 16 per buffer. The 10th record is older than a week.
    Fill(u"Application", 60, kDay, kDay, u"App", 500);
    Fill(u"System", 3, 60, 60);
    std::string order;
    m.logs.Log(u"Application").onRead = [&] { order += 'A'; };
    m.logs.Log(u"System").onRead = [&] { order += 'S'; };
    EXPECT_EQ(Run(), 0);
    // One Application buffer, the System log to its end, then the rest of the Application log.
    EXPECT_EQ(order.substr(0, 4), "ASSA");
    EXPECT_EQ(m.catalogue.Find(u"App_7")->ErrorCount, 60);
    EXPECT_EQ(m.catalogue.Find(u"Svc_7")->ErrorCount, 3);
    // The System log's recent errors became the oldest time seen: no first-week notice.
    EXPECT_EQ(Ids(), std::vector<uint32_t>{WM_SCAN_PROGRESS});
}

TEST_F(EventLogReaderTest, SystemWithoutErrorsStillPostsTheFirstWeekNotice) {
    Fill(u"Application", 2, 10 * kDay, kDay);
    m.logs.Log(u"System").records.push_back(
        BuildRecord(m.Record(60, u"Info", 1, {}, /*information*/ 4)));
    Run();
    EXPECT_EQ(Ids(), (std::vector<uint32_t>{WM_SCAN_FIRST_WEEK, WM_SCAN_PROGRESS}));
    EXPECT_EQ(m.catalogue.FirstWeekPosted, 1);
}

TEST_F(EventLogReaderTest, NoFirstWeekNoticeWhileEverythingIsRecent) {
    Fill(u"Application", 3, 60, 60);
    Fill(u"System", 3, 60, 60);
    Run();
    EXPECT_EQ(Ids(), std::vector<uint32_t>{WM_SCAN_PROGRESS});
}

TEST_F(EventLogReaderTest, ProgressEveryTwentyBuffersWithDaysAndDistinctCounts) {
    // 45 buffers of System records, one per buffer (each record nearly 16 KiB).
    m.catalogue.MaxAgeDays = 3;
    for (int i = 0; i < 45; ++i) {
        auto fields = m.Record(kDay * (i + 1), u"Src" + DecimalText(i % 5), 7, {Text(7000, u'x')});
        m.logs.Log(u"System").records.push_back(BuildRecord(fields));
    }
    Run();
    const auto messages = m.sink.Messages();
    std::vector<Text> progress;
    for (const auto& msg : messages) {
        if (msg.id == WM_SCAN_PROGRESS)
            progress.push_back(msg.text);
    }
    ASSERT_EQ(progress.size(), 3u);
    EXPECT_EQ(progress[0], u"5 errors found, occurred in the last 20 days");
    EXPECT_EQ(progress[1], u"5 errors found, occurred in the last 40 days");
    EXPECT_EQ(progress[2], u"5 errors found, occurred in the last 40 days");
    EXPECT_EQ(m.catalogue.MaxAgeDays, 40);
    EXPECT_EQ(m.catalogue.TotalErrors, 5);
}

TEST_F(EventLogReaderTest, FewerThanTwentyBuffersKeepTheArchiveDays) {
    m.catalogue.MaxAgeDays = 12;
    Fill(u"System", 5, 100 * kDay, kDay);
    Run();
    ASSERT_EQ(Ids().back(), WM_SCAN_PROGRESS);
    EXPECT_EQ(m.sink.Messages().back().text, u"1 errors found, occurred in the last 12 days");
}

TEST_F(EventLogReaderTest, ARecordLargerThanTheBufferGrowsItAndIsNotLost) {
    Fill(u"Application", 1, 60, 60, u"Small");
    m.logs.Log(u"Application")
        .records.push_back(BuildRecord(m.Record(120, u"Huge", 7, {Text(20000, u'h')})));
    Fill(u"Application", 1, 180, 60, u"After");
    Run();
    EXPECT_NE(m.catalogue.Find(u"Huge_7"), nullptr);
    EXPECT_NE(m.catalogue.Find(u"After_7"), nullptr);
    EXPECT_EQ(m.catalogue.Find(u"Huge_7")->ErrorTextParams, u"");  // no message file
}

TEST_F(EventLogReaderTest, OpenFailuresEndWithoutMessages) {
    m.logs.Log(u"System").refuseOpen = true;
    EXPECT_EQ(Run(), -1);
    EXPECT_TRUE(m.sink.Messages().empty());
    m.logs.Log(u"System").refuseOpen = false;
    m.logs.Log(u"Application").refuseOpen = true;
    EXPECT_EQ(Run(), -1);
    EXPECT_TRUE(m.sink.Messages().empty());
    EXPECT_EQ(m.catalogue.TotalErrors, 0);
}

TEST_F(EventLogReaderTest, ReadErrorsInPhasesOneAndTwoEndSilently) {
    Fill(u"Application", 1, 60, 60);
    m.logs.Log(u"Application").failOnRead = 0;
    EXPECT_EQ(Run(), -1);
    EXPECT_TRUE(m.sink.Messages().empty());

    EngineMachine other;
    other.logs.Log(u"Application");
    other.logs.Log(u"System").failOnRead = 0;
    EXPECT_EQ(ReadEventLogs(other.catalogue, other.machine), -1);
    EXPECT_TRUE(other.sink.Messages().empty());
}

TEST_F(EventLogReaderTest, ReadErrorInPhaseThreeStillPostsTheFinalText) {
    Fill(u"Application", 40, 10 * kDay, kDay, u"App", 500);  // phase 1 stops after one buffer
    m.logs.Log(u"Application").failOnRead = 1;
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(Ids().back(), WM_SCAN_PROGRESS);
    EXPECT_EQ(m.clock.sleeps.size(), 1u);
}

// A heap that refuses one allocation (0-based) and gives every other.
class RefusingMemory : public Memory {
  public:
    explicit RefusingMemory(int refused) : refused_(refused) {}
    std::unique_ptr<uint8_t[]> Allocate(size_t size) override {
        sizes.push_back(size);
        if (static_cast<int>(sizes.size()) - 1 == refused_)
            return nullptr;
        return std::make_unique<uint8_t[]>(size);
    }
    std::vector<size_t> sizes;

  private:
    int refused_;
};

TEST_F(EventLogReaderTest, NoFirstBufferClosesBothLogsAndTheScanStillEnds) {
    Fill(u"Application", 3, 60, 60);
    RefusingMemory memory(0);
    m.machine.memory = &memory;
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(memory.sizes, std::vector<size_t>{kInitialReadBuffer});
    EXPECT_EQ(m.logs.Log(u"Application").closes, 1);
    EXPECT_EQ(m.logs.Log(u"System").closes, 1);
    EXPECT_EQ(m.logs.Log(u"Application").reads, 0);
    EXPECT_TRUE(m.sink.Messages().empty());

    // The scan around it gets nothing from the logs but still says it is done.
    RefusingMemory again(0);
    m.machine.memory = &again;
    EXPECT_EQ(ScanWorker(m.catalogue, m.machine), 0);
    EXPECT_EQ(Ids(), std::vector<uint32_t>{WM_SCAN_DONE});
    EXPECT_EQ(m.logs.Log(u"Application").closes, 2);
    EXPECT_EQ(m.logs.Log(u"System").closes, 2);
    EXPECT_EQ(m.catalogue.TotalErrors, 0);
}

TEST_F(EventLogReaderTest, RefusedGrowthFailsPhaseOneSilentlyButOnlyEndsPhaseThree) {
    auto huge = [](EngineMachine& on, int64_t ago) {
        return BuildRecord(on.Record(ago, u"Huge", 7, {Text(20000, u'h')}));
    };
    m.logs.Log(u"Application").records.push_back(huge(m, 60));
    RefusingMemory memory(1);
    m.machine.memory = &memory;
    EXPECT_EQ(Run(), -1);
    EXPECT_TRUE(m.sink.Messages().empty());
    EXPECT_EQ(m.logs.Log(u"System").closes, 1);

    // Phase 1 ends on an old error; the huge record waits in the rest of the Application log.
    EngineMachine later;
    later.logs.Log(u"System");
    auto& application = later.logs.Log(u"Application").records;
    application.push_back(BuildRecord(later.Record(10 * kDay, u"Old", 7)));
    application.push_back(huge(later, 11 * kDay));
    RefusingMemory laterMemory(1);
    later.machine.memory = &laterMemory;
    EXPECT_EQ(ReadEventLogs(later.catalogue, later.machine), -1);
    ASSERT_EQ(later.sink.Messages().size(), 1u);
    EXPECT_EQ(later.sink.Messages()[0].id, WM_SCAN_PROGRESS);
    EXPECT_NE(later.catalogue.Find(u"Old_7"), nullptr);
    EXPECT_EQ(later.catalogue.Find(u"Huge_7"), nullptr);
    ASSERT_EQ(laterMemory.sizes.size(), 2u);
    EXPECT_GT(laterMemory.sizes[1], kInitialReadBuffer);
}

TEST_F(EventLogReaderTest, AGrowthDemandThatDoesNotGrowIsAFailureNotALoop) {
    class Stubborn : public EventLogService {
      public:
        std::unique_ptr<EventLog> Open(TextView) override {
            struct Log : EventLog {
                EventLogRead ReadBackwards(uint8_t*, uint32_t size) override {
                    return {false, 0, kErrorInsufficientBuffer, size};
                }
            };
            return std::make_unique<Log>();
        }
    } stubborn;
    m.machine.eventLogs = &stubborn;
    EXPECT_EQ(Run(), -1);
}

TEST_F(EventLogReaderTest, ProgressTextsToAVanishedWindowAreFreed) {
    m.sink.refuse = true;  // the window is gone: PostMessage fails
    for (int i = 0; i < 25; ++i) {
        m.logs.Log(u"System").records.push_back(
            BuildRecord(m.Record(kDay * (i + 1), u"S", 7, {Text(7000, u'x')})));
    }
    EXPECT_EQ(Run(), 0);  // LeakSanitizer reports the texts if they were dropped unfreed
}

}  // namespace
}  // namespace veltrano
