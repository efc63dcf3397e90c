// Telling machines of the same name apart.
#include "fleet/fleet_names.h"

#include <functional>
#include <map>

namespace veltrano {
namespace {

// Where a machine came from: its folder's name, or its whole path when that is not enough; a
// collector's senders say so.
Text Origin(const RunMachine& m, bool wholePath) {
    Text origin = Utf8ToUtf16(wholePath ? m.folder : m.folderName);
    if (m.forwarded)
        origin += u", forwarded";
    return origin;
}

// Which machines have a key that another machine has too, letter case ignored.
std::vector<bool> Shared(const std::vector<RunMachine>& machines,
                         const std::function<Text(const RunMachine&)>& key) {
    std::map<Text, size_t> counts;
    for (const RunMachine& m : machines)
        ++counts[Folded(key(m))];
    std::vector<bool> shared;
    for (const RunMachine& m : machines)
        shared.push_back(counts[Folded(key(m))] > 1);
    return shared;
}

}  // namespace

void NameMachines(std::vector<RunMachine>& machines) {
    const auto sameComputer = Shared(machines, [](const RunMachine& m) { return m.computer; });
    const auto sameFolderName = Shared(
        machines, [](const RunMachine& m) { return m.computer + u"|" + Origin(m, false); });
    for (size_t i = 0; i < machines.size(); ++i) {
        RunMachine& m = machines[i];
        m.name = m.computer;
        if (sameComputer[i])
            m.name += u" (" + Origin(m, sameFolderName[i]) + u")";
    }
}

}  // namespace veltrano
