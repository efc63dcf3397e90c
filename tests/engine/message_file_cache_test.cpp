// The message modules a fill keeps: each log's own file for a source, each source its own, and
// nothing carried from one fill to the next.
#include "engine/message_file_cache.h"

#include <gtest/gtest.h>

#include "engine/catalogue_fill.h"
#include "support/engine_machine.h"

namespace veltrano {
namespace {
using testing::BuildRecord;
using testing::EngineMachine;

class MessageFileCacheTest : public ::testing::Test {
  protected:
    void Add(CatalogueFill& fill, const testing::RecordFields& fields, TextView log) {
        const auto bytes = BuildRecord(fields);
        fill.AddBuffer(bytes.data(), static_cast<uint32_t>(bytes.size()), log);
    }
    std::optional<Text> TextOf(const Text& key) {
        const ErrorEntry* e = m.catalogue.Find(key);
        EXPECT_NE(e, nullptr) << Utf16ToUtf8(key);
        return e != nullptr ? e->ErrorText : std::nullopt;
    }

    EngineMachine m;
};

TEST_F(MessageFileCacheTest, OneSourceNameInTwoLogsKeepsEachLogsFile) {
    m.RegisterSource(u"Application", u"Svc", u"C:\\app.dll",
                     {{7, u"Application file, 7"}, {8, u"Application file, 8"}});
    m.RegisterSource(u"System", u"Svc", u"C:\\sys.dll", {{8, u"System file, 8"}});
    CatalogueFill fill(m.catalogue, m.machine);
    Add(fill, m.Record(10, u"Svc", 7), u"Application");
    Add(fill, m.Record(20, u"Svc", 8), u"System");
    EXPECT_EQ(TextOf(u"Svc_7"), u"Application file, 7");
    EXPECT_EQ(TextOf(u"Svc_8"), u"System file, 8");
}

TEST_F(MessageFileCacheTest, SourcesOfOneLogKeepTheirOwnFilesAndEachIsLoadedOnce) {
    m.RegisterSource(u"System", u"A", u"C:\\a.dll", {{1, u"A one"}, {2, u"A two"}});
    m.RegisterSource(u"System", u"B", u"C:\\b.dll", {{1, u"B one"}});
    const int before = m.messages.loads;
    CatalogueFill fill(m.catalogue, m.machine);
    for (const auto& [source, id] : {std::pair{u"A", 1u}, {u"B", 1u}, {u"A", 2u}, {u"B", 1u}})
        Add(fill, m.Record(10, source, id), u"System");
    EXPECT_EQ(TextOf(u"A_1"), u"A one");
    EXPECT_EQ(TextOf(u"B_1"), u"B one");
    EXPECT_EQ(TextOf(u"A_2"), u"A two");
    EXPECT_EQ(m.messages.loads - before, 2);
}

TEST_F(MessageFileCacheTest, ASourceWithoutAFileInOneLogStillHasItsFileInTheOther) {
    m.RegisterSource(u"System", u"Svc", u"C:\\sys.dll", {{3, u"System file, 3"}, {4, u"System file, 4"}});
    CatalogueFill fill(m.catalogue, m.machine);
    Add(fill, m.Record(10, u"Svc", 3), u"Application");
    EXPECT_EQ(TextOf(u"Svc_3"), std::nullopt);
    Add(fill, m.Record(20, u"Svc", 4), u"System");
    EXPECT_EQ(TextOf(u"Svc_4"), u"System file, 4");
}

TEST_F(MessageFileCacheTest, ANewFillReadsTheRegistryAgain) {
    m.RegisterSource(u"System", u"Svc", u"C:\\old.dll", {{5, u"Old file"}});
    {
        CatalogueFill fill(m.catalogue, m.machine);
        Add(fill, m.Record(10, u"Svc", 5), u"System");
    }
    EXPECT_EQ(TextOf(u"Svc_5"), u"Old file");
    m.RegisterSource(u"System", u"Svc", u"C:\\new.dll", {{5, u"New file"}});
    PrepareCatalogue(m.catalogue, m.clock);
    CatalogueFill fill(m.catalogue, m.machine);
    Add(fill, m.Record(10, u"Svc", 5), u"System");
    EXPECT_EQ(TextOf(u"Svc_5"), u"New file");
}

TEST(MessageFileCache, AMachineWithoutMessageTablesHasNoModules) {
    EngineMachine m;
    m.machine.messages = nullptr;
    MessageFileCache cache;
    EXPECT_EQ(cache.Module(m.machine, u"Application", u"Application Error"), nullptr);
    m.machine.messages = &m.messages;
    MessageFileCache fresh;
    EXPECT_NE(fresh.Module(m.machine, u"Application", u"Application Error"), nullptr);
}

}  // namespace
}  // namespace veltrano
