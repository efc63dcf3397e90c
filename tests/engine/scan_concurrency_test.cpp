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

TEST(ScanConcurrency, ReaderUnderTheLockSeesConsistentStatesWhileTheWorkerWrites) {
    testing::EngineMachine m;
    for (const Text log : {u"Application", u"System"}) {
        auto& script = m.logs.Log(log);
        for (int i = 0; i < 400; ++i) {
            script.records.push_back(
                BuildRecord(m.Record(600 * i, u"Src" + DecimalText(i % 37), 7, {Text(300, u'x')})));
        }
        script.onRead = [] { std::this_thread::yield(); };
    }
    std::atomic<bool> done{false};
    std::thread worker([&] {
        ScanWorker(m.catalogue, m.machine);
        done = true;
    });
    size_t reads = 0;
    while (!done) {
        std::lock_guard lock(CatalogueLock);
        FileTime previous = ~FileTime{0};
        for (const auto& [time, key] : m.catalogue.RecencyIndex) {
            const ErrorEntry* entry = m.catalogue.Find(key);
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->LastErrorDateTime, time);
            EXPECT_LE(time, previous);
            previous = time;
            reads += entry->ErrorSummary.size() + entry->OccurrenceTimes.size();
        }
        EXPECT_EQ(m.catalogue.RecencyIndex.size(), m.catalogue.entries.size());
    }
    worker.join();
    EXPECT_EQ(m.catalogue.entries.size(), 37u);
    EXPECT_EQ(m.sink.Messages().back().id, WM_SCAN_DONE);
    (void)reads;
}

}  // namespace
}  // namespace veltrano
