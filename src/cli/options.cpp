// Command-line parsing of veltrano-scan.
#include "cli/options.h"

#include <cstdio>

#include "engine/catalogue.h"
#include "shell/local_texts.h"

namespace veltrano {

const char kUsage[] =
    "Usage: veltrano-scan [--root DIR]... [--fleet DIR] [--jobs N] [--log FILE]...\n"
    "                     [--reports DIR]...\n"
    "                     [--interval week|month|6months|all] [--lang en|de] [--now TIME]\n"
    "                     [--format table|csv|json|ndjson] [--xml FILE] [--zip FILE]\n"
    "                     [--html FILE] [--local] [--dumps on|off] [--message-stats]\n"
    "                     [--help] [--version]\n"
    "\n"
    "Lists the distinct errors a Windows machine recorded: the error records of its Application\n"
    "and System event logs and its Windows Error Reporting report files.\n"
    "\n"
    "  --root DIR         the Windows drive to analyse (\"C:\\\" of every path maps to DIR);\n"
    "                     given again, one more machine\n"
    "  --fleet DIR        every subfolder of DIR that holds a Windows folder tree is a machine\n"
    "  --log FILE         an exported Application or System log (.evtx or .evt) of the machine,\n"
    "                     with --root in place of the drive's own, or alone without a drive\n"
    "  --reports DIR      a folder of Windows Error Reporting reports of the machine (a\n"
    "                     ReportArchive or ReportQueue, or the WER folder holding them)\n"
    "  --jobs N           machines scanned at once (default: one per core)\n"
    "  --interval NAME    the rows shown (default: the first of week, month, 6months and all\n"
    "                     that has errors)\n"
    "  --lang en|de       the language of the texts (default: the user's language)\n"
    "  --now TIME         the current time, ISO 8601 UTC (\"2026-12-08T12:00:00Z\")\n"
    "  --format NAME      table (default), csv, json or ndjson (one line per error and machine)\n"
    "  --xml FILE         write the XML error report\n"
    "  --zip FILE         pack the XML error report into a ZIP archive\n"
    "  --html FILE        write a report page to look at in a browser (one file, offline)\n"
    "  --local            the table's and CSV's dates in the machine's time zone (default: UTC)\n"
    "  --dumps on|off     read the crash dumps beside the reports, in LocalDumps and of blue\n"
    "                     screens, and join each to its error (default: on)\n"
    "  --message-stats    instead of the list: per provider, the error records and how their\n"
    "                     message texts came out (table, or JSON with --format json)\n"
    "\n"
    "Exit status: 0 every machine was read; 1 nothing could be read (or an output file could\n"
    "not be written); 2 bad usage; 3 some machines of several could not be read (each is named\n"
    "on standard error, the others come out).\n";

std::string IsoLocal(Clock& clock, FileTime time) {
    const auto local = clock.UtcToLocal(time);
    const auto asUtc = local ? CalendarToFileTime(*local) : std::nullopt;
    if (!asUtc)
        return IsoUtc(time);
    // Whole seconds on both sides, so the offset is whole minutes.
    const int64_t offsetMinutes = (static_cast<int64_t>(*asUtc / kTicksPerSecond) -
                                   static_cast<int64_t>(time / kTicksPerSecond)) /
                                  60;
    const int64_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char offset[16];
    std::snprintf(offset, sizeof offset, "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+',
                  static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
    return IsoDateTime(*local) + offset;
}

ParsedOptions ParseScanOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    ScanOptions& o = parsed.options;
    auto fail = [&parsed](const std::string& message) {
        if (parsed.error.empty())
            parsed.error = message;
    };
    for (size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const size_t equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        auto take = [&]() -> std::optional<std::string> {
            if (value)
                return value;
            if (i + 1 >= arguments.size()) {
                fail("option " + name + " needs a value");
                return std::nullopt;
            }
            return arguments[++i];
        };
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--version") {
            o.version = true;
        } else if (name == "--message-stats") {
            o.messageStats = true;
        } else if (name == "--local") {
            o.localTimes = true;
        } else if (name == "--root") {
            if (auto v = take()) {
                if (!o.root)
                    o.root = *v;
                o.roots.push_back(*v);
            }
        } else if (name == "--log") {
            if (auto v = take())
                o.logFiles.push_back(*v);
        } else if (name == "--reports") {
            if (auto v = take())
                o.reportFolders.push_back(*v);
        } else if (name == "--fleet") {
            if (auto v = take())
                o.fleet = *v;
        } else if (name == "--jobs") {
            if (auto v = take()) {
                if (v->empty() || v->size() > 4 ||
                    v->find_first_not_of("0123456789") != std::string::npos || std::stoi(*v) < 1)
                    fail("--jobs takes a number from 1 to 9999, not '" + *v + "'");
                else
                    o.jobs = std::stoi(*v);
            }
        } else if (name == "--interval") {
            if (auto v = take()) {
                if (*v == "week")
                    o.interval = IntervalWeek;
                else if (*v == "month")
                    o.interval = IntervalMonth;
                else if (*v == "6months")
                    o.interval = IntervalHalfYear;
                else if (*v == "all")
                    o.interval = IntervalAll;
                else
                    fail("--interval takes week, month, 6months or all, not '" + *v + "'");
            }
        } else if (name == "--lang") {
            if (auto v = take()) {
                if (*v == "en")
                    o.language = kLanguageEnglish;
                else if (*v == "de")
                    o.language = kLanguageGerman;
                else
                    fail("--lang takes en or de, not '" + *v + "'");
            }
        } else if (name == "--now") {
            if (auto v = take()) {
                o.now = ParseIsoUtc(*v);
                if (!o.now)
                    fail("--now takes an ISO 8601 UTC time like 2026-12-08T12:00:00Z, not '" + *v +
                         "'");
            }
        } else if (name == "--format") {
            if (auto v = take()) {
                if (*v == "table")
                    o.format = OutputFormat::Table;
                else if (*v == "csv")
                    o.format = OutputFormat::Csv;
                else if (*v == "json")
                    o.format = OutputFormat::Json;
                else if (*v == "ndjson")
                    o.format = OutputFormat::Ndjson;
                else
                    fail("--format takes table, csv, json or ndjson, not '" + *v + "'");
            }
        } else if (name == "--dumps") {
            if (auto v = take()) {
                if (*v == "on" || *v == "off")
                    o.readDumps = *v == "on";
                else
                    fail("--dumps takes on or off, not '" + *v + "'");
            }
        } else if (name == "--xml") {
            if (auto v = take())
                o.xmlPath = *v;
        } else if (name == "--zip") {
            if (auto v = take())
                o.zipPath = *v;
        } else if (name == "--html") {
            if (auto v = take())
                o.htmlPath = *v;
        } else {
            fail("unknown option '" + arguments[i] + "'");
        }
    }
    return parsed;
}

}  // namespace veltrano
