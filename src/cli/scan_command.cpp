// The veltrano-scan command.
#include "cli/scan_command.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/message_stats.h"
#include "cli/options.h"
#include "cli/output_formats.h"
#include "cli/scan_machine.h"
#include "engine/error_rows.h"
#include "engine/scan.h"
#include "engine/scan_messages.h"
#include "export/report_export.h"
#include "export/xml_report.h"
#include "platform/host.h"
#include "shell/local_texts.h"
#include "shell/path_variables.h"

namespace veltrano {
namespace {

constexpr char kVersion[] = "veltrano-scan 2.0.0.0\n";

// Prints the scan's progress texts on standard error, each on its own line.
class ProgressPrinter : public MessageSink {
  public:
    explicit ProgressPrinter(bool quiet) : quiet_(quiet) {}
    bool Post(uint32_t message, uintptr_t wParam, intptr_t) override {
        if (message != WM_SCAN_PROGRESS)
            return true;
        std::unique_ptr<Text> text(reinterpret_cast<Text*>(wParam));
        if (!quiet_ && text)
            std::fprintf(stderr, "%s\n", Utf16ToUtf8(*text).c_str());
        return true;
    }

  private:
    bool quiet_;
};

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "veltrano-scan: %s\n", message.c_str());
    return code;
}

Text HostText(const std::string& path) {
    return Utf8ToUtf16(path);
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

}  // namespace

int RunScanCommand(const std::vector<std::string>& arguments) {
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

    std::string problem;
    auto scan = ScanMachine::Make(options, problem);
    if (!scan)
        return Fail(1, problem);
    Machine& machine = scan->machine();
    const uint16_t language = options.language == kLanguageGerman    ? 0x0407
                              : options.language == kLanguageEnglish ? 0x0409
                              : machine.system != nullptr ? machine.system->UserDefaultLanguage()
                                                          : 0x0409;
    InitLocalTexts(language, u"");
    if (options.messageStats) {
        const MessageStatistics stats = CountMessageTexts(machine, scan->ManifestQuery());
        Print(options.format == OutputFormat::Json ? RenderMessageStatsJson(stats)
                                                   : RenderMessageStatsTable(stats));
        std::fflush(stdout);
        return 0;
    }

    const bool quiet = options.format == OutputFormat::Json && !StandardErrorIsTerminal();
    ProgressPrinter progress(quiet);
    ErrorCatalogue catalogue;
    catalogue.ownerWindow = &progress;
    RunScan(catalogue, machine);

    const int interval = options.interval.value_or(FirstIntervalWithErrors(catalogue));
    const auto rows = BuildErrorRows(catalogue, interval, *machine.clock);
    const Text status = IntervalStatusText(catalogue, interval, rows.size(), *machine.clock);
    switch (options.format) {
        case OutputFormat::Table:
            Print(RenderTable(rows, status));
            break;
        case OutputFormat::Csv:
            Print(RenderCsv(rows));
            break;
        case OutputFormat::Json:
            Print(RenderJson(catalogue, rows, interval, status));
            break;
    }
    std::fflush(stdout);
    return WriteExports(options, *scan, catalogue);
}

}  // namespace veltrano
