// The machine folders of a run: every --root as given, then every direct subfolder of a fleet
// folder that holds a Windows folder tree.
#pragma once

#include <filesystem>

#include "base/host_path.h"
#include <optional>
#include <string>
#include <vector>

namespace veltrano {

struct MachineFolder {
    std::string path;  // as the host names it
    std::string name;  // the folder's own name
};

struct FoundFolders {
    std::vector<MachineFolder> folders;
    std::vector<std::string> problems;  // a folder that could not be looked into, one line each
    std::vector<std::string> notes;     // folders left out, one line each
};

// The last name of a host path ("pc-7" of "/srv/pcs/pc-7/"); the path itself when it has none.
std::string FolderName(const std::string& path);


// The fleet folder's subfolders come sorted by name.
FoundFolders FindMachineFolders(const std::vector<std::string>& roots,
                                const std::optional<std::string>& fleet);

// The entry of folder whose name is name without regard to letter case, as Windows looks names up.
std::optional<std::filesystem::path> FindEntryNoCase(const std::filesystem::path& folder,
                                                     const std::string& name);

// Whether folder holds Windows\System32 (letter case ignored).
bool HoldsWindowsTree(const std::filesystem::path& folder);

// The collector log of a Windows folder tree (Windows\System32\winevt\Logs\ForwardedEvents.evtx,
// letter case ignored); nullopt when it has none.
std::optional<std::filesystem::path> ForwardedEventsLog(const std::filesystem::path& root);

}  // namespace veltrano
