// Searching the record ring of a classic .evt file.
#include "platform/offline/eventlog/evt_file.h"

#include <cstring>
#include <vector>

namespace veltrano::eventlog {
namespace {

// Reads of the ring [kEvtHeaderSize, file end) that wrap around its end.
class Ring {
  public:
    explicit Ring(Bytes file) : file_(file), size_(file.size() - kEvtHeaderSize) {}
    size_t size() const { return size_; }

    // offset: position in the ring (0 = right after the header).
    uint32_t Le32AtRing(size_t offset) const {
        uint8_t b[4];
        Copy(offset, 4, b);
        return Le32(b);
    }
    void Copy(size_t offset, size_t n, uint8_t* out) const {
        offset %= size_;
        if (n <= size_ - offset) {
            std::memcpy(out, file_.data() + kEvtHeaderSize + offset, n);
            return;
        }
        for (size_t i = 0; i < n; ++i)
            out[i] = file_[kEvtHeaderSize + (offset + i) % size_];
    }

  private:
    Bytes file_;
    size_t size_;
};

}  // namespace

void ForEachEvtRecord(Bytes file, const std::function<void(const ClassicRecordView&)>& visit) {
    if (file.size() < kEvtHeaderSize + kRecordFixedSize + 8)
        return;
    const Ring ring(file);
    std::vector<uint8_t> record;
    // Records are DWORD-aligned in the ring; the scan visits every aligned start once.
    size_t offset = 0;
    while (offset + 4 <= ring.size()) {
        if (ring.Le32AtRing(offset + kRecordSignature) == kRecordSignatureValue) {
            const uint32_t length = ring.Le32AtRing(offset);
            if (length >= kRecordFixedSize + 8 && length <= ring.size() &&
                ring.Le32AtRing(offset + length - 4) == length) {
                record.resize(length);
                ring.Copy(offset, length, record.data());
                if (const auto view = ReadClassicRecord(record)) {
                    visit(*view);
                    offset += length;
                    continue;
                }
            }
        }
        offset += 4;
    }
}

}  // namespace veltrano::eventlog
