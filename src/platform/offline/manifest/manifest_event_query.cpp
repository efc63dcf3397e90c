// Resolving a record's text through its provider's manifest.
#include "platform/offline/manifest/manifest_event_query.h"

#include <array>

#include "platform/offline/eventlog/offline_event_log.h"
#include "platform/offline/manifest/crim_format.h"
#include "platform/offline/messages/format_message.h"

namespace veltrano::manifest {

struct ManifestEventQuery::Record {
    Text provider;
    Text guid;
    uint16_t id = 0;
    uint8_t version = 0;
    std::vector<Text> values;  // the event's data in document order: the template's order
};

struct ManifestEventQuery::FileLog {
    std::unique_ptr<eventlog::EvtxStream> stream;
    std::optional<eventlog::EvtxGroup> group;  // the one read last
};

namespace {

constexpr char16_t kLanguageKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Nls\\Language";

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// "%%" and decimal digits in a formatted text: the event query service replaces each by the
// parameter message of that number and leaves the ones it cannot find as they are.
template <typename Lookup>
Text SubstituteParameters(TextView text, Lookup lookup) {
    Text out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'%' && i + 2 < text.size() && text[i + 1] == u'%' && IsDigit(text[i + 2])) {
            size_t end = i + 2;
            uint64_t number = 0;
            while (end < text.size() && IsDigit(text[end]) && number <= 0xFFFFFFFFu)
                number = number * 10 + static_cast<uint64_t>(text[end++] - u'0');
            if (number <= 0xFFFFFFFFu) {
                if (auto parameter = lookup(static_cast<uint32_t>(number))) {
                    out += *parameter;
                    i = end;
                    continue;
                }
            }
            out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        out.push_back(text[i++]);
    }
    return out;
}

Text InstallCulture(Registry& registry) {
    const Text value = registry.ReadMachineString(kLanguageKey, u"InstallLanguage");
    if (value.empty() || value.size() > 4)
        return {};
    uint16_t language = 0;
    for (const char16_t c : value) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return {};
        language = static_cast<uint16_t>(language << 4 | digit);
    }
    return CultureOfLanguage(language);
}

}  // namespace

ManifestEventQuery::ManifestEventQuery(FileSystem& drive, Text systemRoot, Registry& registry,
                                       Environment* environment, MessageTables* messages)
    : drive_(drive),
      systemRoot_(std::move(systemRoot)),
      registry_(registry),
      environment_(environment),
      messages_(messages) {}

ManifestEventQuery::~ManifestEventQuery() = default;

std::optional<Text> ManifestEventQuery::EventText(TextView logName, uint32_t recordNumber) {
    return Query(logName, recordNumber).text;
}

namespace {

// What the manifest needs of a record; the first copy of a record number wins, as in the
// event-log port.
template <typename Events>
std::optional<ManifestEventQuery::Record> RecordOf(const Events& events, uint64_t number) {
    for (const eventlog::EvtxEventFields& f : events) {
        if (f.recordId != number)
            continue;
        ManifestEventQuery::Record r;
        r.provider = f.provider;
        r.guid = f.providerGuid;
        r.id = f.eventId;
        r.version = f.version;
        if (!r.guid.empty())
            r.values = f.StringList();
        return r;
    }
    return std::nullopt;
}

}  // namespace

std::optional<ManifestEventQuery::Record> ManifestEventQuery::FindRecord(TextView logName,
                                                                         uint32_t recordNumber) {
    if (reads_ != nullptr) {
        if (const auto fields = reads_->Recent(logName, recordNumber))
            return RecordOf(std::array{*fields}, recordNumber);
    }
    return ReadRecord(logName, recordNumber);
}

std::optional<ManifestEventQuery::Record> ManifestEventQuery::ReadRecord(TextView logName,
                                                                         uint32_t recordNumber) {
    auto& slot = fileLogs_[PathKey(logName)];
    if (!slot) {
        slot = std::make_unique<FileLog>();
        const Text path = FindEventLogFile(drive_, systemRoot_, logName);
        if (EndsWithNoCase(path, u".evtx"))  // classic logs predate manifests
            slot->stream = eventlog::EvtxStream::Open(drive_, path);
    }
    if (!slot->stream)
        return std::nullopt;
    if (!slot->group || recordNumber < slot->group->firstNumber ||
        recordNumber > slot->group->lastNumber) {
        slot->group = slot->stream->GroupHolding(recordNumber);
        if (!slot->group)
            return std::nullopt;
    }
    return RecordOf(slot->group->events, recordNumber);
}

ProviderFiles& ManifestEventQuery::Files() {
    if (!files_)
        files_ = std::make_unique<ProviderFiles>(drive_, systemRoot_, InstallCulture(registry_));
    return *files_;
}

QueryResult ManifestEventQuery::Query(TextView logName, uint32_t recordNumber) {
    std::optional<Record> record;
    const auto key = std::pair(PathKey(logName), recordNumber);
    {
        std::lock_guard lock(mutex_);
        if (const auto failed = failures_.find(key); failed != failures_.end())
            return failed->second;
        record = FindRecord(logName, recordNumber);
        Files();
    }
    QueryResult result;
    if (record) {
        result = Resolve(*record);
        result.provider = record->provider;
    }
    if (!result.text) {
        std::lock_guard lock(mutex_);
        failures_.emplace(key, result);
    }
    return result;
}

std::shared_ptr<const PublisherRegistration> ManifestEventQuery::Publisher(const Text& guid) {
    std::lock_guard lock(mutex_);
    const auto found = publishers_.find(guid);
    if (found != publishers_.end())
        return found->second;
    auto registration = ReadPublisher(registry_, environment_, guid);
    auto& slot = publishers_[guid];
    if (registration)
        slot = std::make_shared<const PublisherRegistration>(std::move(*registration));
    return slot;
}

QueryResult ManifestEventQuery::Resolve(const Record& record) {
    QueryResult result;
    result.outcome = QueryOutcome::NotRegistered;
    const auto publisher = Publisher(record.guid);
    if (!publisher)
        return result;

    const EventDefinition* definition = nullptr;
    bool anyFile = false;
    for (const Text& file : publisher->resourceFiles) {
        const ManifestLookup lookup = files_->Manifest(file);
        anyFile = anyFile || lookup.state != FileState::Missing;
        const ManifestProvider* provider =
            lookup.manifest ? lookup.manifest->Find(record.guid) : nullptr;
        if (provider && (definition = provider->Find(record.id, record.version)))
            break;
    }
    result.outcome = anyFile ? QueryOutcome::NoMessage : QueryOutcome::FilesMissing;
    if (definition == nullptr || definition->messageId == kNoMessage)
        return result;

    const std::vector<Text>& messageFiles =
        publisher->messageFiles.empty() ? publisher->resourceFiles : publisher->messageFiles;
    std::optional<Text> message;
    anyFile = false;
    for (const Text& file : messageFiles) {
        const MessageLookup lookup = files_->Messages(file);
        anyFile = anyFile || lookup.state != FileState::Missing;
        if (lookup.table && (message = lookup.table->Find(definition->messageId)))
            break;
    }
    if (!message) {
        result.outcome = anyFile ? QueryOutcome::NoMessage : QueryOutcome::FilesMissing;
        return result;
    }
    const auto formatted = FormatMessageText(*message, &record.values);
    if (!formatted) {
        result.outcome = QueryOutcome::FormattingFailed;
        return result;
    }
    result.text = SubstituteParameters(*formatted, [&](uint32_t id) {
        return Parameter(publisher->parameterFiles, messageFiles, id);
    });
    result.outcome = QueryOutcome::Resolved;
    return result;
}

std::optional<Text> ManifestEventQuery::Parameter(const std::vector<Text>& parameterFiles,
                                                  const std::vector<Text>& messageFiles,
                                                  uint32_t id) {
    for (const auto* files : {&parameterFiles, &messageFiles}) {
        for (const Text& file : *files) {
            const MessageLookup lookup = files_->Messages(file);
            if (!lookup.table)
                continue;
            if (const auto text = lookup.table->Find(id))
                return FormatMessageText(*text, nullptr);
        }
    }
    return messages_ != nullptr ? messages_->SystemMessage(id) : std::nullopt;
}

}  // namespace veltrano::manifest
