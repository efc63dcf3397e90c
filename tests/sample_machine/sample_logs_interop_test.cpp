// The sample's event logs as an independent reader, python-evtx, decodes them: every event the
// builder wrote, with its number, time, level, identifier, qualifiers, provider, source name,
// computer and insertion strings.
#include <gtest/gtest.h>

#include "peer_records.h"
#include "sample_machine/sample_writer.h"
#include "support/temp_tree.h"

namespace veltrano::sample {
namespace {

TEST(SampleLogsInterop, PythonEvtxReadsEveryEventOfTheDescription) {
    if (const auto why = testing::PeerUnavailableReason("evtx"); !why.empty())
        GTEST_SKIP() << why;
    testing::TempTree tree;
    const SampleMachine m = DescribeSampleMachine(134168400000000000);
    WriteSampleMachine(m, tree.root(), {});
    for (const TextView log : {TextView(u"Application"), TextView(u"System")}) {
        SCOPED_TRACE(Utf16ToUtf8(log));
        const auto events = SampleLogEvents(m, log);
        const auto peer = testing::PeerRecords(
            "evtx",
            HostPath(tree.root(), u"Windows\\System32\\winevt\\Logs\\" + Text(log) + u".evtx"),
            false);
        ASSERT_TRUE(peer);
        ASSERT_EQ(peer->size(), events.size());
        size_t errors = 0;
        for (const testing::PeerRecord& p : *peer) {
            SCOPED_TRACE("record " + std::to_string(p.id));
            testing::ExpectWrittenEvent(p, events.at(p.id - 1));
            errors += p.level <= 2;
        }
        EXPECT_GT(errors, 10u);
    }
}

}  // namespace
}  // namespace veltrano::sample
