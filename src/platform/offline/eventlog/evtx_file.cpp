// Walking the chunks and records of an .evtx file.
#include "platform/offline/eventlog/evtx_file.h"

#include <algorithm>
#include <cstring>

#include "base/crc32.h"

namespace veltrano::eventlog {
namespace {

constexpr uint8_t kFileSignature[8] = {'E', 'l', 'f', 'F', 'i', 'l', 'e', 0};
constexpr uint8_t kChunkSignature[8] = {'E', 'l', 'f', 'C', 'h', 'n', 'k', 0};
constexpr uint8_t kRecordSignature[4] = {'*', '*', 0, 0};

constexpr size_t kFileFlags = 120;
constexpr size_t kChunkFirstRecordId = 24;
constexpr size_t kChunkLastRecordId = 32;
constexpr size_t kChunkFreeSpaceOffset = 48;
constexpr size_t kChunkFlags = 120;
constexpr size_t kChunkHeaderChecksum = 124;
// The header checksum covers the header without its flags and checksum, and the tables.
constexpr size_t kChunkChecksummedHead = 120;
constexpr size_t kChunkTables = 128;

constexpr uint32_t kFlagNoChecksums = 0x4;

bool HeaderChecksumHolds(Bytes chunk) {
    const uint32_t stored = Le32(chunk.data() + kChunkHeaderChecksum);
    if (stored == 0)
        return true;  // never set
    uint32_t crc = Crc32(chunk.data(), kChunkChecksummedHead);
    crc = Crc32(chunk.data() + kChunkTables, kEvtxChunkHeaderSize - kChunkTables, crc);
    return crc == stored;
}

// The size of an intact record at offset, or 0.
uint32_t RecordAt(Bytes chunk, size_t offset, size_t limit) {
    if (offset > limit || limit - offset < kEvtxMinRecordSize)
        return 0;
    const uint8_t* p = chunk.data() + offset;
    if (std::memcmp(p, kRecordSignature, sizeof kRecordSignature) != 0)
        return 0;
    const uint32_t size = Le32(p + 4);
    if (size < kEvtxMinRecordSize || size > limit - offset)
        return 0;
    if (Le32(p + size - 4) != size)
        return 0;
    return size;
}

// The next offset after from where a record signature starts, or limit.
size_t NextSignature(Bytes chunk, size_t from, size_t limit) {
    const uint8_t* begin = chunk.data();
    const uint8_t* found = std::search(begin + from, begin + limit, std::begin(kRecordSignature),
                                       std::end(kRecordSignature));
    return static_cast<size_t>(found - begin);
}

bool AllZero(Bytes bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

}  // namespace

bool EvtxChunkHeaderHolds(Bytes chunk, bool fileKeepsNoChecksums) {
    if (chunk.size() < kEvtxChunkHeaderSize ||
        std::memcmp(chunk.data(), kChunkSignature, sizeof kChunkSignature) != 0)
        return false;
    const bool checked =
        !fileKeepsNoChecksums && (Le32(chunk.data() + kChunkFlags) & kFlagNoChecksums) == 0;
    if (checked && !HeaderChecksumHolds(chunk))
        return false;
    const uint32_t freeSpace = Le32(chunk.data() + kChunkFreeSpaceOffset);
    return freeSpace >= kEvtxChunkHeaderSize && freeSpace <= kEvtxChunkSize;
}

void ForEachEvtxChunkRecord(Bytes chunk, bool fileKeepsNoChecksums,
                            const std::function<void(const EvtxRecord&)>& visit,
                            EvtxDamage* damage) {
    EvtxDamage ignored;
    EvtxDamage& counted = damage != nullptr ? *damage : ignored;
    if (!EvtxChunkHeaderHolds(chunk, fileKeepsNoChecksums)) {
        counted.chunks += AllZero(chunk) ? 0 : 1;
        return;
    }
    const uint32_t freeSpace = Le32(chunk.data() + kChunkFreeSpaceOffset);
    const uint64_t firstId = Le64(chunk.data() + kChunkFirstRecordId);
    const uint64_t lastId = Le64(chunk.data() + kChunkLastRecordId);
    const size_t limit = std::min<size_t>(freeSpace, chunk.size());

    bool afterDamage = false;  // once damaged, a chunk's later records must prove their place
    bool inDamage = false;     // inside one run of damaged bytes, counted once
    size_t offset = kEvtxChunkHeaderSize;
    while (offset < limit) {
        const uint32_t size = RecordAt(chunk, offset, limit);
        EvtxRecord record;
        record.id = size != 0 ? Le64(chunk.data() + offset + 8) : 0;
        if (size == 0 || (afterDamage && (record.id < firstId || record.id > lastId))) {
            counted.records += inDamage ? 0 : 1;
            inDamage = true;
            afterDamage = true;
            offset = NextSignature(chunk, offset + 1, limit);
            continue;
        }
        record.chunk = chunk;
        record.offset = static_cast<uint32_t>(offset);
        record.size = size;
        record.written = Le64(chunk.data() + offset + 16);
        visit(record);
        inDamage = false;
        offset += size;
    }
}

bool HasEvtxFileSignature(Bytes file) {
    return file.size() >= sizeof kFileSignature &&
           std::memcmp(file.data(), kFileSignature, sizeof kFileSignature) == 0;
}

bool EvtxFileKeepsNoChecksums(Bytes header) {
    return header.size() >= kEvtxFileHeaderBlock && HasEvtxFileSignature(header) &&
           (Le32(header.data() + kFileFlags) & kFlagNoChecksums) != 0;
}

std::optional<EvtxChunkRange> EvtxChunkRecordRange(Bytes header) {
    if (header.size() < kEvtxChunkHeaderSize ||
        std::memcmp(header.data(), kChunkSignature, sizeof kChunkSignature) != 0)
        return std::nullopt;
    return EvtxChunkRange{Le64(header.data() + kChunkFirstRecordId),
                          Le64(header.data() + kChunkLastRecordId)};
}

void ForEachEvtxRecord(Bytes file, const std::function<void(const EvtxRecord&)>& visit,
                       EvtxDamage* damage) {
    const bool noChecksums = EvtxFileKeepsNoChecksums(file);
    for (size_t at = kEvtxFileHeaderBlock;
         at < file.size() && file.size() - at >= kEvtxChunkHeaderSize; at += kEvtxChunkSize) {
        ForEachEvtxChunkRecord(file.subspan(at, std::min(kEvtxChunkSize, file.size() - at)),
                               noChecksums, visit, damage);
    }
}

}  // namespace veltrano::eventlog
