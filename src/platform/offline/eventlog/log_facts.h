// What reading a log file found. An empty list means nothing unless the user can tell a healthy
// log without errors from a missing, truncated or damaged one: these are the facts for that.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"

namespace veltrano::eventlog {

struct LogFileFacts {
    enum class Outcome { Read, NoFile, NotAFile, Unreadable, NotAnEventLog };
    Text log;   // "Application"
    Text path;  // the file as the drive names it; empty when there is none
    Outcome outcome = Outcome::NoFile;
    bool truncated = false;  // shorter than its format's framing says it must be
    uint64_t records = 0;
    FileTime oldest = 0;  // of the records read; 0 without records
    FileTime newest = 0;
    uint32_t damagedChunks = 0;
    uint32_t damagedRecords =
        0;  // runs of bytes where no record held, and records that did not decode
    // The record a backwards read gives first (the highest number): its time and computer.
    uint64_t lastNumber = 0;
    FileTime lastTime = 0;
    Text lastComputer;

    void CountRecord(FileTime time) {
        ++records;
        oldest = oldest == 0 ? time : std::min(oldest, time);
        newest = std::max(newest, time);
    }
    void NoteRecord(uint64_t number, FileTime time, TextView computer) {
        if (number < lastNumber)
            return;
        lastNumber = number;
        lastTime = time;
        lastComputer = Text(computer);
    }
};

// The facts of every log the service opened, in the order first opened; a log opened again
// replaces its facts.
class LogFactsLedger {
  public:
    void Record(LogFileFacts facts);
    const std::vector<LogFileFacts>& Logs() const { return logs_; }

  private:
    std::vector<LogFileFacts> logs_;
};

}  // namespace veltrano::eventlog
