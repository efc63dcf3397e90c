// Reading an .evtx file group by group.
#include "platform/offline/eventlog/evtx_stream.h"

#include <algorithm>
#include <thread>

#include "base/ordered_handoff.h"

namespace veltrano::eventlog {
namespace {

constexpr size_t kGroupsInFlightPerThread = 4;
// Fewer groups than this are decoded by the caller: threads would cost more than they give.
constexpr size_t kGroupsWorthThreads = 16;
// A file up to this size is read in one piece at opening: its chunks then cost no reads of their
// own, which for the small logs of most machines is most of the reading.
constexpr uint64_t kReadWholeUpTo = 4u << 20;
// Given-back groups kept for reuse: about the window's worth.
constexpr size_t kSpareGroups = 16;

struct ChunkEntry {
    uint64_t low = 0;
    uint64_t high = 0;
    uint64_t offset = 0;
};

}  // namespace

// Worker threads decoding the groups in order, a window of them ahead of the caller.
class EvtxStream::Decoders {
  public:
    Decoders(EvtxStream& stream, size_t workers)
        : window_(stream.groups_.size(), workers * kGroupsInFlightPerThread) {
        for (size_t w = 0; w < workers; ++w) {
            pool_.emplace_back([this, &stream] {
                EvtxEventReader reader;
                size_t index = 0;
                while (window_.Claim(index)) {
                    EvtxGroup decoded;
                    stream.Decode(stream.groups_[index], reader, decoded);
                    window_.Deliver(index, std::move(decoded));
                }
            });
        }
    }
    ~Decoders() {
        window_.Close();
        pool_.clear();  // joins
    }
    EvtxGroup Take(size_t index) { return window_.Take(index); }

  private:
    OrderedHandoff<EvtxGroup> window_;
    std::vector<std::jthread> pool_;
};

std::unique_ptr<EvtxStream> EvtxStream::Open(FileSystem& files, TextView path, int threads) {
    auto file = files.OpenForReading(path);
    if (!file)
        return nullptr;
    const auto facts = file->Facts();
    if (!facts || facts->IsDirectory())
        return nullptr;
    std::unique_ptr<EvtxStream> stream(new EvtxStream(std::move(file), facts->size, threads));
    stream->ReadDirectory();
    return stream;
}

EvtxStream::EvtxStream(std::unique_ptr<ReadableFile> file, uint64_t size, int threads)
    : file_(std::move(file)), size_(size), threads_(std::max(threads, 1)) {}

EvtxStream::~EvtxStream() = default;

bool EvtxStream::Truncated() const {
    return size_ < kEvtxFileHeaderBlock || (size_ - kEvtxFileHeaderBlock) % kEvtxChunkSize != 0;
}

bool EvtxStream::ReadBlock(uint64_t offset, size_t size, std::vector<uint8_t>& out) {
    out.resize(offset >= size_ ? 0 : static_cast<size_t>(std::min<uint64_t>(size, size_ - offset)));
    if (!whole_.empty()) {
        const size_t n = offset >= whole_.size()
                             ? 0
                             : std::min(out.size(), whole_.size() - static_cast<size_t>(offset));
        std::copy_n(whole_.begin() + static_cast<ptrdiff_t>(offset), n, out.begin());
        out.resize(n);
        return n > 0;
    }
    std::lock_guard lock(fileMutex_);
    if (!file_->Seek(offset))
        return false;
    size_t got = 0;
    while (got < out.size()) {
        const int64_t n = file_->Read(out.data() + got, out.size() - got);
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    out.resize(got);
    return got > 0;
}

void EvtxStream::ReadDirectory() {
    std::vector<uint8_t> block;
    if (size_ <= kReadWholeUpTo && ReadBlock(0, static_cast<size_t>(size_), block)) {
        whole_ = std::move(block);
        size_ = whole_.size();
    }
    if (ReadBlock(0, kEvtxFileHeaderBlock, block)) {
        signed_ = HasEvtxFileSignature(block);
        noChecksums_ = EvtxFileKeepsNoChecksums(block);
    }
    std::vector<ChunkEntry> chunks;
    std::vector<uint64_t> unheaded;  // blocks to look at only for their damage
    for (uint64_t at = kEvtxFileHeaderBlock; at < size_ && size_ - at >= kEvtxChunkHeaderSize;
         at += kEvtxChunkSize) {
        const bool read = ReadBlock(at, kEvtxChunkHeaderSize, block);
        const auto range = read && EvtxChunkHeaderHolds(block, noChecksums_)
                               ? EvtxChunkRecordRange(block)
                               : std::nullopt;
        if (range)
            chunks.push_back({std::min(range->first, range->last),
                              std::max(range->first, range->last), at});
        else
            unheaded.push_back(at);
    }
    // Chunks whose numbers overlap are one group; groups are disjoint in their numbers.
    std::stable_sort(chunks.begin(), chunks.end(),
                     [](const ChunkEntry& a, const ChunkEntry& b) { return a.low < b.low; });
    for (const ChunkEntry& c : chunks) {
        if (!groups_.empty() && c.low <= groups_.back().last) {
            Group& g = groups_.back();
            g.last = std::max(g.last, c.high);
            g.offsets.push_back(c.offset);
        } else {
            groups_.push_back(Group{c.low, c.high, {c.offset}});
        }
    }
    for (Group& g : groups_)
        std::sort(g.offsets.begin(), g.offsets.end());
    std::reverse(groups_.begin(), groups_.end());
    for (const uint64_t at : unheaded)
        groups_.push_back(Group{0, 0, {at}, false});
}

void EvtxStream::Decode(const Group& group, EvtxEventReader& reader, EvtxGroup& out) {
    out.firstNumber = group.first;
    out.lastNumber = group.last;
    {
        std::lock_guard lock(spareMutex_);
        if (!spare_.empty()) {
            out.events = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    // The records are read into the room of earlier ones, reusing their buffers.
    size_t used = 0;
    std::vector<uint8_t> chunk;
    for (const uint64_t offset : group.offsets) {
        // A last chunk cut short keeps the records it holds.
        if (!ReadBlock(offset, kEvtxChunkSize, chunk)) {
            ++out.damage.chunks;
            continue;
        }
        ForEachEvtxChunkRecord(
            chunk, noChecksums_,
            [&](const EvtxRecord& record) {
                if (used == out.events.size())
                    out.events.emplace_back();
                if (reader.Read(record, out.events[used]))
                    ++used;
                else
                    ++out.undecoded;
            },
            &out.damage);
    }
    out.events.resize(used);
}

void EvtxStream::Recycle(std::vector<EvtxEventFields> events) {
    std::lock_guard lock(spareMutex_);
    if (spare_.size() < kSpareGroups)
        spare_.push_back(std::move(events));
}

bool EvtxStream::Next(EvtxGroup& group) {
    if (next_ >= groups_.size())
        return false;
    if (!decoders_ && threads_ > 1 && groups_.size() - next_ >= kGroupsWorthThreads && next_ == 0)
        decoders_ = std::make_unique<Decoders>(*this, static_cast<size_t>(threads_));
    group = EvtxGroup{};
    if (decoders_)
        group = decoders_->Take(next_);
    else
        Decode(groups_[next_], reader_, group);
    ++next_;
    if (next_ >= groups_.size())
        decoders_.reset();
    return true;
}

std::optional<EvtxGroup> EvtxStream::GroupHolding(uint64_t number) {
    for (const Group& g : groups_) {
        if (g.headed && g.first <= number && number <= g.last) {
            EvtxGroup out;
            EvtxEventReader reader;
            Decode(g, reader, out);
            return out;
        }
    }
    return std::nullopt;
}

}  // namespace veltrano::eventlog
