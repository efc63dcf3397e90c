// The three-phase event-log reader.
#include "engine/event_log_reader.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>

#include "engine/catalogue_fill.h"
#include "engine/scan_messages.h"
#include "shell/local_texts.h"
#include "shell/time_text.h"

namespace veltrano {
namespace {

constexpr char16_t kApplication[] = u"Application";
constexpr char16_t kSystem[] = u"System";
// No classic record comes near this; a larger demand is taken as a failed read.
constexpr uint32_t kMaxReadBuffer = 64u << 20;

enum class ReadOutcome { Buffer, End, Failed };

class EventLogReader {
  public:
    EventLogReader(ErrorCatalogue& catalogue, Machine& machine)
        : catalogue_(catalogue), machine_(machine), fill_(catalogue, machine) {}

    int Run() {
        auto application = machine_.eventLogs->Open(kApplication);
        if (!application)
            return -1;
        auto system = machine_.eventLogs->Open(kSystem);
        if (!system)
            return -1;
        if (!AllocateBuffer(kInitialReadBuffer))
            return -1;

        // Phase 1: the Application log until an error older than a week has been seen.
        bool applicationExhausted = false;
        for (;;) {
            const ReadOutcome outcome = ReadBuffer(*application, kApplication);
            if (outcome == ReadOutcome::Failed)
                return -1;
            if (outcome == ReadOutcome::End) {
                applicationExhausted = true;
                break;
            }
            if (OlderThanWeek())
                break;
        }

        // Phase 2: the whole System log.
        for (;;) {
            const ReadOutcome outcome = ReadBuffer(*system, kSystem);
            if (outcome == ReadOutcome::Failed)
                return -1;
            if (outcome == ReadOutcome::End)
                break;
            PostFirstWeekOnce();
            CountBuffer();
        }

        // Phase 3: the rest of the Application log.
        int result = 0;
        while (!applicationExhausted) {
            const ReadOutcome outcome = ReadBuffer(*application, kApplication);
            if (outcome == ReadOutcome::Failed) {
                result = -1;
                break;
            }
            if (outcome == ReadOutcome::End)
                break;
            CountBuffer();
        }

        if (progressDays_ > catalogue_.MaxAgeDays)
            catalogue_.MaxAgeDays = progressDays_;
        fill_.Finish();
        PostProgressText(catalogue_.ownerWindow,
                         LocalText(LT_ERRORS_FOUND, DecimalText(catalogue_.TotalErrors),
                                   DecimalText(catalogue_.MaxAgeDays)));
        machine_.clock->Sleep(kFinalPauseMilliseconds);
        return result;
    }

  private:
    // Reads the next buffer, growing it for a record that does not fit.
    ReadOutcome ReadBuffer(EventLog& log, TextView logName) {
        for (;;) {
            const EventLogRead read = log.ReadBackwards(buffer_.get(), bufferSize_);
            if (read.ok) {
                const uint32_t bytes = std::min(read.bytesRead, bufferSize_);
                fill_.AddBuffer(buffer_.get(), bytes, logName);
                return ReadOutcome::Buffer;
            }
            if (read.error == kErrorHandleEof)
                return ReadOutcome::End;
            // Growth must make room, or the same read would fail forever.
            if (read.error != kErrorInsufficientBuffer || read.bytesNeeded <= bufferSize_ ||
                read.bytesNeeded > kMaxReadBuffer || !AllocateBuffer(read.bytesNeeded)) {
                return ReadOutcome::Failed;
            }
        }
    }

    // The old contents need not move: the read that asked for more room is repeated.
    bool AllocateBuffer(uint32_t size) {
        std::unique_ptr<uint8_t[]> block =
            machine_.memory != nullptr
                ? machine_.memory->Allocate(size)
                : std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]());
        if (!block)
            return false;
        buffer_ = std::move(block);
        bufferSize_ = size;
        return true;
    }

    bool OlderThanWeek() const {
        const auto& last = fill_.LastError();
        return last && *last < catalogue_.WeekStart;
    }

    void PostFirstWeekOnce() {
        if (!OlderThanWeek() || catalogue_.FirstWeekPosted || catalogue_.ownerWindow == nullptr) {
            return;
        }
        fill_.Link();
        catalogue_.ownerWindow->Post(WM_SCAN_FIRST_WEEK, 0, 0);
        catalogue_.FirstWeekPosted = 1;
    }

    void CountBuffer() {
        if (++buffersSinceProgress_ < kBuffersPerProgress)
            return;
        buffersSinceProgress_ = 0;
        if (const auto& last = fill_.LastError()) {
            const int32_t days = DaysSince(*machine_.clock, *last);
            if (days > progressDays_)
                progressDays_ = days;
        }
        const int32_t distinct = fill_.Link();
        PostProgressText(catalogue_.ownerWindow, LocalText(LT_ERRORS_FOUND, DecimalText(distinct),
                                                           DecimalText(progressDays_)));
    }

    ErrorCatalogue& catalogue_;
    Machine& machine_;
    std::unique_ptr<uint8_t[]> buffer_;
    uint32_t bufferSize_ = 0;
    CatalogueFill fill_;
    int buffersSinceProgress_ = 0;
    int32_t progressDays_ = 0;
};

}  // namespace

int ReadEventLogs(ErrorCatalogue& catalogue, Machine& machine) {
    if (machine.eventLogs == nullptr || machine.clock == nullptr)
        return -1;
    return EventLogReader(catalogue, machine).Run();
}

}  // namespace veltrano
