// Event logs read from the log files of a Windows folder tree: the files the event-log service
// keeps under the Windows folder of a drive (a mounted system drive, an analyst's copy, a Wine
// prefix). Records come out in the classic layout, newest first, with the classic buffer
// contract.
#pragma once

#include <memory>

#include "platform/event_log.h"
#include "platform/files.h"
#include "platform/offline/eventlog/decoded_records.h"
#include "platform/offline/eventlog/log_facts.h"

namespace veltrano {

// systemRoot: the Windows folder of the analysed drive as the files port sees it
// ("C:\Windows"). A log is read from <systemRoot>\System32\winevt\Logs\<log>.evtx, else from the
// classic file of the log under <systemRoot>\System32\config (AppEvent.Evt, SysEvent.Evt,
// SecEvent.Evt). A log whose file is missing or unreadable opens as an empty log, as a log
// without records would; the ledger, when given, tells which it was. drive (and ledger) must
// outlive the service. An .evtx file is opened once and read as the reader goes, its chunks
// decoded by up to `threads` threads; the records of the last read are there for lookups.
class OfflineEventLogService : public EventLogService, public eventlog::DecodedRecords {
  public:
    OfflineEventLogService(FileSystem& drive, Text systemRoot, eventlog::LogFactsLedger* ledger,
                           int threads);
    ~OfflineEventLogService() override;
    std::unique_ptr<EventLog> Open(TextView logName) override;
    std::optional<eventlog::EvtxEventFields> Recent(TextView logName, uint64_t number) override;

    struct OpenLogs;

  private:
    FileSystem& drive_;
    Text systemRoot_;
    eventlog::LogFactsLedger* ledger_;
    int threads_;
    std::shared_ptr<OpenLogs> open_;
};

std::unique_ptr<OfflineEventLogService> MakeOfflineEventLogService(
    FileSystem& drive, Text systemRoot, eventlog::LogFactsLedger* ledger = nullptr,
    int threads = 1);

// The file a log is read from; empty when neither file exists.
Text FindEventLogFile(FileSystem& drive, TextView systemRoot, TextView logName);

}  // namespace veltrano
