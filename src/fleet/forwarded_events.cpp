// Splitting a collector's log: chunk order from the chunk headers (newest records first), a window
// of chunks decoded by worker threads into the classic records of their errors, and the caller's
// thread merging them into the senders' catalogues in order.
#include "fleet/forwarded_events.h"

#include <algorithm>
#include <fstream>
#include <thread>
#include <unordered_map>
#include <vector>

#include "engine/event_processing.h"
#include "engine/event_record.h"
#include "engine/link_reports.h"
#include "engine/scan.h"
#include "fleet/ordered_handoff.h"
#include "platform/offline/eventlog/classic_record.h"
#include "platform/offline/eventlog/evtx_event.h"
#include "platform/offline/eventlog/evtx_file.h"
#include "shell/time_text.h"

namespace veltrano {
namespace {

namespace fs = std::filesystem;
using namespace eventlog;

constexpr size_t kChunksInFlightPerThread = 4;
constexpr char16_t kApplication[] = u"Application";
constexpr char16_t kSystem[] = u"System";

// Reads pieces of the log at their offsets; one per thread.
class LogPieces {
  public:
    explicit LogPieces(const fs::path& path) : in_(path, std::ios::binary) {
        if (in_) {
            in_.seekg(0, std::ios::end);
            size_ = static_cast<uint64_t>(std::max<std::streamoff>(in_.tellg(), 0));
        }
    }
    explicit operator bool() const { return static_cast<bool>(in_); }
    uint64_t size() const { return size_; }

    // Up to size bytes at offset (fewer at the file's end); false when reading fails.
    bool Read(uint64_t offset, size_t size, std::vector<uint8_t>& out) {
        out.resize(offset >= size_ ? 0
                                   : static_cast<size_t>(std::min<uint64_t>(size, size_ - offset)));
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        const size_t wanted = out.size();
        in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(wanted));
        out.resize(static_cast<size_t>(std::max<std::streamsize>(in_.gcount(), 0)));
        return out.size() == wanted;
    }

  private:
    std::ifstream in_;
    uint64_t size_ = 0;
};

// The error records of one chunk in the classic layout, in file order, with their senders.
struct ChunkErrors {
    struct Error {
        uint32_t offset;
        uint32_t length;
        uint16_t computer;  // index into computers
        bool system;        // else Application
    };
    std::vector<uint8_t> records;
    std::vector<Error> errors;
    std::vector<Text> computers;  // each sender of the chunk once
    std::map<Text, uint64_t> skipped;
    uint64_t recordsRead = 0;
    uint64_t damaged = 0;
    bool gaveNothing = false;
};

class ChunkDecoder {
  public:
    ChunkDecoder(const fs::path& path, bool noChecksums) : file_(path), noChecksums_(noChecksums) {}

    void Decode(uint64_t offset, ChunkErrors& out) {
        computers_.clear();
        // A last chunk cut short keeps the records it holds.
        file_.Read(offset, kEvtxChunkSize, chunk_);
        ForEachEvtxChunkRecord(chunk_, noChecksums_, [&](const EvtxRecord& record) {
            if (!reader_.Read(record, fields_)) {
                ++out.damaged;
                return;
            }
            ++out.recordsRead;
            const uint16_t computer = ComputerIndex(out, fields_.computer);
            const bool system = EqualsNoCase(fields_.channel, kSystem);
            if (!system && !EqualsNoCase(fields_.channel, kApplication)) {
                ++out.skipped[fields_.channel];
                return;
            }
            if (EventTypeOfLevel(fields_.level) != eventlog::kEventTypeError)
                return;  // the record rules list errors only
            const size_t start = out.records.size();
            AppendClassicRecord(out.records, ToClassicEvent(fields_));
            out.errors.push_back({static_cast<uint32_t>(start),
                                  static_cast<uint32_t>(out.records.size() - start), computer,
                                  system});
        });
        out.gaveNothing = out.recordsRead == 0 && out.damaged == 0;
    }

  private:
    uint16_t ComputerIndex(ChunkErrors& out, const Text& computer) {
        // A chunk holds two thousand records at most: its senders fit the 16-bit index.
        auto [it, added] =
            computers_.try_emplace(computer, static_cast<uint16_t>(out.computers.size()));
        if (added)
            out.computers.push_back(computer);
        return it->second;
    }

    LogPieces file_;
    bool noChecksums_;
    std::vector<uint8_t> chunk_;
    EvtxEventReader reader_;
    EvtxEventFields fields_;
    std::unordered_map<Text, uint16_t> computers_;  // the chunk's senders by name
};

// Merges decoded chunks, newest first, into the senders' catalogues.
class SenderCatalogues {
  public:
    SenderCatalogues(Machine& ports, ForwardedMachines& out) : ports_(ports), out_(out) {}

    void Take(const ChunkErrors& chunk) {
        std::vector<Sender*> senders;
        for (const Text& computer : chunk.computers)
            senders.push_back(&SenderOf(computer.empty() ? Text(kUnknownComputer) : computer));
        for (auto it = chunk.errors.rbegin(); it != chunk.errors.rend(); ++it) {
            Sender& sender = *senders[it->computer];
            const EventRecordView record(chunk.records.data() + it->offset, it->length);
            const auto time = ProcessEventRecord(record, it->system ? kSystem : kApplication,
                                                 *sender.catalogue, ports_);
            if (time && (!sender.oldest || *time < *sender.oldest))
                sender.oldest = time;
        }
        for (const auto& [log, count] : chunk.skipped)
            out_.skippedByLog[log] += count;
        out_.records += chunk.recordsRead;
        out_.damagedRecords += chunk.damaged;
        out_.damagedChunks += chunk.gaveNothing ? 1 : 0;
    }

    void Finish() {
        for (auto& [computer, sender] : senders_) {
            {
                std::lock_guard lock(CatalogueLock);
                sender.catalogue->TotalErrors = LinkReports(*sender.catalogue, ports_.messages);
            }
            sender.catalogue->MaxAgeDays =
                sender.oldest ? DaysSince(*ports_.clock, *sender.oldest) : 0;
            out_.catalogues.emplace(computer, std::move(sender.catalogue));
        }
    }

  private:
    struct Sender {
        std::unique_ptr<ErrorCatalogue> catalogue;
        std::optional<FileTime> oldest;
    };

    Sender& SenderOf(const Text& computer) {
        auto [it, added] = senders_.try_emplace(computer);
        if (added) {
            it->second.catalogue = std::make_unique<ErrorCatalogue>();
            PrepareCatalogue(*it->second.catalogue, *ports_.clock);
        }
        return it->second;
    }

    Machine& ports_;
    ForwardedMachines& out_;
    std::map<Text, Sender> senders_;
};

// The chunks' offsets, the chunk with the newest records first.
std::vector<uint64_t> ChunksNewestFirst(LogPieces& file, uint64_t& damaged) {
    struct Chunk {
        uint64_t last;
        uint64_t offset;
    };
    std::vector<Chunk> chunks;
    std::vector<uint8_t> header;
    for (uint64_t at = kEvtxFileHeaderBlock;
         at < file.size() && file.size() - at >= kEvtxChunkHeaderSize; at += kEvtxChunkSize) {
        const auto range = file.Read(at, kEvtxChunkHeaderSize, header)
                               ? EvtxChunkRecordRange(header)
                               : std::nullopt;
        if (range)
            chunks.push_back({range->last, at});
        else
            ++damaged;
    }
    std::stable_sort(chunks.begin(), chunks.end(),
                     [](const Chunk& a, const Chunk& b) { return a.last > b.last; });
    std::vector<uint64_t> offsets;
    for (const Chunk& c : chunks)
        offsets.push_back(c.offset);
    return offsets;
}

}  // namespace

std::optional<ForwardedMachines> SplitForwardedEvents(const fs::path& log, Machine& ports,
                                                      int threads) {
    LogPieces file(log);
    if (!file)
        return std::nullopt;
    ForwardedMachines out;
    std::vector<uint8_t> header;
    file.Read(0, kEvtxFileHeaderBlock, header);
    const bool noChecksums = EvtxFileKeepsNoChecksums(header);
    const std::vector<uint64_t> chunks = ChunksNewestFirst(file, out.damagedChunks);

    const size_t workers = std::clamp<size_t>(static_cast<size_t>(std::max(threads, 1)), 1,
                                              std::max<size_t>(chunks.size(), 1));
    OrderedHandoff<ChunkErrors> window(chunks.size(), workers * kChunksInFlightPerThread);
    SenderCatalogues senders(ports, out);
    {
        std::vector<std::jthread> pool;
        for (size_t w = 0; w < workers; ++w) {
            pool.emplace_back([&] {
                ChunkDecoder decoder(log, noChecksums);
                size_t index = 0;
                while (window.Claim(index)) {
                    ChunkErrors decoded;
                    decoder.Decode(chunks[index], decoded);
                    window.Deliver(index, std::move(decoded));
                }
            });
        }
        // Should merging fail, the workers must not wait for it forever.
        struct CloseOnExit {
            OrderedHandoff<ChunkErrors>& window;
            ~CloseOnExit() { window.Close(); }
        } closeOnExit{window};
        for (size_t i = 0; i < chunks.size(); ++i)
            senders.Take(window.Take(i));
    }
    senders.Finish();
    return out;
}

}  // namespace veltrano
