// Drive mapping with case-insensitive path resolution.
#include "platform/offline/drive_mapped_file_system.h"

namespace veltrano {

DriveMappedFileSystem::DriveMappedFileSystem(FileSystem& host, Text root)
    : host_(host), root_(std::move(root)) {
    while (root_.size() > 1 && (root_.back() == u'/' || root_.back() == u'\\'))
        root_.pop_back();
}

Text DriveMappedFileSystem::Map(TextView path) {
    const bool onDriveC = path.size() >= 2 && (path[0] == u'C' || path[0] == u'c') &&
                          path[1] == u':' &&
                          (path.size() == 2 || path[2] == u'\\' || path[2] == u'/');
    if (!onDriveC)
        return Text(path);
    Text mapped = root_;
    size_t pos = 2;
    while (pos < path.size()) {
        while (pos < path.size() && (path[pos] == u'\\' || path[pos] == u'/'))
            ++pos;
        size_t end = pos;
        while (end < path.size() && path[end] != u'\\' && path[end] != u'/')
            ++end;
        if (end == pos)
            break;
        const TextView component = path.substr(pos, end - pos);
        Text chosen(component);
        if (component != u"." && component != u".." && !host_.Facts(mapped + u"/" + chosen)) {
            if (auto entries = host_.ListFolder(mapped)) {
                for (const auto& entry : *entries) {
                    if (EqualsNoCase(entry.name, component)) {
                        chosen = entry.name;
                        break;
                    }
                }
            }
        }
        mapped += u"/" + chosen;
        pos = end;
    }
    return mapped;
}

std::optional<std::vector<FolderEntry>> DriveMappedFileSystem::ListFolder(TextView folder) {
    return host_.ListFolder(Map(folder));
}

std::unique_ptr<ReadableFile> DriveMappedFileSystem::OpenForReading(TextView path) {
    return host_.OpenForReading(Map(path));
}

std::unique_ptr<WritableFile> DriveMappedFileSystem::CreateForWriting(TextView path) {
    return host_.CreateForWriting(Map(path));
}

std::optional<FileFacts> DriveMappedFileSystem::Facts(TextView path) {
    return host_.Facts(Map(path));
}

CreateFolderResult DriveMappedFileSystem::CreateFolder(TextView path) {
    return host_.CreateFolder(Map(path));
}

bool DriveMappedFileSystem::Copy(TextView from, TextView to, bool failIfExists) {
    return host_.Copy(Map(from), Map(to), failIfExists);
}

bool DriveMappedFileSystem::Remove(TextView path) {
    return host_.Remove(Map(path));
}

}  // namespace veltrano
