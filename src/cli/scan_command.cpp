// The veltrano-scan command.
#include "cli/scan_command.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/message_stats.h"
#include "cli/missing_texts.h"
#include "cli/options.h"
#include "cli/output_formats.h"
#include "cli/scan_machine.h"
#include "cli/scan_progress.h"
#include "cli/source_facts.h"
#include "engine/error_rows.h"
#include "engine/scan.h"
#include "engine/scan_messages.h"
#include "export/report_export.h"
#include "export/xml_report.h"
#include "fleet/fleet_command.h"
#include "fleet/fleet_output.h"
#include "fleet/machine_name.h"
#include "platform/host.h"
#include "report/html/page_writer.h"
#include "shell/local_texts.h"
#include "shell/path_variables.h"

namespace veltrano {
namespace {

// The project's one version, from the build.
constexpr char kVersion[] = "veltrano-scan " VELTRANO_VERSION "\n";
constexpr char16_t kFileVersion[] = u"" VELTRANO_VERSION;

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "veltrano-scan: %s\n", message.c_str());
    return code;
}

Text HostText(const std::string& path) {
    return Utf8PathToUtf16(path);
}

// Writes the XML report (and its archive) as the window's export does, to the given paths.
int WriteExports(const ScanOptions& options, ScanMachine& scan, const ErrorCatalogue& catalogue) {
    if (!options.xmlPath && !options.zipPath)
        return 0;
    FileSystem& host = scan.HostFiles();
    if (scan.machine().environment != nullptr)
        BuildPathVariables(*scan.machine().environment);
    // Without --xml the report is written beside the archive, packed, and removed again.
    const std::string xml =
        options.xmlPath
            ? *options.xmlPath
            : std::filesystem::path(*options.zipPath).replace_extension(".xml").string();
    uint32_t openError = 0;
    if (WriteErrorReport(host, *scan.machine().clock, HostText(xml), catalogue, &openError) != 0) {
        return Fail(1, "cannot write " + xml + " (error " + std::to_string(openError) + ")");
    }
    int code = 0;
    if (options.zipPath) {
        const uint32_t result =
            PackReport(host, *scan.machine().ansi, HostText(xml), HostText(*options.zipPath));
        if (result != 0)
            code = Fail(1, "cannot write " + *options.zipPath + " (ZIP result " +
                               std::to_string(result) + ")");
    }
    if (!options.xmlPath)
        host.Remove(HostText(xml));
    return code;
}

// The report page of the scanned machine. Its facts are the header's lines of what the scan read
// and skipped (the scan's own account on standard error, line by line).
int WriteHtml(const ScanOptions& options, ScanMachine& scan, const ErrorCatalogue& catalogue,
              const Text& name, const std::vector<std::string>& factLines) {
    if (!options.htmlPath)
        return 0;
    // The same facts the scan printed: "System: <file>: 812 records, …" as label and value.
    std::vector<ReportFact> facts;
    for (const std::string& line : factLines) {
        const size_t colon = line.find(": ");
        facts.push_back({Utf8ToUtf16(line.substr(0, colon)), Utf8ToUtf16(line.substr(colon + 2))});
    }
    ReportPage page;
    page.fileVersion = kFileVersion;
    page.machines.push_back(ScannedMachine(scan.machine(), catalogue, name, std::move(facts)));
    if (!WriteReportPage(scan.HostFiles(), HostText(*options.htmlPath), page))
        return Fail(1, "cannot write " + *options.htmlPath);
    return 0;
}

}  // namespace

int RunScanCommand(const std::vector<std::string>& arguments) {
    UseBinaryStandardOutput();
    const ParsedOptions parsed = ParseScanOptions(arguments);
    if (!parsed.error.empty())
        return Fail(2, parsed.error + " (see --help)");
    const ScanOptions& options = parsed.options;
    if (options.help) {
        Print(kUsage);
        return 0;
    }
    if (options.version) {
        Print(kVersion);
        return 0;
    }
    if (IsFleetRun(options)) {
        if (!options.logFiles.empty() || !options.reportFolders.empty())
            return Fail(2, "--log and --reports add to one machine: not with several machines");
        return RunFleetCommand(options);
    }

    MachineProblem problem;
    auto scan = ScanMachine::Make(options, problem);
    if (!scan)
        return Fail(problem.exitCode, problem.message);
    Machine& machine = scan->machine();
    const uint16_t language = options.language == kLanguageGerman    ? 0x0407
                              : options.language == kLanguageEnglish ? 0x0409
                              : machine.system != nullptr ? machine.system->UserDefaultLanguage()
                                                          : 0x0409;
    InitLocalTexts(language, u"");
    const std::vector<Text> missingHives = scan->MissingHives();
    if (options.messageStats) {
        const MessageStatistics stats =
            CountMessageTexts(machine, scan->ManifestQuery(), !missingHives.empty());
        for (const std::string& line : SourceFactLines({}, missingHives))
            std::fprintf(stderr, "%s\n", line.c_str());
        Print(options.format == OutputFormat::Json ? RenderMessageStatsJson(stats)
                                                   : RenderMessageStatsTable(stats));
        std::fflush(stdout);
        return 0;
    }

    const bool machineReadable =
        options.format == OutputFormat::Json || options.format == OutputFormat::Ndjson;
    const bool quiet = machineReadable && !StandardErrorIsTerminal();
    ErrorCatalogue catalogue;
    const FileTime scanTime = machine.clock->UtcNow();
    {
        ScanProgress progress(machine, scan->LogFacts());
        catalogue.ownerWindow = &progress;
        ScanScope scope;
        scope.reportQueues = true;
        scope.reportFolders = scan->GivenReportFolders();
        RunScan(catalogue, machine, scope);
        catalogue.ownerWindow = nullptr;
    }
    ExplainMissingTexts(catalogue, machine, scan->ManifestQuery(), !missingHives.empty());
    const Text name = MachineName(machine, options.root.value_or(""), scan->LogFacts());

    const auto* logFacts = scan->LogFacts();
    const std::vector<eventlog::LogFileFacts> shownLogs = scan->ShownLogFacts();
    const std::vector<std::string> factLines = SourceFactLines(shownLogs, missingHives);
    if (!quiet) {
        for (const std::string& line : factLines)
            std::fprintf(stderr, "%s\n", line.c_str());
    }

    // A database wants every error of a machine, whatever the window would show first; a drive
    // is mostly analysed long after its last error, so a list falls back to all of them.
    const int interval = options.interval.value_or(options.format == OutputFormat::Ndjson
                                                       ? IntervalAll
                                                       : FirstIntervalWithErrorsOrAll(catalogue));
    Clock& clock = *machine.clock;
    const auto rows = BuildErrorRows(catalogue, interval, clock);
    const Text status = IntervalStatusText(catalogue, interval, rows.size(), clock);
    Clock* localZone = options.localTimes ? &clock : nullptr;
    switch (options.format) {
        case OutputFormat::Table:
            Print(RenderFleetTable({{name, rows, status}}, false, localZone));
            break;
        case OutputFormat::Csv:
            Print(RenderFleetCsv({{name, rows, status}}, false, localZone));
            break;
        case OutputFormat::Json:
            Print(RenderJson(catalogue, rows, interval, status, clock, &name,
                             logFacts != nullptr ? SourcesJson(shownLogs, missingHives)
                                                 : std::string()));
            break;
        case OutputFormat::Ndjson:
            Print(RenderNdjson(name, scanTime, catalogue, rows, clock));
            break;
    }
    std::fflush(stdout);
    const int exported = WriteExports(options, *scan, catalogue);
    const int paged = WriteHtml(options, *scan, catalogue, name, factLines);
    // Damage is normal in copied logs; a drive where nothing at all could be read is not.
    if (logFacts != nullptr && !AnyLogRead(*logFacts) && catalogue.entries.empty())
        return Fail(1, "no log file and no error report could be read on this drive");
    return exported != 0 ? exported : paged;
}

}  // namespace veltrano
