// Checking a --root before the scan.
#include "cli/root_check.h"

#include <filesystem>

#include "base/host_path.h"
#include "fleet/fleet_folders.h"

namespace veltrano {
namespace {

namespace fs = std::filesystem;

bool HoldsWindows(const std::string& folder) {
    return HoldsWindowsTree(fs::u8path(folder));
}

// The first log file of a folder, if it holds any.
std::string LogFileIn(FileSystem& host, const std::string& folder) {
    if (auto entries = host.ListFolder(Utf8PathToUtf16(folder))) {
        for (const FolderEntry& entry : *entries) {
            const std::string name = Utf16PathToUtf8(entry.name);
            const std::string extension = PathUtf8(fs::u8path(name).extension());
            if (!entry.facts.IsDirectory() &&
                (EqualsNoCase(Utf8ToUtf16(extension), u".evtx") ||
                 EqualsNoCase(Utf8ToUtf16(extension), u".evt")))
                return PathUtf8(fs::u8path(folder) / fs::u8path(name));
        }
    }
    return {};
}

}  // namespace

RootProblem CheckRoot(FileSystem& host, const std::string& root) {
    const auto facts = host.Facts(Utf8PathToUtf16(root));
    if (facts && !facts->IsDirectory()) {
        return {2, "--root " + root +
                       " is a file: --root takes the folder that stands for C:\\ (the one holding "
                       "Windows); for an exported log use --log " + root};
    }
    if (!facts || !host.ListFolder(Utf8PathToUtf16(root)))
        return {1, "cannot read the folder " + root};
    if (HoldsWindows(root))
        return {};
    const std::string log = LogFileIn(host, root);
    const std::string logs = log.empty() ? "" : ", or give its logs with --log " + log;
    fs::path folder = fs::absolute(fs::u8path(root)).lexically_normal();
    if (!folder.has_filename())
        folder = folder.parent_path();
    for (fs::path up = folder.parent_path(); up != folder && !up.empty(); up = up.parent_path()) {
        if (HoldsWindows(PathUtf8(up))) {
            return {2, "--root " + root + " lies inside a drive: give --root " + PathUtf8(up) +
                           " (the folder holding Windows)" + logs};
        }
        folder = up;
    }
    if (!log.empty()) {
        return {2, "--root " + root +
                       " holds log files but no Windows folder: give them with --log " + log};
    }
    return {};
}

}  // namespace veltrano
