// Handing out an .evtx log group by group.
#include "platform/offline/eventlog/evtx_log.h"

namespace veltrano::eventlog {

EvtxLog::EvtxLog(std::unique_ptr<EvtxStream> stream, LogFileFacts facts, LogFactsLedger* ledger)
    : stream_(std::move(stream)), facts_(std::move(facts)), ledger_(ledger) {
    facts_.truncated = stream_->Truncated();
}

EvtxLog::~EvtxLog() {
    if (ledger_ == nullptr)
        return;
    std::lock_guard lock(mutex_);
    while (!finished_) {
        LoadNext();
        KeepLastPieces(0);
    }
}

void EvtxLog::KeepLastPieces(size_t keep) {
    while (pieces_.size() > keep) {
        stream_->Recycle(std::move(pieces_.front().events));
        pieces_.pop_front();
    }
}

bool EvtxLog::LoadNext() {
    EvtxGroup group;
    if (finished_ || !stream_->Next(group)) {
        Finish();
        return false;
    }
    facts_.damagedChunks += group.damage.chunks;
    facts_.damagedRecords += group.damage.records + group.undecoded;
    if (group.events.empty()) {
        stream_->Recycle(std::move(group.events));
        return true;
    }
    Piece piece;
    for (const EvtxEventFields& fields : group.events) {
        piece.log.Add(fields.recordId, ToClassicEvent(fields));
        facts_.CountRecord(fields.created);
        facts_.NoteRecord(fields.recordId, fields.created, fields.computer);
    }
    piece.log.Finish();
    distinct_ += piece.log.Count();
    piece.events = std::move(group.events);
    pieces_.push_back(std::move(piece));
    return true;
}

void EvtxLog::Finish() {
    if (finished_)
        return;
    finished_ = true;
    facts_.records = distinct_;  // a stale copy of a record is one record
    // A file that neither starts like a log nor holds a record is something else with a log's
    // name, not a log whose every chunk is damaged.
    if (!stream_->Signed() && facts_.records == 0) {
        LogFileFacts other;
        other.log = std::move(facts_.log);
        other.path = std::move(facts_.path);
        other.outcome = LogFileFacts::Outcome::NotAnEventLog;
        facts_ = std::move(other);
    }
    if (ledger_ != nullptr)
        ledger_->Record(facts_);
}

EventLogRead EvtxLog::ReadBackwards(uint8_t* buffer, uint32_t size) {
    std::lock_guard lock(mutex_);
    // What earlier reads handed out is done with.
    KeepLastPieces(1);
    uint32_t used = 0;
    for (;;) {
        if (pieces_.empty() || pieces_.back().log.AtEnd()) {
            if (!LoadNext())
                break;
            continue;
        }
        const EventLogRead read = pieces_.back().log.ReadBackwards(buffer + used, size - used);
        if (!read.ok) {
            if (used == 0)
                return read;  // not even the next record fits
            break;
        }
        used += read.bytesRead;
        if (!pieces_.back().log.AtEnd())
            break;  // the buffer is full
    }
    EventLogRead result;
    if (used == 0) {
        result.error = kErrorHandleEof;
        return result;
    }
    result.ok = true;
    result.bytesRead = used;
    return result;
}

std::optional<EvtxEventFields> EvtxLog::Recent(uint64_t number) {
    std::lock_guard lock(mutex_);
    for (auto piece = pieces_.rbegin(); piece != pieces_.rend(); ++piece) {
        for (const EvtxEventFields& fields : piece->events) {
            if (fields.recordId == number)
                return fields;
        }
    }
    return std::nullopt;
}

}  // namespace veltrano::eventlog
