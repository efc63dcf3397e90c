// The fleet run of veltrano-scan.
#include "fleet/fleet_command.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <thread>

#include "fleet/fleet_folders.h"
#include "fleet/fleet_output.h"
#include "fleet/fleet_scan.h"
#include "fleet/forwarded_events.h"
#include "fleet/machine_name.h"
#include "platform/host.h"
#include "platform/offline/host_clock.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

void Say(const std::string& line) {
    std::fprintf(stderr, "veltrano-scan: %s\n", line.c_str());
}

uint16_t Language(const ScanOptions& options) {
    if (options.language == kLanguageGerman)
        return 0x0407;
    if (options.language == kLanguageEnglish)
        return 0x0409;
    return MakeHostSystemInfo()->UserDefaultLanguage();
}

}  // namespace

bool IsFleetRun(const ScanOptions& options) {
    return options.roots.size() > 1 || options.fleet ||
           (options.root && ForwardedEventsLog(std::filesystem::u8path(*options.root)));
}

int RunFleetCommand(const ScanOptions& options) {
    if (options.xmlPath || options.zipPath) {
        Say("--xml and --zip write one machine's report: not with several machines (see --help)");
        return 2;
    }
    InitLocalTexts(Language(options), u"");
    auto hostClock = MakeHostClock();
    // One "now" for every machine of the run: the lines of one scan share their ScanTime.
    FixedClock clock(*hostClock, options.now.value_or(hostClock->UtcNow()));
    const int jobs =
        options.jobs.value_or(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));

    const FoundFolders found = FindMachineFolders(options.roots, options.fleet);
    for (const std::string& note : found.notes)
        Say(note);
    FleetRun run;
    try {
        run = ScanFleet(found.folders, clock, jobs);
    } catch (const std::exception& e) {  // no threads to be had, or no memory
        Say(std::string("cannot scan: ") + e.what());
        return 1;
    }
    for (const std::string& note : run.notes)
        Say(note);

    const std::string out =
        RenderFleet(run, options.format, options.interval, clock, options.localTimes);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);

    for (const std::string& problem : found.problems)
        Say(problem);
    for (const std::string& problem : run.problems)
        Say(problem);
    if (run.machines.empty() && found.problems.empty() && run.problems.empty())
        Say("no machine found");
    return found.problems.empty() && run.problems.empty() && !run.machines.empty() ? 0 : 1;
}

}  // namespace veltrano
