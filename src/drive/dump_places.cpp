// Finding a drive's dumps.
#include "drive/dump_places.h"

#include <set>

namespace veltrano {
namespace {

constexpr char16_t kLocalDumpsKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting\\LocalDumps";
constexpr char16_t kLocalAppData[] = u"%LOCALAPPDATA%";
// Services' crashes land in the system profile's folder.
constexpr char16_t kSystemProfile[] = u"C:\\Windows\\System32\\config\\systemprofile";
constexpr char16_t kLocalDumpsLeaf[] = u"\\AppData\\Local\\CrashDumps";
// A report folder's walk goes no deeper: WER nests one level, queues at most two.
constexpr int kMaxReportDepth = 4;

class DumpSearch {
  public:
    explicit DumpSearch(FileSystem& files) : files_(files) {}

    // Every folder below a report folder that holds a report file: its dumps belong to that report.
    void ReportFolderDumps(const ReportFolder& folder) {
        WalkReports(folder.path, folder.name, folder.queued, 0);
    }

    // The dumps of one folder, none of its subfolders (LocalDumps writes flat).
    void FolderDumps(const Text& folder, DumpPlace place) {
        if (!seenFolders_.insert(Folded(folder)).second)
            return;
        const auto listing = files_.ListFolder(folder);
        if (!listing)
            return;
        for (const FolderEntry& entry : *listing) {
            if (!entry.facts.IsDirectory() && IsDumpFileName(entry.name))
                found_.push_back({folder + u"\\" + entry.name, place, {}, false});
        }
    }

    std::vector<FoundDump> Take() { return std::move(found_); }

  private:
    void WalkReports(const Text& folder, const Text& place, bool queued, int depth) {
        if (depth > kMaxReportDepth)
            return;
        const auto listing = files_.ListFolder(folder);
        if (!listing)
            return;
        // A folder reached through a second path names the same reports again.
        if (!seenReportPlaces_.insert(Folded(place)).second)
            return;
        Text reportFile;
        std::vector<Text> dumps;
        for (const FolderEntry& entry : *listing) {
            if (entry.IsDotEntry())
                continue;
            const Text path = folder + u"\\" + entry.name;
            if (entry.facts.IsDirectory())
                WalkReports(path, place + u"\\" + entry.name, queued, depth + 1);
            else if (IsReportFileName(entry.name) && reportFile.empty())
                reportFile = path;
            else if (IsDumpFileName(entry.name))
                dumps.push_back(path);
        }
        if (reportFile.empty())
            return;  // a dump without its report has no error to belong to
        for (Text& dump : dumps)
            found_.push_back({std::move(dump), DumpPlace::ReportFolder, reportFile, queued});
    }

    FileSystem& files_;
    std::set<Text> seenReportPlaces_;
    std::set<Text> seenFolders_;
    std::vector<FoundDump> found_;
};

std::vector<Text> ProfileFolders(FileSystem& files) {
    std::vector<Text> profiles;
    if (auto users = files.ListFolder(u"C:\\Users")) {
        for (const FolderEntry& entry : *users) {
            if (!entry.IsDotEntry() && entry.facts.IsDirectory())
                profiles.push_back(u"C:\\Users\\" + entry.name);
        }
    }
    profiles.emplace_back(kSystemProfile);
    return profiles;
}

// The LocalDumps folders: the one the machine's key names (per profile where it is given by
// %LOCALAPPDATA%, which is each user's own), and each profile's default folder.
std::vector<Text> LocalDumpsFolders(FileSystem& files, Registry* registry,
                                    Environment* environment) {
    const std::vector<Text> profiles = ProfileFolders(files);
    std::vector<Text> folders;
    Text named = registry != nullptr ? registry->ReadMachineString(kLocalDumpsKey, u"DumpFolder")
                                     : Text();
    if (!named.empty()) {
        const size_t at = Folded(named).find(Folded(kLocalAppData));
        if (at != Text::npos) {
            for (const Text& profile : profiles) {
                Text folder = named;
                folder.replace(at, std::size(kLocalAppData) - 1, profile + u"\\AppData\\Local");
                folders.push_back(folder);
            }
        } else {
            const Text expanded = environment != nullptr ? environment->Expand(named) : named;
            if (!expanded.empty() && expanded.find(u'%') == Text::npos)
                folders.push_back(expanded);
        }
    }
    for (const Text& profile : profiles)
        folders.push_back(profile + kLocalDumpsLeaf);
    for (Text& folder : folders) {
        while (folder.size() > 3 && folder.back() == u'\\')
            folder.pop_back();
    }
    return folders;
}

}  // namespace

bool IsDumpFileName(TextView name) {
    for (TextView suffix : {TextView(u".dmp"), TextView(u".mdmp"), TextView(u".hdmp")}) {
        if (name.size() > suffix.size() && EndsWithNoCase(name, suffix))
            return true;
    }
    return false;
}

std::vector<FoundDump> FindDumps(FileSystem& files, Registry* registry, Environment* environment,
                                 const std::vector<ReportFolder>& reportFolders) {
    DumpSearch search(files);
    for (const ReportFolder& folder : reportFolders)
        search.ReportFolderDumps(folder);
    for (const Text& folder : LocalDumpsFolders(files, registry, environment))
        search.FolderDumps(folder, DumpPlace::LocalDumps);
    search.FolderDumps(u"C:\\Windows\\Minidump", DumpPlace::Kernel);
    std::vector<FoundDump> found = search.Take();
    if (const auto facts = files.Facts(u"C:\\Windows\\MEMORY.DMP"); facts && !facts->IsDirectory())
        found.push_back({u"C:\\Windows\\MEMORY.DMP", DumpPlace::Kernel, {}, false});
    return found;
}

}  // namespace veltrano
