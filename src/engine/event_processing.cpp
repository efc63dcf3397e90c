// Classification and parsing of event records.
#include "engine/event_processing.h"

#include <mutex>
#include <tuple>

#include "engine/crash_strings.h"
#include "engine/link_reports.h"
#include "engine/message_texts.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

constexpr char16_t kApplicationError[] = u"Application Error";
constexpr char16_t kApplicationHang[] = u"Application Hang";
constexpr size_t kCrashNameChars = 108;
constexpr size_t kHangNameChars = 109;

// Line positions of the nine-line crash message and the six-line hang message.
constexpr size_t kCrashLines = 9;
constexpr size_t kHangLines = 6;
constexpr size_t kCrashPathLine = 7;
constexpr size_t kHangPathLine = 5;
constexpr size_t kCrashCodeLine = 3;

Text ValueOf(TextView line) {
    const size_t colon = line.find(u": ");
    return colon == TextView::npos ? Text() : Text(line.substr(colon + 2));
}

Text ReportIdOf(const MessageLines& lines) {
    Text id = lines.ValueAt(kCrashLines, kCrashLines);
    if (id.empty())
        id = lines.ValueAt(kHangLines, kHangLines);
    return id;
}

Text LabelledPath(const MessageLines& lines) {
    for (TextView line : lines.lines) {
        for (TextView label :
             {TextView(u"Faulting application path: "), TextView(u"Application Path: ")}) {
            if (StartsWith(line, label))
                return Text(line.substr(label.size()));
        }
    }
    return {};
}

Text FirstLine(const MessageLines& lines) {
    return lines.lines.empty() ? Text() : Text(lines.lines.front());
}

// Builds the summary, path and exception code of a new entry from its message; where the message
// gives none, from what its strings say.
void DescribeNewEntry(ErrorEntry& entry, Machine& machine, const CrashStringFacts& fromStrings) {
    const bool crash = StartsWith(entry.AppName, kApplicationError);
    const bool hang = StartsWith(entry.AppName, kApplicationHang);
    const MessageLines lines = ReadMessageLines(entry.ErrorText ? TextView(*entry.ErrorText)
                                                                : TextView());

    Text path;
    if (crash)
        path = lines.ValueAt(kCrashLines, kCrashPathLine);
    if (path.empty() && hang)
        path = lines.ValueAt(kHangLines, kHangPathLine);
    if (path.empty())
        path = LabelledPath(lines);
    if (path.empty() && !entry.ErrorText)
        path = fromStrings.appPath;
    if (!path.empty())
        entry.AppPath = CopyCapped(path, kPathCapacity);

    if (hang) {
        entry.ErrorSummary = CopyCapped(FirstLine(lines), kSummaryCapacity);
    } else if (crash) {
        entry.ErrorSummary = CopyCapped(LocalText(LT_APP_STOPPED), kSummaryCapacity);
        Text code = lines.ValueAt(kCrashLines, kCrashCodeLine);
        if (code.empty() && !entry.ErrorText)
            code = fromStrings.exceptionCode;
        if (!code.empty()) {
            entry.ExceptionCode = CopyCapped(code, kExceptionCodeCapacity);
            AppendExceptionCode(entry.ErrorSummary, entry.ExceptionCode, machine.messages);
        }
    } else {
        entry.ErrorSummary = CopyCapped(FirstLine(lines), kSummaryCapacity);
    }
    entry.FaultModule = fromStrings.faultModule;
    entry.FaultModuleVersion = fromStrings.faultModuleVersion;
    entry.FaultOffset = fromStrings.faultOffset;
}

// The message texts through the fill's modules; strings are the record's insertion strings when
// they have been read.
MessageTexts ResolveTexts(RecordContext& context, Machine& machine, const EventRecordView& record,
                          TextView logName, const EventRecordView::Strings* strings) {
    MessageModule* module = context.messageFiles.Module(machine, logName, context.source);
    return module != nullptr ? ResolveMessageTexts(*module, record, strings) : MessageTexts();
}

std::optional<CrashSource> CrashSourceOf(TextView appName) {
    if (StartsWith(appName, kApplicationError))
        return CrashSource::Crash;
    if (StartsWith(appName, kApplicationHang))
        return CrashSource::Hang;
    return std::nullopt;
}

}  // namespace

Text MessageLines::ValueAt(size_t count, size_t number) const {
    if (lines.size() != count || number == 0 || number > count)
        return {};
    return ValueOf(lines[number - 1]);
}

MessageLines ReadMessageLines(TextView message) {
    return MessageLines{SplitLines(message)};
}

std::optional<FileTime> ProcessEventRecord(const EventRecordView& record, TextView logName,
                                           ErrorCatalogue& catalogue, Machine& machine) {
    RecordContext context;
    return ProcessEventRecord(record, logName, catalogue, machine, context);
}

std::optional<FileTime> ProcessEventRecord(const EventRecordView& record, TextView logName,
                                           ErrorCatalogue& catalogue, Machine& machine,
                                           RecordContext& context) {
    if (record.EventType() != kEventTypeError)
        return std::nullopt;
    const int64_t seconds = static_cast<int64_t>(static_cast<int32_t>(record.TimeGenerated())) +
                            kEpochDifferenceSeconds;
    const FileTime t = static_cast<FileTime>(seconds) * kTicksPerSecond;

    // The context's occurrence keeps its room from record to record; an event record sets only
    // its time, names and report identifier.
    ErrorOccurrence& occurrence = context.occurrence;
    occurrence.time = t;
    record.ReadSourceName(context.source);
    occurrence.AppName.clear();
    AppendCapped(occurrence.AppName, context.source, kNameCapacity);
    occurrence.SetErrorName(UnsignedText(record.EventID() & 0xFFFF));
    occurrence.ReportId.clear();
    int32_t category = CategoryEventLog;
    for (auto [source, limit, kind] :
         {std::tuple{kApplicationError, kCrashNameChars, CategoryApplicationError},
          std::tuple{kApplicationHang, kHangNameChars, CategoryApplicationHang}}) {
        if (occurrence.AppName != source)
            continue;
        record.ReadTextAt(record.StringOffset(), context.program);
        if (!context.program.empty()) {
            AppendCapped(occurrence.AppName, u": ", kNameCapacity);
            AppendCapped(occurrence.AppName, TextView(context.program).substr(0, limit),
                         kNameCapacity);
        }
        category = kind;
    }

    // Crash and hang records need their report identifier for the merge; everything else is
    // resolved only when it creates a new entry.
    // Without a message text, the strings say what it would have said.
    std::optional<MessageTexts> texts;
    const std::optional<CrashSource> crashSource = CrashSourceOf(occurrence.AppName);
    EventRecordView::Strings strings;
    CrashStringFacts fromStrings;
    // An entry keeps the report identifier of its latest occurrence: an older one (a log is read
    // newest first) merges without it, and its text need not be resolved.
    bool takesReportId = false;
    if (crashSource) {
        std::lock_guard lock(catalogue.CatalogueLock);
        takesReportId = catalogue.TakesReportId(occurrence);
    }
    if (takesReportId) {
        strings = record.InsertionStrings();
        texts = ResolveTexts(context, machine, record, logName, &strings);
        fromStrings = CrashFactsFromStrings(*crashSource, record.EventID(), strings.values);
        occurrence.SetReportId(texts->ErrorText
                                   ? ReportIdOf(ReadMessageLines(*texts->ErrorText))
                                   : fromStrings.reportId);
    }
    {
        std::lock_guard lock(catalogue.CatalogueLock);
        if (catalogue.Merge(occurrence))
            return t;
    }

    if (!crashSource)
        strings = record.InsertionStrings();
    if (!texts)
        texts = ResolveTexts(context, machine, record, logName, crashSource ? nullptr : &strings);
    if (!texts->ErrorText)
        texts->ErrorText = QueryEventText(machine, logName, record.RecordNumber());

    const FileTime now = machine.clock != nullptr ? machine.clock->UtcNow() : t;
    ErrorEntry entry = catalogue.CreateEntry(occurrence, now);
    entry.Category = category;
    entry.ErrorText = std::move(texts->ErrorText);
    entry.MessageTemplate = std::move(texts->MessageTemplate);
    entry.ErrorTextParams = std::move(texts->ErrorTextParams);
    entry.InsertionStrings = std::move(strings.values);
    entry.Origin = RecordOrigin{Text(logName), record.RecordNumber(), context.source,
                                record.EventID()};
    DescribeNewEntry(entry, machine, fromStrings);

    std::lock_guard lock(catalogue.CatalogueLock);
    catalogue.Add(std::move(entry));
    return t;
}

void ProcessEventRecords(const uint8_t* buffer, uint32_t bytesRead, TextView logName,
                         ErrorCatalogue& catalogue, Machine& machine,
                         std::optional<FileTime>& oldestErrorTime) {
    RecordContext context;
    WalkEventRecords(buffer, bytesRead, [&](const EventRecordView& record) {
        // A record read before (at the boundary of two passes over one log) counts once.
        if (!catalogue.NoteRecord(logName, record.RecordNumber()))
            return;
        if (auto t = ProcessEventRecord(record, logName, catalogue, machine, context))
            oldestErrorTime = t;
    });
}

}  // namespace veltrano
