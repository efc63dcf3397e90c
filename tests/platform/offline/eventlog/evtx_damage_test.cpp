// Damaged .evtx files: what is damaged is left out, everything else still comes out, nothing is
// read out of bounds and nothing loops.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "base/byte_store.h"
#include "base/crc32.h"
#include "platform/offline/eventlog/binxml.h"
#include "platform/offline/eventlog/event_log_fixtures.h"
#include "writers/evtx/evtx_file_writer.h"

namespace veltrano::eventlog {
namespace {
using evtxwriter::kChunkHeaderSize;
using evtxwriter::kChunkSize;
using evtxwriter::kFileHeaderBlock;

constexpr size_t kRecordsPerChunk = 30;
constexpr size_t kChunks = 4;

size_t ChunkStart(size_t chunk) {
    return kFileHeaderBlock + chunk * kChunkSize;
}

// Sets a chunk's header checksum to match its (changed) header.
void Reseal(std::vector<uint8_t>& file, size_t chunk) {
    uint8_t* c = file.data() + ChunkStart(chunk);
    const uint32_t crc = Crc32(c + 128, kChunkHeaderSize - 128, Crc32(c, 120));
    StoreLe32(file, ChunkStart(chunk) + 124, crc);
}

class EvtxDamageTest : public ::testing::Test {
  protected:
    EvtxDamageTest()
        : file_(evtxwriter::WriteEvtxLog(testing::NumberedEvents(1, kRecordsPerChunk * kChunks),
                                         u"Application", {.recordsPerChunk = kRecordsPerChunk})) {
        for (const auto& e : testing::ReadEvents(file_))
            good_[e.recordId] = e.StringList();
        ForEachEvtxRecord(file_, [&](const EvtxRecord& r) {
            offsets_[r.id] = static_cast<size_t>(r.chunk.data() - file_.data()) + r.offset;
        });
    }

    // The records read from a (damaged) file; each must be one of the originals, unchanged.
    std::map<uint64_t, std::vector<Text>> Read(const std::vector<uint8_t>& file) {
        std::map<uint64_t, std::vector<Text>> read;
        for (const auto& e : testing::ReadEvents(file)) {
            EXPECT_FALSE(read.count(e.recordId)) << e.recordId;
            read[e.recordId] = e.StringList();
        }
        return read;
    }
    static uint64_t FirstOf(size_t chunk) { return chunk * kRecordsPerChunk + 1; }
    // Expects the records of the chunk to be there, unchanged.
    void ExpectChunk(const std::map<uint64_t, std::vector<Text>>& read, size_t chunk) {
        for (uint64_t id = FirstOf(chunk); id < FirstOf(chunk + 1); ++id) {
            ASSERT_TRUE(read.count(id)) << "record " << id << " of chunk " << chunk;
            EXPECT_EQ(read.at(id), good_.at(id));
        }
    }
    size_t RecordOffset(uint64_t id) const { return offsets_.at(id); }

    std::vector<uint8_t> file_;
    std::map<uint64_t, std::vector<Text>> good_;
    std::map<uint64_t, size_t> offsets_;  // of every record in the file
};

TEST_F(EvtxDamageTest, TheUndamagedFileGivesEveryRecord) {
    ASSERT_EQ(file_.size(), kFileHeaderBlock + kChunks * kChunkSize);
    ASSERT_EQ(good_.size(), kRecordsPerChunk * kChunks);
}

TEST_F(EvtxDamageTest, ATruncatedFileGivesTheRecordsBeforeTheCut) {
    for (size_t cut = 0; cut <= file_.size(); cut += 1531) {
        SCOPED_TRACE(cut);
        const std::vector<uint8_t> part(file_.begin(), file_.begin() + static_cast<ptrdiff_t>(cut));
        const auto read = Read(part);
        for (const auto& [id, strings] : read)
            EXPECT_EQ(strings, good_.at(id));
        for (size_t chunk = 0; chunk < kChunks && ChunkStart(chunk + 1) <= cut; ++chunk) {
            ExpectChunk(read, chunk);
        }
        // Every record that lies wholly before the cut is there.
        for (const auto& [id, strings] : good_) {
            const size_t at = RecordOffset(id);
            const size_t chunk = (at - kFileHeaderBlock) / kChunkSize;
            if (at + 2048 < cut && ChunkStart(chunk) + kChunkHeaderSize <= cut) {
                EXPECT_TRUE(read.count(id)) << id;
            }
        }
    }
}

TEST_F(EvtxDamageTest, FlippedBytesLoseNothingOutsideTheChunkTheyHit) {
    for (size_t at = 0; at < file_.size(); at += 997) {
        SCOPED_TRACE(at);
        auto damaged = file_;
        damaged[at] ^= 0xFF;
        damaged[at + 1 < damaged.size() ? at + 1 : at] ^= 0x5A;
        const auto read = Read(damaged);
        for (size_t chunk = 0; chunk < kChunks; ++chunk) {
            const bool hit = at >= ChunkStart(chunk) && at < ChunkStart(chunk + 1);
            if (!hit)
                ExpectChunk(read, chunk);
        }
    }
}

TEST_F(EvtxDamageTest, AChunkWithABadHeaderChecksumIsSkippedBetweenGoodOnes) {
    auto damaged = file_;
    damaged[ChunkStart(1) + 124] ^= 1;
    const auto read = Read(damaged);
    ExpectChunk(read, 0);
    ExpectChunk(read, 2);
    ExpectChunk(read, 3);
    for (uint64_t id = FirstOf(1); id < FirstOf(2); ++id)
        EXPECT_FALSE(read.count(id)) << id;
}

TEST_F(EvtxDamageTest, ChecksumsThatAreNotKeptAreNotDamage) {
    auto zeroed = file_;
    zeroed[ChunkStart(1) + 40] = 0x80;  // a changed header that only the checksum would show
    StoreLe32(zeroed, ChunkStart(1) + 124, 0);
    ExpectChunk(Read(zeroed), 1);

    auto unkept = file_;
    unkept[ChunkStart(2) + 124] ^= 1;
    unkept[ChunkStart(2) + 120] |= 0x4;  // the chunk keeps no checksums
    ExpectChunk(Read(unkept), 2);

    auto fileFlag = file_;
    fileFlag[ChunkStart(3) + 124] ^= 1;
    fileFlag[120] |= 0x4;  // the file keeps no checksums
    ExpectChunk(Read(fileFlag), 3);
}

TEST_F(EvtxDamageTest, AStaleDataChecksumLosesNoRecord) {
    // As in the chunk a live system was writing when the log was copied.
    auto stale = file_;
    stale[ChunkStart(2) + 52] ^= 0xFF;
    Reseal(stale, 2);
    EXPECT_EQ(Read(stale), good_);
}

TEST_F(EvtxDamageTest, ADamagedRecordIsSkippedAndTheNextOnesAreFound) {
    for (const uint64_t id : {FirstOf(1), FirstOf(1) + 7, FirstOf(2) - 1}) {
        SCOPED_TRACE(id);
        const size_t at = RecordOffset(id);
        for (const size_t field : {size_t{0}, size_t{4}}) {  // signature, size
            auto damaged = file_;
            StoreLe32(damaged, at + field, 0);
            auto read = Read(damaged);
            EXPECT_FALSE(read.count(id));
            read[id] = good_.at(id);
            EXPECT_EQ(read, good_);
        }
    }
}

TEST_F(EvtxDamageTest, AbsurdSizesAndOffsetsAreRefused) {
    auto freeSpace = file_;
    StoreLe32(freeSpace, ChunkStart(1) + 48, 0x7FFFFFFF);
    Reseal(freeSpace, 1);
    const auto read = Read(freeSpace);
    ExpectChunk(read, 0);
    ExpectChunk(read, 2);

    // Inside a record: the template offset, the value count and a value size.
    const size_t record = RecordOffset(FirstOf(2) + 3);
    for (const size_t field : {size_t{24 + 4 + 6}, size_t{24 + 4 + 10}, size_t{24 + 4 + 14}}) {
        for (const uint32_t value : {0xFFFFFFFFu, 0x7FFFu, 511u}) {
            auto damaged = file_;
            StoreLe32(damaged, record + field, value);
            const auto got = Read(damaged);
            ExpectChunk(got, 0);
            ExpectChunk(got, 1);
            ExpectChunk(got, 3);
        }
    }
}

TEST(EvtxRecordLimitTest, ATemplateRepeatingALargeValueWithoutEndIsRefused) {
    // One 40 KB string, used by every Data element of the template.
    const auto file = [](int uses) {
        auto t = std::make_shared<evtxwriter::EvtxTemplate>();
        t->Open(u"Event").Open(u"EventData");
        for (int i = 0; i < uses; ++i)
            t->Open(u"Data").Substitute(0, 0x01).Close();
        t->Close().Close();
        return evtxwriter::WriteEvtxFile(
            {{1, 0, t, {evtxwriter::EvtxValue::String(Text(20000, u'x'))}}});
    };
    EXPECT_EQ(testing::ReadEvents(file(20)).size(), 1u);
    EXPECT_TRUE(testing::ReadEvents(file(1000)).empty());
}

// A chunk of zeros with binary XML at offset 512: for walks the writer cannot produce.
std::vector<uint8_t> ChunkWith(const std::vector<uint8_t>& binxml) {
    std::vector<uint8_t> chunk(kChunkSize, 0);
    std::copy(binxml.begin(), binxml.end(), chunk.begin() + 512);
    return chunk;
}

class CountingSink : public BinXmlSink {
  public:
    void StartElement(const BinXmlName&) override { ++events; }
    void Attribute(const BinXmlName&) override { ++events; }
    void StartContent() override {}
    void Value(const BinXmlValue&) override { ++events; }
    void MissingOptionalValue() override {}
    void EndElement() override { ++events; }
    size_t events = 0;
};

TEST(BinXmlWalkerTest, TemplatesThatInstantiateThemselvesEnd) {
    // A template at 600 whose body instantiates itself twice: a loop that doubles every level.
    std::vector<uint8_t> b = {0x0F, 1, 1, 0, 0x0C, 1, 0, 0, 0, 0, 0x58, 0x02, 0, 0, 0, 0, 0, 0};
    auto chunk = ChunkWith(b);
    const std::vector<uint8_t> body = {0x0F, 1, 1, 0,                                      //
                                       0x0C, 1, 0, 0, 0, 0, 0x58, 0x02, 0, 0, 0, 0, 0, 0,  //
                                       0x0C, 1, 0, 0, 0, 0, 0x58, 0x02, 0, 0, 0, 0, 0, 0, 0x00};
    chunk[600 + 20] = static_cast<uint8_t>(body.size());
    std::copy(body.begin(), body.end(), chunk.begin() + 624);
    CountingSink sink;
    BinXmlWalker walker;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(walker.Walk(chunk, 512, 512 + b.size(), sink));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(BinXmlWalkerTest, ElementsNestedBeyondAnyEventAreRefused) {
    // <a><a><a>... with the name "a" defined once at offset 512 + 4 + 7.
    std::vector<uint8_t> b = {0x0F, 1, 1, 0};
    for (int depth = 0; depth < 200; ++depth) {
        const uint32_t name = 512 + 4 + 9;
        const size_t here = 512 + b.size();
        b.insert(b.end(), {0x01, 0, 0, 0, 0, static_cast<uint8_t>(name),
                           static_cast<uint8_t>(name >> 8), 0, 0});
        if (depth == 0) {
            EXPECT_EQ(here + 9, name);
            b.insert(b.end(), {0, 0, 0, 0, 0, 0, 1, 0, 'a', 0, 0, 0});
        }
        b.push_back(0x02);
    }
    CountingSink sink;
    BinXmlWalker walker;
    EXPECT_FALSE(walker.Walk(ChunkWith(b), 512, 512 + b.size(), sink));
    EXPECT_GT(sink.events, 10u);
}

}  // namespace
}  // namespace veltrano::eventlog
