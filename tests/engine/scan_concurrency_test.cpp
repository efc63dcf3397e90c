// The scan fills the catalogue on a worker while the window's thread reads it under the lock
// (built with ThreadSanitizer in the native-tsan preset).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/scan.h"
#include "engine/scan_messages.h"
#include "support/engine_machine.h"

namespace veltrano {
namespace {
using testing::BuildRecord;

// The worker is held between two reads of a log, after it has merged some records and before it
// has merged them all, until the reader has taken the lock and read the catalogue: so at least one
// read surely sees the catalogue half filled. The reader reads on before and after that, while the
// worker writes; only the lock orders those reads against the writes (ThreadSanitizer's build
// reports them as races without it).
TEST(ScanConcurrency, ReaderUnderTheLockSeesConsistentStatesWhileTheWorkerWrites) {
    constexpr int kRecordsPerLog = 400;
    constexpr int kHoldAtRead = 5;
    testing::EngineMachine m;
    std::atomic<int> logReads{0};
    std::atomic<bool> workerHeld{false};
    std::atomic<bool> readWhileHeld{false};
    for (const Text log : {u"Application", u"System"}) {
        auto& script = m.logs.Log(log);
        for (int i = 0; i < kRecordsPerLog; ++i) {
            script.records.push_back(
                BuildRecord(m.Record(600 * i, u"Src" + DecimalText(i % 37), 7, {Text(300, u'x')})));
        }
        script.onRead = [&] {
            if (++logReads == kHoldAtRead) {
                workerHeld = true;
                while (!readWhileHeld)
                    std::this_thread::yield();
            }
            std::this_thread::yield();
        };
    }
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ScanWorker(m.catalogue, m.machine);
        done = true;
    });
    int64_t occurrencesSeenWhileHeld = -1;
    size_t passes = 0;
    while (!done) {
        const bool held = workerHeld && !readWhileHeld;
        int64_t occurrences = 0;
        {
            std::lock_guard lock(m.catalogue.CatalogueLock);
            FileTime previous = ~FileTime{0};
            for (const auto& [time, key] : m.catalogue.RecencyIndex) {
                const ErrorEntry* entry = m.catalogue.Find(key);
                ASSERT_NE(entry, nullptr);
                EXPECT_EQ(entry->LastErrorDateTime, time);
                EXPECT_LE(time, previous);
                previous = time;
                occurrences += entry->ErrorCount;
            }
            EXPECT_EQ(m.catalogue.RecencyIndex.size(), m.catalogue.entries.size());
        }
        ++passes;
        if (held) {
            occurrencesSeenWhileHeld = occurrences;
            readWhileHeld = true;
        }
    }
    worker.join();
    EXPECT_TRUE(readWhileHeld);
    EXPECT_GT(occurrencesSeenWhileHeld, 0);
    EXPECT_LT(occurrencesSeenWhileHeld, 2 * kRecordsPerLog);
    EXPECT_GT(passes, 1u);
    EXPECT_EQ(m.catalogue.entries.size(), 37u);
    EXPECT_EQ(m.sink.Messages().back().id, WM_SCAN_DONE);
}

}  // namespace
}  // namespace veltrano
