// The event query port of an analysed drive: what the event query service of Windows does for
// a record of a manifest-based provider, done from the drive's files. The record (found by its
// log and number in the log's .evtx file) names its provider's GUID, the event's identifier and
// version and its data values; the publisher key of the SOFTWARE hive names the provider's
// files; the manifest maps the event to its message; the message is formatted with the values
// in the template's order, FormatMessageW's rules, and "%%n" parameters from the provider's
// parameter file (else its message file, else the system's table).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/environment.h"
#include "platform/event_query.h"
#include "platform/files.h"
#include "platform/message_tables.h"
#include "platform/offline/eventlog/decoded_records.h"
#include "platform/offline/eventlog/evtx_stream.h"
#include "platform/offline/manifest/provider_files.h"
#include "platform/offline/manifest/publisher_registration.h"
#include "platform/registry.h"

namespace veltrano::manifest {

// How the text of a record came out, from the first step that failed.
enum class QueryOutcome {
    Resolved,
    NoRecord,          // the log file has no record of that number, or is not an .evtx file
    NotRegistered,     // the record names no provider GUID, or the drive has no publisher key
    FilesMissing,      // a file the registration names is not on the drive (nor its .mui/.mun)
    NoMessage,         // no definition of the event, no message identifier or no such message
    FormattingFailed,  // the message is there but FormatMessageW's rules give no text
};

struct QueryResult {
    QueryOutcome outcome = QueryOutcome::NoRecord;
    std::optional<Text> text;
    Text provider;  // the record's provider name, when the record was found
};

class ManifestEventQuery : public EventQuery {
  public:
    // drive and systemRoot as for the other offline adapters; registry: the drive's hives;
    // environment: expands the registered paths; messages: the system's table for parameters
    // (may be null). All must outlive the port.
    ManifestEventQuery(FileSystem& drive, Text systemRoot, Registry& registry,
                       Environment* environment, MessageTables* messages);
    ~ManifestEventQuery() override;

    // records: the event-log port whose reads the queries follow, so that a record is taken from
    // the read that handed it out (may be null: every record is then read from its log's file).
    void FollowReads(eventlog::DecodedRecords* records) { reads_ = records; }

    std::optional<Text> EventText(TextView logName, uint32_t recordNumber) override;
    QueryResult Query(TextView logName, uint32_t recordNumber);

    struct Record;
    struct FileLog;

  private:
    std::optional<Record> FindRecord(TextView logName, uint32_t recordNumber);
    std::optional<Record> ReadRecord(TextView logName, uint32_t recordNumber);
    std::shared_ptr<const PublisherRegistration> Publisher(const Text& guid);
    ProviderFiles& Files();
    QueryResult Resolve(const Record& record);
    std::optional<Text> Parameter(const std::vector<Text>& parameterFiles,
                                  const std::vector<Text>& messageFiles, uint32_t id);

    FileSystem& drive_;
    Text systemRoot_;
    Registry& registry_;
    Environment* environment_;
    MessageTables* messages_;
    eventlog::DecodedRecords* reads_ = nullptr;
    std::mutex mutex_;  // guards the lazily opened logs and files, and the outcomes
    // Logs opened for records that no read handed out: their chunk directory and last group.
    std::map<Text, std::unique_ptr<FileLog>> fileLogs_;
    // The records that gave no text, so that telling why later reads nothing again.
    std::map<std::pair<Text, uint32_t>, QueryResult> failures_;
    std::unique_ptr<ProviderFiles> files_;
    // Registrations by GUID as the record writes it (null: none); the hive does not change.
    std::map<Text, std::shared_ptr<const PublisherRegistration>> publishers_;
};

}  // namespace veltrano::manifest
