// Scans several Windows drives and writes one report page of them all, the way a fleet scan
// will: report_page_of_machines OUT.html NOW DRIVE...
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/scan_machine.h"
#include "engine/scan.h"
#include "fleet/machine_name.h"
#include "platform/host.h"
#include "report/html/page_writer.h"
#include "shell/local_texts.h"

using namespace veltrano;

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUT.html NOW DRIVE...\n", argv[0]);
        return 2;
    }
    const auto now = ParseIsoUtc(argv[2]);
    if (!now) {
        std::fprintf(stderr, "bad time %s\n", argv[2]);
        return 2;
    }
    InitLocalTexts(0x0409, u"");
    std::vector<std::unique_ptr<ScanMachine>> scans;
    std::vector<std::unique_ptr<ErrorCatalogue>> catalogues;
    ReportPage page;
    page.fileVersion = u"2.0.0.0";
    for (int i = 3; i < argc; ++i) {
        MachineProblem problem;
        ScanOptions options;
        options.now = now;
        auto scan = MakeDriveScanMachine(std::string(argv[i]), options, problem);
        if (!scan) {
            std::fprintf(stderr, "%s\n", problem.message.c_str());
            return 1;
        }
        auto catalogue = std::make_unique<ErrorCatalogue>();
        RunScan(*catalogue, scan->machine());
        const Text root = Utf8ToUtf16(argv[i]);
        page.machines.push_back(ScannedMachine(
            scan->machine(), *catalogue, MachineName(scan->machine(), argv[i]),
            {{u"Drive", root}, {u"Entries", DecimalText(catalogue->entries.size())}}));
        scans.push_back(std::move(scan));
        catalogues.push_back(std::move(catalogue));
    }
    auto host = MakeHostFileSystem();
    if (!WriteReportPage(*host, Utf8ToUtf16(argv[1]), page)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
