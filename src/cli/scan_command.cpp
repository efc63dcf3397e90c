// The veltrano-scan command: one run, of one machine or many.
#include "cli/scan_command.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/message_stats.h"
#include "cli/options.h"
#include "cli/output_formats.h"
#include "cli/run_account.h"
#include "cli/run_machines.h"
#include "cli/run_output.h"
#include "cli/scan_machine.h"
#include "export/report_export.h"
#include "export/xml_report.h"
#include "platform/host.h"
#include "platform/offline/host_clock.h"
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
    std::fflush(stdout);
}

void Say(const std::string& line) {
    std::fprintf(stderr, "veltrano-scan: %s\n", line.c_str());
}

int Fail(int code, const std::string& message) {
    Say(message);
    return code;
}

Text HostText(const std::string& path) {
    return Utf8PathToUtf16(path);
}

uint16_t Language(const ScanOptions& options) {
    if (options.language == kLanguageGerman)
        return 0x0407;
    if (options.language == kLanguageEnglish)
        return 0x0409;
    return MakeHostSystemInfo()->UserDefaultLanguage();
}

// What a run of several machines cannot do; empty when the options suit the run.
std::string RefusedWithSeveral(const ScanOptions& options) {
    if (options.xmlPath || options.zipPath)
        return "--xml and --zip write one machine's report: not with several machines";
    if (!options.logFiles.empty() || !options.reportFolders.empty())
        return "--log and --reports add to one machine: not with several machines";
    return {};
}

// Writes the XML report (and its archive) of the one machine as the window's export does.
int WriteExports(const ScanOptions& options, FileSystem& host, const RunMachine& m) {
    if (!options.xmlPath && !options.zipPath)
        return 0;
    Machine& machine = *m.ports;
    if (machine.environment != nullptr)
        BuildPathVariables(*machine.environment);
    // Without --xml the report is written beside the archive, packed, and removed again.
    const std::string xml =
        options.xmlPath
            ? *options.xmlPath
            : std::filesystem::path(*options.zipPath).replace_extension(".xml").string();
    uint32_t openError = 0;
    if (WriteErrorReport(host, *machine.clock, HostText(xml), *m.catalogue, &openError) != 0) {
        return Fail(1, "cannot write " + xml + " (error " + std::to_string(openError) + ")");
    }
    int code = 0;
    if (options.zipPath) {
        const uint32_t result =
            PackReport(host, *machine.ansi, HostText(xml), HostText(*options.zipPath));
        if (result != 0)
            code = Fail(1, "cannot write " + *options.zipPath + " (ZIP result " +
                               std::to_string(result) + ")");
    }
    if (!options.xmlPath)
        host.Remove(HostText(xml));
    return code;
}

// The report page of the run's machines. A machine's facts are the header's lines of what its
// scan read and skipped (its account on standard error, line by line, as label and value).
int WriteHtml(const ScanOptions& options, FileSystem& host, const MachineRun& run, Clock& clock) {
    if (!options.htmlPath)
        return 0;
    ReportPage page;
    page.fileVersion = kFileVersion;
    for (const RunMachine& m : run.machines) {
        if (!m.problem.empty())
            continue;
        std::vector<ReportFact> facts;
        for (const std::string& line : MachineFactLines(m)) {
            const size_t colon = line.find(": ");
            facts.push_back(
                {Utf8ToUtf16(line.substr(0, colon)), Utf8ToUtf16(line.substr(colon + 2))});
        }
        if (m.ports != nullptr) {
            page.machines.push_back(ScannedMachine(*m.ports, *m.catalogue, m.name, std::move(facts)));
            page.machines.back().crashes = &m.crashes;
        } else {  // a collector's sender: the run's clock, no lookups
            page.machines.push_back({m.name, m.catalogue.get(), &clock, nullptr, nullptr,
                                     std::move(facts), &m.crashes});
        }
    }
    if (!WriteReportPage(host, HostText(*options.htmlPath), page))
        return Fail(1, "cannot write " + *options.htmlPath);
    return 0;
}

}  // namespace

int RunScanCommand(const std::vector<std::string>& arguments) {
    UseBinaryStandardOutput();
    const ParsedOptions parsed = ParseScanOptions(arguments);
    if (!parsed.error.empty())
        return Fail(kExitUsage, parsed.error + " (see --help)");
    const ScanOptions& options = parsed.options;
    if (options.help) {
        Print(kUsage);
        return 0;
    }
    if (options.version) {
        Print(kVersion);
        return 0;
    }
    const bool several = SeveralMachines(options);
    if (several) {
        if (const std::string refused = RefusedWithSeveral(options); !refused.empty())
            return Fail(kExitUsage, refused + " (see --help)");
    }
    InitLocalTexts(Language(options), u"");

    // One "now" for every machine of a run: the lines of one scan share their ScanTime.
    auto hostClock = MakeHostClock();
    FixedClock runClock(*hostClock, options.now.value_or(hostClock->UtcNow()));
    std::unique_ptr<ScanMachine> one;
    MachineRun run;
    if (several) {
        run = ScanManyMachines(options, runClock, options.htmlPath || options.messageStats);
    } else {
        MachineProblem problem;
        one = ScanMachine::Make(options, problem);
        if (!one)
            return Fail(problem.exitCode, problem.message);
        run = ScanOneMachine(*one, options, !options.messageStats);
    }
    Clock& clock = one != nullptr ? *one->machine().clock : runClock;
    auto host = MakeHostFileSystem();

    if (options.messageStats) {
        for (const std::string& line : RunFactLines(run)) {
            if (line.find("Registry: ") != std::string::npos)
                std::fprintf(stderr, "%s\n", line.c_str());
        }
        Print(RenderRunMessageStats(run, options.format == OutputFormat::Json));
        if (!several)
            return kExitAllRead;
        for (const std::string& line : RunProblemLines(run))
            Say(line);
        return RunExitStatus(run);
    }

    const bool machineReadable =
        options.format == OutputFormat::Json || options.format == OutputFormat::Ndjson;
    if (!machineReadable || StandardErrorIsTerminal()) {
        for (const std::string& line : RunFactLines(run))
            std::fprintf(stderr, "%s\n", line.c_str());
    }
    Print(RenderRun(run, options.format, options.interval, clock, options.localTimes));

    int written = 0;
    if (!several)
        written = WriteExports(options, *host, run.machines.front());
    if (const int paged = WriteHtml(options, *host, run, clock); written == 0)
        written = paged;
    for (const std::string& line : RunProblemLines(run))
        Say(line);
    const int status = RunExitStatus(run);
    return status != kExitAllRead ? status : written;
}

}  // namespace veltrano
