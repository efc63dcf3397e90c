// The framing of a Windows XML Event Log file (.evtx): a 4096-byte file header, then chunks of
// 64 KiB ("ElfChnk"), each with a 512-byte header (checksums, record ranges, string and template
// tables) followed by event records ("**" signature, size, identifier, written time, binary XML,
// size again).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "base/filetime.h"
#include "platform/offline/eventlog/byte_cursor.h"

namespace veltrano::eventlog {

constexpr size_t kEvtxFileHeaderBlock = 4096;
constexpr size_t kEvtxChunkSize = 65536;
constexpr size_t kEvtxChunkHeaderSize = 512;
constexpr size_t kEvtxRecordHeaderSize = 24;
// Smallest record: header, a fragment header and the size copy.
constexpr size_t kEvtxMinRecordSize = kEvtxRecordHeaderSize + 4 + 4;

// One event record inside its chunk.
struct EvtxRecord {
    Bytes chunk;          // the whole chunk: names and templates are chunk offsets
    uint32_t offset = 0;  // of the record in the chunk
    uint32_t size = 0;
    uint64_t id = 0;
    FileTime written = 0;
    size_t BinXmlBegin() const { return offset + kEvtxRecordHeaderSize; }
    size_t BinXmlEnd() const { return offset + size - 4; }
};

// Calls visit for every intact record of the file, chunk by chunk in file order.
//
// What counts as damage: a chunk without its signature, with a header checksum that does not
// match or with a free-space offset outside the chunk is skipped whole; a record whose signature,
// size or size copy does not hold is skipped and the walk searches on for the next record
// signature. Records found that way must carry an identifier inside the chunk header's range.
// Checksums that are zero, or that the file or chunk header flags as not kept, are not checked.
// The chunk data checksum is not used to reject records: logs copied from a live system carry a
// stale one for the chunk being written, and every record is checked on its own instead. The
// file header's chunk count is not trusted either (live copies understate it): every 64 KiB
// block after the header is looked at, and a last chunk cut short gives the records it holds.
// The damage the walk stepped over: chunks skipped whole (blocks never written, all zeros, are no
// damage), and runs of bytes inside chunks where no record held.
struct EvtxDamage {
    uint32_t chunks = 0;
    uint32_t records = 0;
};
void ForEachEvtxRecord(Bytes file, const std::function<void(const EvtxRecord&)>& visit,
                       EvtxDamage* damage = nullptr);

// The same walk over one chunk (kEvtxChunkSize bytes, or fewer for a last chunk cut short), for
// readers that take a file chunk by chunk. fileKeepsNoChecksums comes from the file header.
void ForEachEvtxChunkRecord(Bytes chunk, bool fileKeepsNoChecksums,
                            const std::function<void(const EvtxRecord&)>& visit,
                            EvtxDamage* damage = nullptr);
// Whether a chunk's header (its first kEvtxChunkHeaderSize bytes, or the whole chunk) holds: the
// signature, the header checksum where kept, a free-space offset inside the chunk. A chunk whose
// header does not hold is skipped whole.
bool EvtxChunkHeaderHolds(Bytes chunk, bool fileKeepsNoChecksums);
// Whether a file starts with the .evtx file header's signature ("ElfFile").
bool HasEvtxFileSignature(Bytes file);
// Whether a file header (its first kEvtxFileHeaderBlock bytes) says that no checksums are kept.
bool EvtxFileKeepsNoChecksums(Bytes fileHeader);

// The record numbers a chunk header says the chunk holds; nullopt without the chunk signature.
struct EvtxChunkRange {
    uint64_t first = 0;
    uint64_t last = 0;
};
std::optional<EvtxChunkRange> EvtxChunkRecordRange(Bytes chunkHeader);

}  // namespace veltrano::eventlog
