// Folding a blue screen's records into one row.
#include "drive/stop_errors.h"

#include <algorithm>
#include <cstdlib>

#include "crash/hex_numbers.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

constexpr const char16_t* kBugCheckKeys[] = {u"BugCheck_1001",
                                             u"Microsoft-Windows-WER-SystemErrorReporting_1001"};
constexpr char16_t kPowerKey[] = u"Microsoft-Windows-Kernel-Power_41";
constexpr char16_t kShutdownKey[] = u"EventLog_6008";
constexpr int64_t kSameBootSeconds = 600;
// The row of blue screens known only from their kernel dumps, named as Windows Error Reporting
// names a blue screen's report.
constexpr char16_t kDumpRowApp[] = u"Windows";
constexpr char16_t kDumpRowError[] = u"BlueScreen";

// A 41 record's strings: the bug check's code in decimal, then its four parameters; a code of 0
// is a shutdown without a bug check (power lost, a hang held by the power button).
std::optional<crash::StopError> StopErrorOfPowerStrings(const std::vector<Text>& strings) {
    if (strings.size() < 5)
        return std::nullopt;
    crash::StopError stop;
    stop.bugCheckCode = static_cast<uint32_t>(ParseUnsignedDecimal(strings[0]));
    if (stop.bugCheckCode == 0)
        return std::nullopt;
    for (size_t i = 0; i < 4; ++i)
        stop.parameters[i] = crash::ParseHexNumber(Trim(strings[i + 1])).value_or(0);
    return stop;
}

bool NearAny(FileTime t, const OccurrenceTimeSet& times) {
    const int64_t seconds = FileTimeToUnixSeconds(t);
    for (FileTime other : times) {
        if (std::llabs(FileTimeToUnixSeconds(other) - seconds) <= kSameBootSeconds)
            return true;
    }
    return false;
}

// The kernel dump of the row's latest bug check: the one its record names, else one of the same
// bug check, else the newest written before the record (the dump is saved before the next boot
// writes the record).
const KernelDumpRead* DumpOfStop(const std::vector<KernelDumpRead>& dumps,
                                 const crash::StopError& stop, TextView namedPath,
                                 FileTime recordTime) {
    for (const KernelDumpRead& d : dumps) {
        if (!namedPath.empty() && EqualsNoCase(d.path, namedPath))
            return &d;
    }
    for (const KernelDumpRead& d : dumps) {
        if (stop.bugCheckCode != 0 && d.header.bugCheckCode == stop.bugCheckCode &&
            d.header.parameters == stop.parameters)
            return &d;
    }
    const KernelDumpRead* newest = nullptr;
    for (const KernelDumpRead& d : dumps) {
        const FileTime t = d.header.systemTime;
        if (t != 0 && t <= recordTime + kSameBootSeconds * kTicksPerSecond &&
            (newest == nullptr || t > newest->header.systemTime))
            newest = &d;
    }
    return newest;
}

// Takes the occurrences near the row's out of the entry of key: the entry is built again from the
// rest (each remaining time once), or goes when none is left. The records taken.
int32_t TakeSameBoot(ErrorCatalogue& catalogue, const Text& key, const OccurrenceTimeSet& rowTimes,
                     FileTime now) {
    const ErrorEntry* entry = catalogue.Find(key);
    if (entry == nullptr)
        return 0;
    std::vector<FileTime> kept;
    int32_t taken = 0;
    for (FileTime t : entry->OccurrenceTimes) {
        if (NearAny(t, rowTimes))
            ++taken;
        else
            kept.push_back(t);
    }
    if (taken == 0)
        return 0;
    ErrorEntry old = std::move(*catalogue.Remove(key));
    if (kept.empty()) {
        --catalogue.TotalErrors;
        return taken;
    }
    ErrorOccurrence occurrence;
    occurrence.AppName = old.AppName;
    occurrence.ErrorName = old.ErrorName;
    occurrence.AppPath = old.AppPath;
    occurrence.time = kept.front();
    catalogue.Add(catalogue.CreateEntry(occurrence, now));
    for (size_t i = 1; i < kept.size(); ++i) {
        occurrence.time = kept[i];
        catalogue.Merge(occurrence);
    }
    ErrorEntry& rebuilt = *catalogue.Find(key);
    old.ErrorCount = rebuilt.ErrorCount;
    old.WeekCount = rebuilt.WeekCount;
    old.MonthCount = rebuilt.MonthCount;
    old.HalfYearCount = rebuilt.HalfYearCount;
    old.WeekFirstTime = rebuilt.WeekFirstTime;
    old.MonthFirstTime = rebuilt.MonthFirstTime;
    old.HalfYearFirstTime = rebuilt.HalfYearFirstTime;
    old.LastErrorDateTime = rebuilt.LastErrorDateTime;
    old.FirstErrorDateTime = rebuilt.FirstErrorDateTime;
    old.OccurrenceTimes = std::move(rebuilt.OccurrenceTimes);
    old.QuarterHourCounts = std::move(rebuilt.QuarterHourCounts);
    rebuilt = std::move(old);
    return taken;
}

// The bug check as the 1001 record writes it: "0x0000000a (0x…, 0x…, 0x…, 0x…)".
Text BugCheckText(uint32_t code, const std::array<uint64_t, 4>& parameters, bool is64Bit) {
    Text text = crash::PaddedHex(code, 8) + u" (";
    for (size_t i = 0; i < parameters.size(); ++i)
        text += (i ? u", " : u"") + crash::PaddedHex(parameters[i], is64Bit ? 16 : 8);
    return text + u")";
}

// Where no record tells of a blue screen (the log has rolled over since, or the drive holds no
// logs), the kernel dumps that name a bug check and a time make the row: one occurrence each, the
// detail text listing them, newest first. The row's key; empty when no dump makes one.
Text RowOfKernelDumps(ErrorCatalogue& catalogue, const std::vector<KernelDumpRead>& dumps,
                      FileTime now) {
    std::vector<const KernelDumpRead*> crashes;
    for (const KernelDumpRead& d : dumps) {
        if (d.header.bugCheckCode != 0 && d.header.systemTime != 0)
            crashes.push_back(&d);
    }
    if (crashes.empty())
        return {};
    std::stable_sort(crashes.begin(), crashes.end(), [](const auto* a, const auto* b) {
        return a->header.systemTime > b->header.systemTime;
    });
    ErrorOccurrence occurrence;
    occurrence.AppName = kDumpRowApp;
    occurrence.ErrorName = kDumpRowError;
    const Text key = EntryKey(occurrence);
    if (catalogue.Find(key) != nullptr)
        return key;
    occurrence.time = crashes.front()->header.systemTime;
    ErrorEntry row = catalogue.CreateEntry(occurrence, now);
    row.Category = CategoryReportFile;
    Text detail;
    for (const KernelDumpRead* d : crashes) {
        detail += d->path + u"\r\n" +
                  BugCheckText(d->header.bugCheckCode, d->header.parameters, d->header.is64Bit) +
                  u"\r\n";
    }
    row.ErrorText = std::move(detail);
    catalogue.Add(std::move(row));
    ++catalogue.TotalErrors;
    for (size_t i = 1; i < crashes.size(); ++i) {
        occurrence.time = crashes[i]->header.systemTime;
        catalogue.Merge(occurrence);
    }
    // The drive's errors now reach back to the oldest of them, as a report's do to its file.
    const FileTime oldest = crashes.back()->header.systemTime;
    if (now > oldest)
        catalogue.MaxAgeDays =
            std::max(catalogue.MaxAgeDays, static_cast<int32_t>((now - oldest) / kTicksPerDay));
    return key;
}

Text StopSummary(const crash::StopError& stop) {
    const bool german = InterfaceLanguage() == kLanguageGerman;
    Text line = german ? u"Stoppfehler " : u"Stop error ";
    line += crash::PaddedHex(stop.bugCheckCode, 8);
    if (!stop.bugCheckName.empty())
        line += u" (" + stop.bugCheckName + u")";
    return line;
}

}  // namespace

std::optional<crash::StopError> StopErrorOfBugCheckText(TextView text) {
    text = Trim(text);
    const size_t open = text.find(u'(');
    const size_t close = text.rfind(u')');
    if (open == TextView::npos || close == TextView::npos || close < open)
        return std::nullopt;
    const auto code = crash::ParseHexNumber(Trim(text.substr(0, open)));
    if (!code || *code > 0xFFFFFFFFu)
        return std::nullopt;
    crash::StopError stop;
    stop.bugCheckCode = static_cast<uint32_t>(*code);
    TextView rest = text.substr(open + 1, close - open - 1);
    for (size_t i = 0; i < 4; ++i) {
        const size_t comma = rest.find(u',');
        const auto value = crash::ParseHexNumber(Trim(rest.substr(0, comma)));
        if (!value || (i < 3) != (comma != TextView::npos))
            return std::nullopt;
        stop.parameters[i] = *value;
        rest = comma == TextView::npos ? TextView() : rest.substr(comma + 1);
    }
    return stop;
}

void FoldStopErrors(ErrorCatalogue& catalogue, const std::vector<KernelDumpRead>& kernelDumps,
                    FileTime now, crash::CrashFindings& findings) {
    Text rowKey;
    crash::StopError stop;
    Text namedDump;
    for (const char16_t* key : kBugCheckKeys) {
        const ErrorEntry* row = catalogue.Find(Text(key));
        if (row == nullptr)
            continue;
        rowKey = key;
        const auto& strings = row->InsertionStrings;
        if (auto fromText = strings.empty() ? std::nullopt : StopErrorOfBugCheckText(strings[0]))
            stop = *fromText;
        if (strings.size() > 1)
            namedDump = strings[1];
        break;
    }
    if (rowKey.empty()) {
        const ErrorEntry* power = catalogue.Find(Text(kPowerKey));
        const auto fromPower =
            power != nullptr ? StopErrorOfPowerStrings(power->InsertionStrings) : std::nullopt;
        if (fromPower) {
            rowKey = kPowerKey;
            stop = *fromPower;
        } else {
            rowKey = RowOfKernelDumps(catalogue, kernelDumps, now);
            if (rowKey.empty())
                return;
        }
    }
    ErrorEntry* row = catalogue.Find(rowKey);
    if (const KernelDumpRead* d =
            DumpOfStop(kernelDumps, stop, namedDump, row->LastErrorDateTime)) {
        stop.dumpPath = d->path;
        stop.dump = d->header;
        if (stop.bugCheckCode == 0) {
            stop.bugCheckCode = d->header.bugCheckCode;
            stop.parameters = d->header.parameters;
        }
    }
    stop.bugCheckName = dump::BugCheckName(stop.bugCheckCode);
    const OccurrenceTimeSet rowTimes = row->OccurrenceTimes;
    if (rowKey != kPowerKey)
        stop.powerRecords = TakeSameBoot(catalogue, Text(kPowerKey), rowTimes, now);
    stop.shutdownRecords = TakeSameBoot(catalogue, Text(kShutdownKey), rowTimes, now);
    // The row's entry may have moved while the others were rebuilt.
    row = catalogue.Find(rowKey);
    if (stop.bugCheckCode != 0)
        row->ErrorSummary = CopyCapped(StopSummary(stop), kSummaryCapacity);
    findings.stopErrors[rowKey] = std::move(stop);
}

}  // namespace veltrano
