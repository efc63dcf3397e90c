// The event-log port over log files: an .evtx file is read as the reader goes, a classic file
// whole when the log is opened.
#include "platform/offline/eventlog/offline_event_log.h"

#include <map>
#include <mutex>

#include "platform/offline/drive_mapped_file_system.h"
#include "platform/offline/eventlog/classic_record.h"
#include "platform/offline/eventlog/evtx_file.h"
#include "platform/offline/eventlog/evtx_log.h"
#include "platform/offline/eventlog/evtx_stream.h"
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

// An .evt file's header has "LfLe" after its size.
bool HasEvtSignature(eventlog::Bytes file) {
    return file.size() >= eventlog::kRecordSignature + 4 &&
           eventlog::Le32(file.data() + eventlog::kRecordSignature) ==
               eventlog::kRecordSignatureValue;
}

bool IsFolder(FileSystem& drive, const Text& path) {
    const auto facts = drive.Facts(path);
    return facts && facts->IsDirectory();
}

bool IsEvtxPath(const Text& path) {
    return path.size() >= 5 && EqualsNoCase(TextView(path).substr(path.size() - 5), u".evtx");
}

// A classic log is read whole: its files are small, and its records are not in number order.
ClassicLog ReadEvtLog(FileSystem& drive, eventlog::LogFileFacts& facts) {
    const auto bytes = ReadWholeFile(drive, facts.path);
    if (!bytes) {
        facts.outcome = eventlog::LogFileFacts::Outcome::Unreadable;
        return {};
    }
    facts.outcome = eventlog::LogFileFacts::Outcome::Read;
    ClassicLog log = eventlog::ReadLogFile(*bytes, LogFormat::Evt, &facts);
    // A file that neither starts like a log nor holds a record is something else with a log's
    // name, not a log whose every record is damaged.
    if (!HasEvtSignature(*bytes) && facts.records == 0) {
        eventlog::LogFileFacts other;
        other.log = std::move(facts.log);
        other.path = std::move(facts.path);
        other.outcome = eventlog::LogFileFacts::Outcome::NotAnEventLog;
        facts = std::move(other);
    }
    return log;
}

}  // namespace

// The logs being read, so that a lookup finds the record a read just handed out.
struct OfflineEventLogService::OpenLogs {
    std::mutex mutex;
    std::map<Text, eventlog::EvtxLog*> logs;  // by folded name
};

namespace {

// A stream log that leaves the lookups when it is closed.
class ListedEvtxLog : public eventlog::EvtxLog {
  public:
    ListedEvtxLog(std::unique_ptr<eventlog::EvtxStream> stream, eventlog::LogFileFacts facts,
                  eventlog::LogFactsLedger* ledger,
                  std::shared_ptr<OfflineEventLogService::OpenLogs> open)
        : EvtxLog(std::move(stream), facts, ledger), open_(std::move(open)), key_(PathKey(facts.log)) {
        std::lock_guard lock(open_->mutex);
        open_->logs[key_] = this;
    }
    ~ListedEvtxLog() override {
        std::lock_guard lock(open_->mutex);
        const auto found = open_->logs.find(key_);
        if (found != open_->logs.end() && found->second == this)
            open_->logs.erase(found);
    }

  private:
    std::shared_ptr<OfflineEventLogService::OpenLogs> open_;
    Text key_;
};

}  // namespace

OfflineEventLogService::OfflineEventLogService(FileSystem& drive, Text systemRoot,
                                               eventlog::LogFactsLedger* ledger, int threads)
    : drive_(drive),
      systemRoot_(std::move(systemRoot)),
      ledger_(ledger),
      threads_(threads),
      open_(std::make_shared<OpenLogs>()) {}

OfflineEventLogService::~OfflineEventLogService() = default;

std::unique_ptr<EventLog> OfflineEventLogService::Open(TextView logName) {
    eventlog::LogFileFacts facts;
    facts.log = Text(logName);
    facts.path = FindEventLogFile(drive_, systemRoot_, logName);
    if (facts.path.empty()) {
        const Text evtx = EvtxPath(systemRoot_, logName);
        if (IsFolder(drive_, evtx)) {
            facts.path = evtx;
            facts.outcome = eventlog::LogFileFacts::Outcome::NotAFile;
        }
    } else if (IsEvtxPath(facts.path)) {
        if (auto stream = eventlog::EvtxStream::Open(drive_, facts.path, threads_)) {
            facts.outcome = eventlog::LogFileFacts::Outcome::Read;
            if (ledger_ != nullptr)
                ledger_->Record(facts);  // completed when the log has been read
            return std::make_unique<ListedEvtxLog>(std::move(stream), std::move(facts), ledger_,
                                                   open_);
        }
        facts.outcome = eventlog::LogFileFacts::Outcome::Unreadable;
    } else {
        ClassicLog log = ReadEvtLog(drive_, facts);
        if (ledger_ != nullptr)
            ledger_->Record(std::move(facts));
        return std::make_unique<OfflineEventLog>(std::move(log));
    }
    if (ledger_ != nullptr)
        ledger_->Record(std::move(facts));
    return std::make_unique<OfflineEventLog>(ClassicLog{});
}

std::optional<eventlog::EvtxEventFields> OfflineEventLogService::Recent(TextView logName,
                                                                         uint64_t number) {
    std::lock_guard lock(open_->mutex);
    const auto found = open_->logs.find(PathKey(logName));
    return found != open_->logs.end() ? found->second->Recent(number) : std::nullopt;
}

Text FindEventLogFile(FileSystem& drive, TextView systemRoot, TextView logName) {
    Text path = EvtxPath(systemRoot, logName);
    if (IsFile(drive, path))
        return path;
    path = EvtPath(systemRoot, logName);
    if (IsFile(drive, path))
        return path;
    return {};
}

std::unique_ptr<OfflineEventLogService> MakeOfflineEventLogService(FileSystem& drive,
                                                                   Text systemRoot,
                                                                   eventlog::LogFactsLedger* ledger,
                                                                   int threads) {
    return std::make_unique<OfflineEventLogService>(drive, std::move(systemRoot), ledger, threads);
}

}  // namespace veltrano
