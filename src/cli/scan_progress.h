// The scan's progress on a terminal: one line on standard error that updates in place, with the
// report files and logs done, the records read and an estimate of the share of the log bytes read.
// Elsewhere (a file, a pipe) it shows nothing. It watches the machine's file and event-log ports,
// which it stands in front of for as long as it lives.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/text.h"
#include "platform/machine.h"
#include "platform/message_sink.h"
#include "platform/offline/eventlog/log_facts.h"

namespace veltrano {

class ScanProgress : public MessageSink {
  public:
    // logFacts: what the drive's logs held once opened (null for the live machine's service).
    ScanProgress(Machine& machine, const std::vector<eventlog::LogFileFacts>* logFacts);
    ~ScanProgress() override;
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

    // The engine's own progress texts say what the line says already.
    bool Post(uint32_t, uintptr_t wParam, intptr_t) override;
    // Leaves the line empty for what follows.
    void Clear();

    // What the ports saw, for the line. Logs are numbered in the order they were opened, the
    // order of their facts.
    void ReportFileRead();
    void LogOpening(TextView name);
    size_t LogOpened();
    void RecordsRead(size_t log, uint64_t records);

  private:
    void Show(bool now = false);

    class Files;
    class Logs;
    Machine& machine_;
    const std::vector<eventlog::LogFileFacts>* logFacts_;
    FileSystem* drive_;
    EventLogService* service_;
    std::unique_ptr<Files> files_;
    std::unique_ptr<Logs> logs_;
    const bool shown_;
    bool dirty_ = false;
    uint64_t logBytes_ = 0;  // of the files of both logs
    uint32_t reportFiles_ = 0;
    Text opening_;                     // the log being opened (decoded), if any
    std::vector<uint64_t> records_;    // read per log
    std::vector<uint64_t> fileBytes_;  // per log, of its file
    std::chrono::steady_clock::time_point lastShown_;
};

}  // namespace veltrano
