// An .evtx file read through the files port a few chunks at a time, newest records first, so
// that memory stays flat however large the log is.
//
// Opening reads the file header and every chunk's header (512 bytes each; a small file is read
// whole instead, once), and orders the chunks
// by the record numbers their headers name. Chunks whose numbers overlap (a stale copy of a
// record, a chunk that wraps) form one group, decoded and sorted together; in a log as the
// service writes it every group is one chunk. Groups are decoded by worker threads in a bounded
// window and handed on newest first; blocks without a chunk header come last, to count their
// damage. The file is opened once, and each block read once per pass.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/offline/eventlog/evtx_event.h"
#include "platform/offline/eventlog/evtx_file.h"

namespace veltrano::eventlog {

// The decoded records of one group of chunks.
struct EvtxGroup {
    std::vector<EvtxEventFields> events;  // in file order
    uint32_t undecoded = 0;               // records whose binary XML did not read
    EvtxDamage damage;
    uint64_t firstNumber = 0;  // the record numbers the group's chunk headers name
    uint64_t lastNumber = 0;
};

class EvtxStream {
  public:
    // threads: decoders at once (1: the caller decodes). Null when the file cannot be opened.
    static std::unique_ptr<EvtxStream> Open(FileSystem& files, TextView path, int threads = 1);
    ~EvtxStream();
    EvtxStream(const EvtxStream&) = delete;
    EvtxStream& operator=(const EvtxStream&) = delete;

    uint64_t FileSize() const { return size_; }
    // Whether the file starts with the .evtx signature.
    bool Signed() const { return signed_; }
    // Shorter than the framing says: a 4096-byte header, then whole 64 KiB chunks.
    bool Truncated() const;

    // The next group, newest first; false after the last.
    bool Next(EvtxGroup& group);
    // Gives back a group's records once they are done with, so that later groups reuse their
    // room (their texts' buffers) instead of allocating it again.
    void Recycle(std::vector<EvtxEventFields> events);
    // The group whose chunk headers name a record number, decoded on its own (for a lookup
    // outside a pass); nullopt when no chunk names it.
    std::optional<EvtxGroup> GroupHolding(uint64_t number);

    struct Group {
        uint64_t first = 0;
        uint64_t last = 0;
        std::vector<uint64_t> offsets;  // of its blocks, in file order
        bool headed = true;             // false: a block without a chunk header, for its damage
    };

  private:
    class Decoders;
    EvtxStream(std::unique_ptr<ReadableFile> file, uint64_t size, int threads);
    void ReadDirectory();
    bool ReadBlock(uint64_t offset, size_t size, std::vector<uint8_t>& out);
    void Decode(const Group& group, EvtxEventReader& reader, EvtxGroup& out);

    std::unique_ptr<ReadableFile> file_;
    std::mutex fileMutex_;        // one position for every reader
    std::vector<uint8_t> whole_;  // a small file, read at opening
    uint64_t size_ = 0;
    bool signed_ = false;
    bool noChecksums_ = false;
    int threads_ = 1;
    std::vector<Group> groups_;  // newest first
    size_t next_ = 0;
    std::unique_ptr<Decoders> decoders_;
    std::mutex spareMutex_;
    std::vector<std::vector<EvtxEventFields>> spare_;  // records' room given back
    EvtxEventReader reader_;  // the caller's, when it decodes
};

}  // namespace veltrano::eventlog
