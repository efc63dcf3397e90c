// Placing given logs and report folders.
#include "cli/given_sources.h"

#include <set>

#include "fleet/fleet_folders.h"
#include "platform/offline/eventlog/log_channel.h"

namespace veltrano {
namespace {

constexpr char16_t kLogsFolder[] = u"C:\\Windows\\System32\\winevt\\Logs\\";
constexpr char16_t kConfigFolder[] = u"C:\\Windows\\System32\\config\\";
// Given report folders get names no drive path has.
constexpr char16_t kGivenReports[] = u"\\\\?\\given-reports\\";

std::optional<FileFacts> FactsOf(FileSystem& host, const std::string& path) {
    return host.Facts(Utf8PathToUtf16(path));
}

// Places one log; a problem when it is not a log of the two the scan reads.
std::string MountLog(FileSystem& host, const std::string& path, std::set<Text>& channels,
                     std::vector<Mount>& mounts) {
    const auto facts = FactsOf(host, path);
    if (!facts)
        return "--log " + path + ": no such file";
    if (facts->IsDirectory())
        return "--log " + path +
               " is a folder: --log takes a log file (.evtx or .evt); for a drive use --root";
    const Text hostPath = Utf8PathToUtf16(path);
    const auto kind = eventlog::IdentifyLogFile(host, hostPath);
    if (!kind)
        return "--log " + path + ": cannot be read";
    if (kind->channel.empty())
        return "--log " + path +
               ": cannot tell which log it is (no record names its log, and its name is neither "
               "Application nor System); rename it Application.evtx or System.evtx";
    if (kind->channel != u"Application" && kind->channel != u"System")
        return "--log " + path + " holds the " + Utf16ToUtf8(kind->channel) +
               " log; veltrano-scan reads the Application and System logs";
    if (!channels.insert(kind->channel).second)
        return "--log " + path + ": a second " + Utf16ToUtf8(kind->channel) + " log";
    const Text evtx = kLogsFolder + kind->channel + u".evtx";
    if (kind->evtx) {
        mounts.push_back({evtx, hostPath});
    } else {
        // The drive's own .evtx would be read first: hide it.
        mounts.push_back({evtx, u""});
        mounts.push_back({kConfigFolder + Text(kind->channel == u"System" ? u"SysEvent.Evt"
                                                                          : u"AppEvent.Evt"),
                          hostPath});
    }
    return {};
}

// The ReportArchive and ReportQueue subfolders of a WER folder, if it is one.
std::vector<FolderEntry> QueueAndArchive(FileSystem& host, const Text& folder) {
    std::vector<FolderEntry> found;
    if (auto entries = host.ListFolder(folder)) {
        for (const FolderEntry& entry : *entries) {
            if (entry.facts.IsDirectory() && (EqualsNoCase(entry.name, u"ReportArchive") ||
                                              EqualsNoCase(entry.name, u"ReportQueue")))
                found.push_back(entry);
        }
    }
    return found;
}

std::string MountReports(FileSystem& host, const std::string& path, GivenSources& given) {
    const auto facts = FactsOf(host, path);
    if (!facts)
        return "--reports " + path + ": no such folder";
    if (!facts->IsDirectory())
        return "--reports " + path + " is a file: --reports takes a folder of reports";
    const Text hostPath = Utf8PathToUtf16(path);
    auto add = [&given](const Text& folder, bool queued) {
        const Text at = kGivenReports + UnsignedText(given.reportFolders.size() + 1);
        given.mounts.push_back({at, folder});
        given.reportFolders.push_back({at, at, queued});
    };
    const auto parts = QueueAndArchive(host, hostPath);
    if (parts.empty())
        add(hostPath, EqualsNoCase(Utf8ToUtf16(FolderName(path)), u"ReportQueue"));
    for (const FolderEntry& part : parts)
        add(hostPath + u"/" + part.name, EqualsNoCase(part.name, u"ReportQueue"));
    return {};
}

}  // namespace

GivenSources MountGivenSources(FileSystem& host, const std::vector<std::string>& logFiles,
                               const std::vector<std::string>& reportFolders) {
    GivenSources given;
    std::set<Text> channels;
    for (const std::string& log : logFiles) {
        given.problem = MountLog(host, log, channels, given.mounts);
        if (!given.problem.empty())
            return given;
    }
    for (const std::string& folder : reportFolders) {
        given.problem = MountReports(host, folder, given);
        if (!given.problem.empty())
            return given;
    }
    return given;
}

}  // namespace veltrano
