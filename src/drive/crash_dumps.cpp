// Reading a drive's dumps and joining them to its errors.
#include "drive/crash_dumps.h"

#include <mutex>

#include "drive/dump_join.h"
#include "drive/dump_places.h"
#include "drive/stop_errors.h"
#include "platform/clock.h"

namespace veltrano {
namespace {

std::string Problem(const FoundDump& found, const std::vector<std::string>& why) {
    std::string line = Utf16ToUtf8(found.path) + ": ";
    line += why.empty() ? std::string("not a dump that can be read") : why.front();
    return line;
}

// Keeps the newest dump of each error.
void Keep(crash::CrashFindings& findings, const ErrorCatalogue& catalogue, const DumpOwner& owner,
          const FoundDump& found, crash::CrashAnalysis analysis) {
    const ErrorEntry* entry = catalogue.Find(owner.key);
    if (entry == nullptr)
        return;
    auto [at, added] = findings.dumps.try_emplace(owner.key);
    crash::JoinedDump& joined = at->second;
    if (!added) {
        ++joined.dumps;
        if (analysis.dumpTime <= joined.analysis.dumpTime)
            return;
    }
    joined.path = found.path;
    joined.join = owner.join;
    const RecordFault fault = FaultOfRecord(*entry, owner.reportFault);
    joined.agreement = CompareFault(fault, analysis);
    joined.recordModule = fault.module;
    joined.recordOffset = fault.offset;
    joined.analysis = std::move(analysis);
}

}  // namespace

crash::CrashFindings ReadCrashDumps(ErrorCatalogue& catalogue, Machine& machine,
                                    const std::vector<ReportFolder>& reportFolders) {
    crash::CrashFindings findings;
    if (machine.files == nullptr)
        return findings;
    FileSystem& files = *machine.files;
    crash::CrashOptions options;
    options.messages = machine.messages;
    std::vector<KernelDumpRead> kernelDumps;
    std::lock_guard lock(catalogue.CatalogueLock);
    for (const FoundDump& found :
         FindDumps(files, machine.registry, machine.environment, reportFolders)) {
        if (found.place == DumpPlace::Kernel) {
            std::string problem;
            if (auto header = dump::ReadKernelDumpHeader(files, found.path, &problem)) {
                ++findings.dumpsRead;
                kernelDumps.push_back({found.path, std::move(*header)});
            } else {
                findings.problems.push_back(Problem(found, {problem}));
            }
            continue;
        }
        crash::CrashAnalysis analysis = crash::AnalyseDump(files, found.path, options);
        if (!analysis.readable) {
            findings.problems.push_back(Problem(found, analysis.problems));
            continue;
        }
        ++findings.dumpsRead;
        const auto owner = found.place == DumpPlace::ReportFolder
                               ? OwnerOfReportDump(catalogue, files, found.reportFile)
                               : OwnerOfLocalDump(catalogue, found.path, analysis);
        if (owner)
            Keep(findings, catalogue, *owner, found, std::move(analysis));
    }
    const FileTime now = machine.clock != nullptr ? machine.clock->UtcNow() : 0;
    FoldStopErrors(catalogue, kernelDumps, now, findings);
    return findings;
}

}  // namespace veltrano
