// The progress line and the two ports it watches.
#include "cli/scan_progress.h"

#include <algorithm>
#include <cstdio>

#include "engine/event_record.h"
#include "engine/scan_messages.h"
#include "platform/forwarding_file_system.h"
#include "platform/host.h"
#include "platform/offline/eventlog/offline_event_log.h"
#include "platform/offline/machine/offline_machine.h"

namespace veltrano {
namespace {

constexpr auto kInterval = std::chrono::milliseconds(100);
constexpr TextView kLogNames[] = {u"Application", u"System"};

bool IsReportFile(TextView path) {
    return path.size() >= 4 && EqualsNoCase(path.substr(path.size() - 4), u".wer");
}

}  // namespace

class ScanProgress::Files : public ForwardingFileSystem {
  public:
    Files(FileSystem& target, ScanProgress& progress)
        : ForwardingFileSystem(target), progress_(progress) {}
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override {
        auto file = ForwardingFileSystem::OpenForReading(path);
        if (file && IsReportFile(path))
            progress_.ReportFileRead();
        return file;
    }

  private:
    ScanProgress& progress_;
};

class ScanProgress::Logs : public EventLogService {
  public:
    Logs(EventLogService& target, ScanProgress& progress) : target_(target), progress_(progress) {}
    std::unique_ptr<EventLog> Open(TextView logName) override {
        progress_.LogOpening(logName);
        auto log = target_.Open(logName);
        if (!log)
            return log;
        return std::make_unique<CountedLog>(std::move(log), progress_.LogOpened(), progress_);
    }

  private:
    class CountedLog : public EventLog {
      public:
        CountedLog(std::unique_ptr<EventLog> log, size_t index, ScanProgress& progress)
            : log_(std::move(log)), index_(index), progress_(progress) {}
        EventLogRead ReadBackwards(uint8_t* buffer, uint32_t size) override {
            const EventLogRead read = log_->ReadBackwards(buffer, size);
            if (read.ok) {
                uint64_t records = 0;
                WalkEventRecords(buffer, std::min(read.bytesRead, size),
                                 [&records](const EventRecordView&) { ++records; });
                progress_.RecordsRead(index_, records);
            }
            return read;
        }

      private:
        std::unique_ptr<EventLog> log_;
        size_t index_;
        ScanProgress& progress_;
    };

    EventLogService& target_;
    ScanProgress& progress_;
};

ScanProgress::ScanProgress(Machine& machine, const std::vector<eventlog::LogFileFacts>* logFacts)
    : machine_(machine),
      logFacts_(logFacts),
      drive_(machine.files),
      service_(machine.eventLogs),
      shown_(StandardErrorIsTerminal()) {
    if (!shown_)
        return;
    if (drive_ != nullptr) {
        files_ = std::make_unique<Files>(*drive_, *this);
        machine.files = files_.get();
        if (logFacts_ != nullptr) {
            for (TextView log : kLogNames) {
                const Text path = FindEventLogFile(*drive_, kAnalysedSystemRoot, log);
                if (auto facts = path.empty() ? std::nullopt : drive_->Facts(path))
                    logBytes_ += facts->size;
            }
        }
    }
    if (service_ != nullptr) {
        logs_ = std::make_unique<Logs>(*service_, *this);
        machine.eventLogs = logs_.get();
    }
}

ScanProgress::~ScanProgress() {
    Clear();
    machine_.files = drive_;
    machine_.eventLogs = service_;
}

bool ScanProgress::Post(uint32_t message, uintptr_t wParam, intptr_t) {
    if (message == WM_SCAN_PROGRESS)
        std::unique_ptr<Text> owned(reinterpret_cast<Text*>(wParam));
    return true;
}

void ScanProgress::ReportFileRead() {
    ++reportFiles_;
    Show();
}

void ScanProgress::LogOpening(TextView name) {
    opening_ = Text(name);
    Show(true);
}

size_t ScanProgress::LogOpened() {
    opening_.clear();
    records_.push_back(0);
    // The log's facts are on record once it is open.
    uint64_t bytes = 0;
    if (logFacts_ != nullptr && records_.size() <= logFacts_->size() && drive_ != nullptr) {
        const Text& path = (*logFacts_)[records_.size() - 1].path;
        if (auto file = path.empty() ? std::nullopt : drive_->Facts(path))
            bytes = file->size;
    }
    fileBytes_.push_back(bytes);
    Show(true);
    return records_.size() - 1;
}

void ScanProgress::RecordsRead(size_t log, uint64_t records) {
    records_[log] += records;
    Show();
}

void ScanProgress::Show(bool now) {
    const auto time = std::chrono::steady_clock::now();
    if (!shown_ || (!now && time - lastShown_ < kInterval))
        return;
    lastShown_ = time;
    uint64_t read = 0;
    for (uint64_t n : records_)
        read += n;
    std::string line = "report files: " + std::to_string(reportFiles_) +
                       ", logs: " + std::to_string(records_.size()) +
                       ", records read: " + std::to_string(read);
    if (!opening_.empty())
        line += ", decoding the " + Utf16ToUtf8(opening_) + " log";
    // Each log's bytes count in the share of its records read so far.
    if (logFacts_ != nullptr && logBytes_ > 0) {
        double done = 0;
        for (size_t i = 0; i < records_.size() && i < logFacts_->size(); ++i) {
            const uint64_t records = (*logFacts_)[i].records;
            if (records > 0) {
                done += static_cast<double>(fileBytes_[i]) *
                        std::min(1.0, static_cast<double>(records_[i]) / records);
            }
        }
        line += ", " + std::to_string(static_cast<int>(100 * done / logBytes_)) + " %";
    }
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    dirty_ = true;
}

void ScanProgress::Clear() {
    if (!dirty_)
        return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    dirty_ = false;
}

}  // namespace veltrano
