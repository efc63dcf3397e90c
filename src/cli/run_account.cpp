// A run's account of its machines.
#include "cli/run_account.h"

#include "cli/source_facts.h"

namespace veltrano {
namespace {

size_t ReadableMachines(const MachineRun& run) {
    size_t read = 0;
    for (const RunMachine& m : run.machines)
        read += m.problem.empty() && m.Readable() ? 1 : 0;
    return read;
}

std::string Who(const RunMachine& m) {
    return Utf16ToUtf8(m.name) + (m.folder.empty() ? "" : " (" + m.folder + ")");
}

}  // namespace

std::vector<std::string> MachineFactLines(const RunMachine& machine) {
    std::vector<std::string> lines = SourceFactLines(machine.logs, machine.missingHives);
    const crash::CrashFindings& crashes = machine.crashes;
    if (crashes.dumpsRead > 0 || !crashes.problems.empty()) {
        std::string line = "crash dumps: " + std::to_string(crashes.dumpsRead) + " read, " +
                           std::to_string(crashes.dumps.size()) + " joined to a crash";
        if (!crashes.stopErrors.empty())
            line += ", a stop error";
        if (!crashes.problems.empty())
            line += ", " + std::to_string(crashes.problems.size()) + " not readable";
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> RunFactLines(const MachineRun& run) {
    const bool several = run.machines.size() > 1;
    std::vector<std::string> lines;
    for (const RunMachine& m : run.machines) {
        if (!m.problem.empty() || m.forwarded)
            continue;
        for (const std::string& line : MachineFactLines(m))
            lines.push_back(several ? Utf16ToUtf8(m.name) + ": " + line : line);
    }
    return lines;
}

std::vector<std::string> RunProblemLines(const MachineRun& run) {
    const bool several = run.machines.size() > 1;
    std::vector<std::string> lines = run.notes;
    for (const RunMachine& m : run.machines) {
        if (!m.problem.empty())
            lines.push_back(m.problem);
        else if (!m.Readable())
            lines.push_back(Who(m) + ": nothing readable: no log file and no error report could "
                                     "be read");
        // A dump that cannot be read costs nothing else: the run still counts as read.
        for (const std::string& problem : m.crashes.problems)
            lines.push_back((several ? Utf16ToUtf8(m.name) + ": " : "") + "crash dump " + problem);
    }
    lines.insert(lines.end(), run.problems.begin(), run.problems.end());
    if (run.machines.empty() && run.problems.empty())
        lines.push_back("no machine found");
    if (run.machines.size() > 1 || !run.problems.empty()) {
        const size_t read = ReadableMachines(run);
        const size_t unreadable = run.machines.size() - read;
        std::string summary = std::to_string(run.machines.size()) + " machines: " +
                              std::to_string(read) + " read";
        if (unreadable > 0)
            summary += ", " + std::to_string(unreadable) + " with nothing readable";
        lines.push_back(summary);
    }
    return lines;
}

int RunExitStatus(const MachineRun& run) {
    const size_t read = ReadableMachines(run);
    if (read == 0)
        return kExitNothingRead;
    return read == run.machines.size() && run.problems.empty() ? kExitAllRead
                                                               : kExitSomeUnreadable;
}

}  // namespace veltrano
