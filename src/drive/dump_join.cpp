// Joining dumps to errors.
#include "drive/dump_join.h"

#include <cstdlib>

#include "crash/hex_numbers.h"
#include "engine/crash_strings.h"
#include "engine/report_archive.h"

namespace veltrano {
namespace {

constexpr char16_t kCrashSource[] = u"Application Error: ";
constexpr int64_t kJoinSeconds = 120;

// The value of the signature entry whose name is given: "Sig[3].Name=Fault Module Name" names
// "Sig[3].Value=…".
Text SignatureValue(TextView reportText, TextView name) {
    for (TextView line : SplitLines(reportText)) {
        const size_t dot = line.find(u"].Name=");
        if (!StartsWith(line, u"Sig[") || dot == TextView::npos || line.substr(dot + 7) != name)
            continue;
        const Text valueKey = Text(line.substr(0, dot)) + u"].Value=";
        for (TextView other : SplitLines(reportText)) {
            if (StartsWith(other, valueKey))
                return Text(other.substr(valueKey.size()));
        }
    }
    return {};
}

// The program a LocalDumps file is of: its process's first module, else the file name up to the
// process id ("lumen.exe.1234.dmp").
Text DumpProgram(TextView dumpPath, const crash::CrashAnalysis& analysis) {
    if (!analysis.modules.empty())
        return analysis.modules.front().name;
    TextView name = dumpPath.substr(dumpPath.rfind(u'\\') + 1);
    for (int part = 0; part < 2; ++part) {
        const size_t dot = name.rfind(u'.');
        if (dot == TextView::npos)
            return {};
        name = name.substr(0, dot);
    }
    return Text(name);
}

bool HasOccurrenceNear(const ErrorEntry& entry, int64_t seconds) {
    for (FileTime t : entry.OccurrenceTimes) {
        if (std::llabs(FileTimeToUnixSeconds(t) - seconds) <= kJoinSeconds)
            return true;
    }
    return false;
}

}  // namespace

RecordFault ReportFault(TextView reportText) {
    return {SignatureValue(reportText, u"Fault Module Name"),
            SignatureValue(reportText, u"Exception Offset")};
}

std::optional<DumpOwner> OwnerOfReportDump(const ErrorCatalogue& catalogue, FileSystem& files,
                                           TextView reportFile) {
    const auto text = ReadReportText(files, reportFile);
    if (!text)
        return std::nullopt;
    ErrorOccurrence occurrence;
    ParseReportText(*text, occurrence);
    DumpOwner owner{EntryKey(occurrence), crash::DumpJoin::ReportFolder, ReportFault(*text)};
    const ErrorEntry* report = catalogue.Find(owner.key);
    if (report == nullptr)
        return std::nullopt;
    if (report->Linked == 1) {
        const auto event = catalogue.EventReportIndex.find(occurrence.ReportId);
        if (event != catalogue.EventReportIndex.end() && catalogue.Find(event->second) != nullptr)
            owner.key = event->second;
    }
    return owner;
}

std::optional<DumpOwner> OwnerOfLocalDump(const ErrorCatalogue& catalogue, TextView dumpPath,
                                          const crash::CrashAnalysis& analysis) {
    const Text program = DumpProgram(dumpPath, analysis);
    if (program.empty() || analysis.dumpTime == 0)
        return std::nullopt;
    const int64_t when = analysis.dumpTime;
    std::optional<DumpOwner> byTime;
    for (const auto& [key, entry] : catalogue.entries) {
        if (entry.Category != CategoryApplicationError || !StartsWith(entry.AppName, kCrashSource) ||
            !EqualsNoCase(TextView(entry.AppName).substr(std::size(kCrashSource) - 1), program) ||
            !HasOccurrenceNear(entry, when))
            continue;
        // The entry's strings are those of its latest record: they name that crash's process.
        const CrashStringFacts facts = CrashFactsFromStrings(
            CrashSource::Crash, static_cast<uint32_t>(ParseUnsignedDecimal(entry.ErrorName)),
            entry.InsertionStrings);
        const auto recordProcess = crash::ParseHexNumber(facts.processId);
        const bool latestIsIt =
            std::llabs(FileTimeToUnixSeconds(entry.LastErrorDateTime) - when) <= kJoinSeconds;
        if (recordProcess && analysis.processId && latestIsIt) {
            if (*recordProcess == *analysis.processId)
                return DumpOwner{key, crash::DumpJoin::ProcessAndTime, {}};
            continue;  // the latest crash of the program near that time is another process
        }
        if (!byTime)
            byTime = DumpOwner{key, crash::DumpJoin::Time, {}};
    }
    return byTime;
}

RecordFault FaultOfRecord(const ErrorEntry& entry, const RecordFault& reportFault) {
    return !entry.FaultModule.empty() ? RecordFault{entry.FaultModule, entry.FaultOffset}
                                      : reportFault;
}

crash::FaultAgreement CompareFault(const RecordFault& fault, const crash::CrashAnalysis& analysis) {
    const auto offset = crash::ParseHexNumber(fault.offset);
    if (fault.module.empty() || !offset)
        return crash::FaultAgreement::RecordSilent;
    const auto& dumped = analysis.faultingModule;
    // A fault in no module: the record says "unknown" and gives the address itself.
    const bool same = dumped ? EqualsNoCase(dumped->name, fault.module) &&
                                   dumped->offset == *offset
                             : EqualsNoCase(fault.module, u"unknown") &&
                                   analysis.exceptionAddress == *offset;
    return same ? crash::FaultAgreement::Agrees : crash::FaultAgreement::Differs;
}

}  // namespace veltrano
