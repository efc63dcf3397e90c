// The report archive walk, report text reading and key parsing.
#include "engine/report_archive.h"

#include "shell/local_texts.h"
#include "shell/time_text.h"

namespace veltrano {
namespace {

constexpr size_t kChunkBytes = 1024;

// Which report a file is: the identifier its integrator gave it, else the one Windows Error
// Reporting gave it (a queued copy and its archived copy share both), else its place.
Text ReportKeyOf(const ErrorOccurrence& occurrence, const Text& place) {
    if (!occurrence.ReportId.empty())
        return u"id " + occurrence.ReportId;
    if (!occurrence.WerReportId.empty())
        return u"wer " + occurrence.WerReportId;
    return u"file " + place;
}

class ArchiveWalk {
  public:
    ArchiveWalk(ErrorCatalogue& catalogue, FileSystem& files, Clock& clock)
        : catalogue_(catalogue), files_(files), clock_(clock) {}

    ReportFolderFacts Walk(const ReportFolder& folder) {
        facts_ = ReportFolderFacts{folder.path, folder.queued};
        queued_ = folder.queued;
        facts_.listed = WalkFolder(folder.path, folder.name);
        return facts_;
    }

  private:
    bool WalkFolder(const Text& folder, const Text& place) {
        auto listing = files_.ListFolder(folder);
        if (!listing)
            return false;  // a folder that cannot be enumerated contributes nothing
        for (const FolderEntry& entry : *listing) {
            if (entry.IsDotEntry())
                continue;
            const Text path = folder + u"\\" + entry.name;
            if (entry.facts.IsDirectory()) {
                WalkFolder(path, place + u"\\" + entry.name);
            } else if (IsReportFileName(entry.name)) {
                ReadReport(path, place + u"\\" + entry.name, entry.facts.lastWriteTime);
            }
        }
        return true;
    }

    void ReadReport(const Text& path, const Text& place, FileTime lastWrite) {
        const int32_t age = DaysSince(clock_, lastWrite);
        if (age > catalogue_.MaxAgeDays)
            catalogue_.MaxAgeDays = age;

        // A listed report that cannot be opened or read (no access, removed meanwhile) is
        // skipped: it yields no occurrence rather than one built from an empty text.
        auto text = ReadReportText(files_, path);
        if (!text)
            return;

        ErrorOccurrence& occurrence = catalogue_.scanOccurrence;
        occurrence = ErrorOccurrence{};
        occurrence.ReportPath = CopyCapped(path, kPathCapacity);
        ParseReportText(*text, occurrence);
        occurrence.ReportKey = ReportKeyOf(occurrence, place);
        occurrence.queued = queued_;
        ++facts_.reports;

        std::lock_guard lock(catalogue_.CatalogueLock);
        if (catalogue_.Merge(occurrence))
            return;
        ErrorEntry entry = catalogue_.CreateEntry(occurrence, clock_.UtcNow());
        entry.Category = CategoryReportFile;
        entry.ErrorSummary = occurrence.ReportDescription.empty()
                                 ? CopyCapped(LocalText(LT_LOGGED_BY_WER), kSummaryCapacity)
                                 : occurrence.ReportDescription;
        // The text just read is the whole report; reading the file a second time would give
        // the same units.
        entry.ErrorText = std::move(*text);
        catalogue_.Add(std::move(entry));
    }

    ErrorCatalogue& catalogue_;
    FileSystem& files_;
    Clock& clock_;
    bool queued_ = false;
    ReportFolderFacts facts_;
};

}  // namespace

std::optional<Text> ReadReportText(FileSystem& files, TextView path) {
    auto file = files.OpenForReading(path);
    if (!file)
        return std::nullopt;
    Text text;
    uint8_t chunk[kChunkBytes];
    for (;;) {
        const int64_t n = file->Read(chunk, kChunkBytes);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        // An odd trailing byte is a unit of its own with a zero high byte.
        const size_t units = (static_cast<size_t>(n) + 1) / 2;
        for (size_t i = 0; i < units; ++i) {
            const size_t lo = 2 * i;
            const uint8_t hi = lo + 1 < static_cast<size_t>(n) ? chunk[lo + 1] : 0;
            const char16_t unit = static_cast<char16_t>(chunk[lo] | (hi << 8));
            if (unit == 0)
                break;
            text.push_back(unit);
        }
    }
    return text;
}

void ParseReportText(TextView text, ErrorOccurrence& occurrence) {
    for (TextView line : SplitLines(text)) {
        const size_t equals = line.find(u'=');
        const TextView value = equals == TextView::npos ? TextView() : line.substr(equals + 1);
        if (StartsWith(line, u"AppName")) {
            occurrence.SetAppName(value);
        } else if (StartsWith(line, u"FriendlyEventName")) {
            occurrence.SetErrorName(value);
        } else if (StartsWith(line, u"EventTime")) {
            occurrence.time = ParseUnsignedDecimal(value);
        } else if (StartsWith(line, u"AppPath")) {
            occurrence.SetAppPath(value);
        } else if (StartsWith(line, u"IntegratorReportIdentifier")) {
            occurrence.SetReportId(value);
        } else if (StartsWith(line, u"ReportDescription")) {
            occurrence.ReportDescription = CopyCapped(value, kDescriptionCapacity);
        } else if (StartsWith(line, u"ReportIdentifier=")) {
            occurrence.WerReportId = CopyCapped(value, kReportIdCapacity);
        }
    }
}

bool IsReportFileName(TextView name) {
    const size_t dot = name.rfind(u'.');
    return dot != TextView::npos && dot != 0 && name.substr(dot + 1) == u"wer";
}

std::vector<ReportFolder> MachineReportFolders(FileSystem& files, bool withQueues) {
    std::vector<Text> userFolders;
    if (auto users = files.ListFolder(u"C:\\Users")) {
        for (const FolderEntry& entry : *users) {
            if (!entry.IsDotEntry() && entry.facts.IsDirectory()) {
                userFolders.push_back(u"C:\\Users\\" + entry.name);
            }
        }
    }
    std::vector<ReportFolder> folders;
    for (const bool queued : {false, true}) {
        if (queued && !withQueues)
            break;
        const Text leaf = queued ? u"ReportQueue" : u"ReportArchive";
        const Text machine = queued ? u"machine queue" : u"machine";
        folders.push_back({u"C:\\ProgramData\\Microsoft\\Windows\\WER\\" + leaf, machine, queued});
        folders.push_back(
            {u"C:\\Users\\All Users\\Microsoft\\Windows\\WER\\" + leaf, machine, queued});
        for (const Text& user : userFolders) {
            folders.push_back({user + u"\\AppData\\Local\\Microsoft\\Windows\\WER\\" + leaf,
                               queued ? user + u" queue" : user, queued});
        }
    }
    return folders;
}

std::vector<ReportFolderFacts> ReadReportFolders(ErrorCatalogue& catalogue, FileSystem& files,
                                                 Clock& clock,
                                                 const std::vector<ReportFolder>& folders) {
    ArchiveWalk walk(catalogue, files, clock);
    std::vector<ReportFolderFacts> facts;
    for (const ReportFolder& folder : folders)
        facts.push_back(walk.Walk(folder));
    return facts;
}

void ReadReportArchive(ErrorCatalogue& catalogue, FileSystem& files, Clock& clock) {
    ReadReportFolders(catalogue, files, clock, MachineReportFolders(files, false));
}

}  // namespace veltrano
