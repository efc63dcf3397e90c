// Looking for machines in folders of the host.
#include "fleet/fleet_folders.h"

#include <algorithm>
#include <system_error>

#include "base/text.h"

namespace veltrano {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> FindPathNoCase(fs::path folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        auto next = FindEntryNoCase(folder, name);
        if (!next)
            return std::nullopt;
        folder = *next;
    }
    return folder;
}

// Adds a machine folder unless the run has it already (the same folder given twice, or as a
// --root and inside the fleet folder).
void AddFolder(FoundFolders& found, std::vector<fs::path>& seen, MachineFolder folder) {
    std::error_code error;
    fs::path same = fs::weakly_canonical(fs::u8path(folder.path), error);
    if (error)
        same = fs::u8path(folder.path);
    if (std::find(seen.begin(), seen.end(), same) != seen.end()) {
        found.notes.push_back(folder.path + ": given twice, scanned once");
        return;
    }
    seen.push_back(same);
    found.folders.push_back(std::move(folder));
}

}  // namespace

std::string FolderName(const std::string& path) {
    fs::path p = fs::u8path(path).lexically_normal();
    if (!p.has_filename())
        p = p.parent_path();
    const std::string name = PathUtf8(p.filename());
    return name.empty() ? path : name;
}

std::optional<fs::path> FindEntryNoCase(const fs::path& folder, const std::string& name) {
    std::error_code error;
    const Text wanted = Utf8ToUtf16(name);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (EqualsNoCase(Utf8ToUtf16(PathUtf8(it->path().filename())), wanted))
            return it->path();
    }
    return std::nullopt;
}

bool HoldsWindowsTree(const fs::path& folder) {
    std::error_code error;
    const auto system32 = FindPathNoCase(folder, {"Windows", "System32"});
    return system32 && fs::is_directory(*system32, error);
}

std::optional<fs::path> ForwardedEventsLog(const fs::path& root) {
    std::error_code error;
    auto log =
        FindPathNoCase(root, {"Windows", "System32", "winevt", "Logs", "ForwardedEvents.evtx"});
    if (!log || !fs::is_regular_file(*log, error))
        return std::nullopt;
    return log;
}

FoundFolders FindMachineFolders(const std::vector<std::string>& roots,
                                const std::optional<std::string>& fleet) {
    FoundFolders found;
    std::vector<fs::path> seen;
    for (const std::string& root : roots)
        AddFolder(found, seen, {root, FolderName(root)});
    if (!fleet)
        return found;

    std::error_code error;
    fs::directory_iterator it(fs::u8path(*fleet), error);
    if (error) {
        found.problems.push_back(*fleet + ": cannot read the fleet folder (" + error.message() +
                                 ")");
        return found;
    }
    std::vector<fs::path> children;
    for (fs::directory_iterator end; !error && it != end; it.increment(error))
        children.push_back(it->path());
    if (error)
        found.problems.push_back(*fleet + ": cannot read the fleet folder (" + error.message() +
                                 ")");
    std::sort(children.begin(), children.end());
    for (const fs::path& child : children) {
        const std::string path = PathUtf8(child);
        std::error_code status;
        const bool folder = fs::is_directory(child, status);
        if (status) {
            found.problems.push_back(path + ": cannot read the machine folder (" +
                                     status.message() + ")");
        } else if (!folder) {
            continue;  // a file beside the machines
        } else if (fs::directory_iterator probe(child, status); status) {
            found.problems.push_back(path + ": cannot read the machine folder (" +
                                     status.message() + ")");
        } else if (HoldsWindowsTree(child)) {
            AddFolder(found, seen, {path, PathUtf8(child.filename())});
        } else {
            found.notes.push_back(path + ": no Windows\\System32 inside, not a machine");
        }
    }
    return found;
}

}  // namespace veltrano
