// The sample's event logs as an independent reader, python-evtx, decodes them: every record of
// the description with its number, time, level, identifier, qualifiers, provider, source name,
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
        const auto peer = testing::PeerRecords(
            "evtx",
            HostPath(tree.root(), u"Windows\\System32\\winevt\\Logs\\" + Text(log) + u".evtx"),
            false);
        ASSERT_TRUE(peer);
        size_t i = 0;
        for (const SampleEvent& e : m.events) {
            if (e.log != log)
                continue;
            ASSERT_LT(i, peer->size());
            const testing::PeerRecord& p = (*peer)[i++];
            SCOPED_TRACE(i);
            ASSERT_TRUE(p.decoded) << p.error;
            EXPECT_TRUE(p.intact);
            EXPECT_EQ(p.id, i);
            EXPECT_EQ(p.created, e.time);
            EXPECT_EQ(p.level, e.level);
            EXPECT_EQ(p.eventId, e.eventId);
            EXPECT_EQ(p.qualifiers, e.qualifiers.value_or(0));
            EXPECT_EQ(p.provider, e.provider);
            EXPECT_EQ(p.sourceName, e.eventSourceName.value_or(u""));
            EXPECT_EQ(p.computer, m.computer);
            EXPECT_EQ(p.strings, e.strings);
        }
        EXPECT_EQ(i, peer->size());
    }
}

}  // namespace
}  // namespace veltrano::sample
