// An .evtx log handed out through the event-log port while it is read: the stream's groups become
// classic records as the reader reaches them, so only the group being read is held. The log's
// facts are complete when its last record has been handed out (or when it is closed: the rest is
// read then to count it), and are given to the ledger then.
#pragma once

#include <deque>
#include <memory>
#include <mutex>

#include "platform/event_log.h"
#include "platform/offline/eventlog/classic_log.h"
#include "platform/offline/eventlog/evtx_stream.h"
#include "platform/offline/eventlog/log_facts.h"

namespace veltrano::eventlog {

class EvtxLog : public EventLog {
  public:
    // facts: what is known at opening (log, path, outcome); ledger may be null.
    EvtxLog(std::unique_ptr<EvtxStream> stream, LogFileFacts facts, LogFactsLedger* ledger);
    ~EvtxLog() override;

    EventLogRead ReadBackwards(uint8_t* buffer, uint32_t size) override;
    // A record handed out with the last read; nullopt when it was not.
    std::optional<EvtxEventFields> Recent(uint64_t number);

  private:
    struct Piece {
        ClassicLog log;
        std::vector<EvtxEventFields> events;
    };
    bool LoadNext();
    // Gives all pieces but the last `keep` back to the stream.
    void KeepLastPieces(size_t keep);
    void Finish();

    std::unique_ptr<EvtxStream> stream_;
    LogFileFacts facts_;
    LogFactsLedger* ledger_;
    bool finished_ = false;
    uint64_t distinct_ = 0;  // records counted once, whatever their copies
    std::deque<Piece> pieces_;  // the one being read last
    std::mutex mutex_;          // lookups may come from another thread than the reader's
};

}  // namespace veltrano::eventlog
