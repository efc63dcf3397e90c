// The classic log file writer. Like the service, it never splits the fixed part of an event
// record: when less than that is left before the end of the file, the rest is filled with
// 0x00000027 and the record starts right after the header. The end-of-file record may be split.
#include "writers/evt/evt_log_writer.h"

#include <stdexcept>

#include "base/byte_store.h"
#include "platform/offline/eventlog/classic_record.h"
#include "platform/offline/eventlog/evt_file.h"

namespace veltrano::evtwriter {
namespace {

constexpr uint32_t kSignature = eventlog::kRecordSignatureValue;  // the file's is the records'
constexpr uint32_t kFixedPart = eventlog::kRecordFixedSize;
constexpr uint32_t kEofSize = eventlog::kEvtEofRecordSize;
constexpr uint32_t kPadding = 0x00000027;
constexpr uint32_t kFlagDirty = 1;
constexpr uint32_t kFlagWrapped = 2;

class RingWriter {
  public:
    explicit RingWriter(std::vector<uint8_t>& file, uint32_t start)
        : file_(file),
          pos_(start),
          ringSize_(static_cast<uint32_t>(file.size()) - kEvtHeaderSize) {}

    uint32_t position() const { return pos_; }
    bool wrapped() const { return wrapped_; }

    // Writes a block (an event record, or the end-of-file record, which may be split anywhere)
    // at the current position.
    void Write(const std::vector<uint8_t>& block, bool isEventRecord) {
        used_ += block.size();
        if (used_ > ringSize_)
            throw std::length_error("the records do not fit the log file");
        const uint32_t left = static_cast<uint32_t>(file_.size()) - pos_;
        if (isEventRecord && left < kFixedPart) {
            for (uint32_t at = pos_; at + 4 <= file_.size(); at += 4)
                Put32(at, kPadding);
            used_ += left;
            pos_ = kEvtHeaderSize;
            wrapped_ = true;
        }
        const uint32_t start = pos_;
        for (uint8_t b : block) {
            file_[pos_++] = b;
            if (pos_ == file_.size()) {
                pos_ = kEvtHeaderSize;
                wrapped_ = true;
            }
        }
        lastStart_ = start;
    }
    uint32_t lastStart() const { return lastStart_; }

    void Put32(size_t at, uint32_t v) { StoreLe32(file_, at, v); }

  private:
    std::vector<uint8_t>& file_;
    uint32_t pos_;
    uint32_t ringSize_;
    size_t used_ = 0;
    bool wrapped_ = false;
    uint32_t lastStart_ = 0;
};

std::vector<uint8_t> RecordBytes(const EvtEvent& e) {
    const Text strings = eventlog::JoinInsertionStrings(e.strings);
    eventlog::ClassicEvent c;
    c.recordNumber = e.recordNumber;
    c.timeGenerated = e.timeGenerated;
    c.timeWritten = e.timeWritten;
    c.eventId = e.eventId;
    c.eventType = e.eventType;
    c.category = e.category;
    c.sourceName = e.source;
    c.computerName = e.computer;
    c.strings = strings;
    c.numStrings = static_cast<uint16_t>(e.strings.size());
    c.userSid = e.userSid;
    c.data = e.data;
    std::vector<uint8_t> bytes;
    eventlog::AppendClassicRecord(bytes, c);
    return bytes;
}

std::vector<uint8_t> EofRecord(uint32_t oldest, uint32_t end, uint32_t next,
                               uint32_t oldestNumber) {
    std::vector<uint8_t> b(kEofSize);
    const uint32_t fields[10] = {kEofSize, 0x11111111, 0x22222222, 0x33333333,   0x44444444,
                                 oldest,   end,        next,       oldestNumber, kEofSize};
    for (int f = 0; f < 10; ++f)
        StoreLe32(b, 4 * f, fields[f]);
    return b;
}

}  // namespace

std::vector<uint8_t> WriteEvtLog(const std::vector<EvtEvent>& events, const EvtFileOptions& o) {
    if (o.fileSize < kEvtHeaderSize + kFixedPart || o.startOffset < kEvtHeaderSize ||
        o.startOffset >= o.fileSize || o.startOffset % 4 != 0 || o.fileSize % 4 != 0) {
        throw std::length_error("unusable log file size or start offset");
    }
    std::vector<uint8_t> file(o.fileSize, 0);
    RingWriter ring(file, o.startOffset);
    uint32_t oldest = o.startOffset;
    for (size_t i = 0; i < events.size(); ++i) {
        ring.Write(RecordBytes(events[i]), true);
        if (i == 0)
            oldest = ring.lastStart();
    }
    const uint32_t oldestNumber = events.empty() ? 0 : events.front().recordNumber;
    const uint32_t next = events.empty() ? 1 : events.back().recordNumber + 1;
    const uint32_t end = ring.position();
    ring.Write(EofRecord(oldest, end, next, oldestNumber), false);

    const uint32_t flags = (ring.wrapped() ? kFlagWrapped : 0) | (o.dirty ? kFlagDirty : 0);
    const uint32_t header[12] = {kEvtHeaderSize, kSignature, 1,     1, oldest,        end, next,
                                 oldestNumber,   o.fileSize, flags, 0, kEvtHeaderSize};
    for (size_t f = 0; f < 12; ++f)
        ring.Put32(4 * f, header[f]);
    return file;
}

}  // namespace veltrano::evtwriter
