// Routing paths to mounted host files and folders.
#include "platform/offline/mounted_file_system.h"

namespace veltrano {

MountedFileSystem::MountedFileSystem(FileSystem& drive, FileSystem& host, std::vector<Mount> mounts)
    : ForwardingFileSystem(drive), host_(host), mounts_(std::move(mounts)) {}

const Mount* MountedFileSystem::Find(TextView path, Text& hostPath) const {
    for (const Mount& mount : mounts_) {
        if (path.size() < mount.at.size() ||
            !EqualsNoCase(path.substr(0, mount.at.size()), mount.at))
            continue;
        TextView rest = path.substr(mount.at.size());
        if (!rest.empty() && rest.front() != u'\\' && rest.front() != u'/')
            continue;  // "System.evtx2" is not below "System.evtx"
        hostPath = mount.host;
        if (!mount.host.empty()) {
            // Both kinds of host take "/" between components.
            for (char16_t c : rest)
                hostPath.push_back(c == u'\\' ? u'/' : c);
        }
        return &mount;
    }
    return nullptr;
}

Text MountedFileSystem::HostPathOf(TextView path) const {
    Text hostPath;
    return Find(path, hostPath) ? hostPath : Text();
}

std::optional<std::vector<FolderEntry>> MountedFileSystem::ListFolder(TextView folder) {
    Text hostPath;
    if (!Find(folder, hostPath))
        return ForwardingFileSystem::ListFolder(folder);
    if (hostPath.empty())
        return std::nullopt;
    return host_.ListFolder(hostPath);
}

std::unique_ptr<ReadableFile> MountedFileSystem::OpenForReading(TextView path) {
    Text hostPath;
    if (!Find(path, hostPath))
        return ForwardingFileSystem::OpenForReading(path);
    if (hostPath.empty())
        return nullptr;
    return host_.OpenForReading(hostPath);
}

std::optional<FileFacts> MountedFileSystem::Facts(TextView path) {
    Text hostPath;
    if (!Find(path, hostPath))
        return ForwardingFileSystem::Facts(path);
    if (hostPath.empty())
        return std::nullopt;
    return host_.Facts(hostPath);
}

}  // namespace veltrano
