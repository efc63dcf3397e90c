// The event-log port over log files. A log file is read and decoded whole when the log is opened.
#include "platform/offline/eventlog/offline_event_log.h"

#include "platform/offline/drive_mapped_file_system.h"
#include "platform/offline/eventlog/classic_record.h"
#include "platform/offline/eventlog/evtx_file.h"
#include "platform/offline/eventlog/log_file.h"

namespace veltrano {
namespace {

using eventlog::ClassicLog;
using eventlog::LogFormat;

// The classic file names of the logs that had one.
constexpr struct {
    const char16_t* log;
    const char16_t* file;
} kClassicFiles[] = {
    {u"Application", u"AppEvent.Evt"},
    {u"System", u"SysEvent.Evt"},
    {u"Security", u"SecEvent.Evt"},
};

Text WithoutTrailingSeparators(TextView path) {
    while (!path.empty() && (path.back() == u'\\' || path.back() == u'/'))
        path.remove_suffix(1);
    return Text(path);
}

Text EvtxPath(TextView systemRoot, TextView logName) {
    return WithoutTrailingSeparators(systemRoot) + u"\\System32\\winevt\\Logs\\" + Text(logName) +
           u".evtx";
}

Text EvtPath(TextView systemRoot, TextView logName) {
    for (const auto& entry : kClassicFiles) {
        if (EqualsNoCase(logName, entry.log)) {
            return WithoutTrailingSeparators(systemRoot) + u"\\System32\\config\\" + entry.file;
        }
    }
    return {};
}

bool IsFile(FileSystem& drive, const Text& path) {
    if (path.empty())
        return false;
    const auto facts = drive.Facts(path);
    return facts && !facts->IsDirectory();
}

class OfflineEventLog : public EventLog {
  public:
    explicit OfflineEventLog(ClassicLog log) : log_(std::move(log)) {}
    EventLogRead ReadBackwards(uint8_t* buffer, uint32_t size) override {
        return log_.ReadBackwards(buffer, size);
    }

  private:
    ClassicLog log_;
};

// An .evtx file starts with its signature; an .evt file's header has "LfLe" after its size.
bool HasLogSignature(eventlog::Bytes file, bool evtx) {
    if (evtx)
        return eventlog::HasEvtxFileSignature(file);
    return file.size() >= eventlog::kRecordSignature + 4 &&
           eventlog::Le32(file.data() + eventlog::kRecordSignature) ==
               eventlog::kRecordSignatureValue;
}

bool IsFolder(FileSystem& drive, const Text& path) {
    const auto facts = drive.Facts(path);
    return facts && facts->IsDirectory();
}

class OfflineEventLogService : public EventLogService {
  public:
    OfflineEventLogService(FileSystem& drive, Text systemRoot, eventlog::LogFactsLedger* ledger)
        : drive_(drive), systemRoot_(std::move(systemRoot)), ledger_(ledger) {}

    std::unique_ptr<EventLog> Open(TextView logName) override {
        eventlog::LogFileFacts facts;
        facts.log = Text(logName);
        facts.path = FindEventLogFile(drive_, systemRoot_, logName);
        ClassicLog log;
        if (facts.path.empty()) {
            const Text evtx = EvtxPath(systemRoot_, logName);
            if (IsFolder(drive_, evtx)) {
                facts.path = evtx;
                facts.outcome = eventlog::LogFileFacts::Outcome::NotAFile;
            }
        } else if (const auto bytes = ReadWholeFile(drive_, facts.path)) {
            const bool evtx =
                facts.path.size() >= 5 &&
                EqualsNoCase(TextView(facts.path).substr(facts.path.size() - 5), u".evtx");
            facts.outcome = eventlog::LogFileFacts::Outcome::Read;
            const bool signed_ = HasLogSignature(*bytes, evtx);
            log = eventlog::ReadLogFile(*bytes, evtx ? LogFormat::Evtx : LogFormat::Evt, &facts);
            // A file that neither starts like a log nor holds a record is something else with a
            // log's name, not a log whose every chunk is damaged.
            if (!signed_ && facts.records == 0) {
                eventlog::LogFileFacts other;
                other.log = std::move(facts.log);
                other.path = std::move(facts.path);
                other.outcome = eventlog::LogFileFacts::Outcome::NotAnEventLog;
                facts = std::move(other);
            }
        } else {
            facts.outcome = eventlog::LogFileFacts::Outcome::Unreadable;
        }
        if (ledger_ != nullptr)
            ledger_->Record(std::move(facts));
        return std::make_unique<OfflineEventLog>(std::move(log));
    }

  private:
    FileSystem& drive_;
    Text systemRoot_;
    eventlog::LogFactsLedger* ledger_;
};

}  // namespace

Text FindEventLogFile(FileSystem& drive, TextView systemRoot, TextView logName) {
    Text path = EvtxPath(systemRoot, logName);
    if (IsFile(drive, path))
        return path;
    path = EvtPath(systemRoot, logName);
    if (IsFile(drive, path))
        return path;
    return {};
}

std::unique_ptr<EventLogService> MakeOfflineEventLogService(FileSystem& drive, Text systemRoot,
                                                            eventlog::LogFactsLedger* ledger) {
    return std::make_unique<OfflineEventLogService>(drive, std::move(systemRoot), ledger);
}

}  // namespace veltrano
