// The report archive walk, report text reading and key parsing.
#include "engine/report_archive.h"

#include "shell/local_texts.h"
#include "shell/time_text.h"

namespace veltrano {
namespace {

constexpr size_t kChunkBytes = 1024;

bool IsDotEntry(const Text& name) {
    return name == u"." || name == u"..";
}

class ArchiveWalk {
  public:
    ArchiveWalk(ErrorCatalogue& catalogue, FileSystem& files, Clock& clock)
        : catalogue_(catalogue), files_(files), clock_(clock) {}

    // Walks an archive. Archives that are one folder reached by two paths ("C:\Users\All Users"
    // is a junction to "C:\ProgramData") share a name, so that a report read through both
    // counts once.
    void WalkArchive(const Text& folder, TextView archiveName) {
        WalkFolder(folder, Text(archiveName));
    }

  private:
    void WalkFolder(const Text& folder, const Text& place) {
        auto listing = files_.ListFolder(folder);
        if (!listing)
            return;  // a folder that cannot be enumerated contributes nothing
        for (const FolderEntry& entry : *listing) {
            if (IsDotEntry(entry.name))
                continue;
            const Text path = folder + u"\\" + entry.name;
            if (entry.facts.IsDirectory()) {
                WalkFolder(path, place + u"\\" + entry.name);
            } else if (IsReportFileName(entry.name)) {
                ReadReport(path, place + u"\\" + entry.name, entry.facts.lastWriteTime);
            }
        }
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
        occurrence.ReportKey =
            occurrence.ReportId.empty() ? u"file " + place : u"id " + occurrence.ReportId;

        std::lock_guard lock(CatalogueLock);
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
        }
    }
}

bool IsReportFileName(TextView name) {
    const size_t dot = name.rfind(u'.');
    return dot != TextView::npos && dot != 0 && name.substr(dot + 1) == u"wer";
}

void ReadReportArchive(ErrorCatalogue& catalogue, FileSystem& files, Clock& clock) {
    ArchiveWalk walk(catalogue, files, clock);
    walk.WalkArchive(u"C:\\ProgramData\\Microsoft\\Windows\\WER\\ReportArchive", u"machine");
    walk.WalkArchive(u"C:\\Users\\All Users\\Microsoft\\Windows\\WER\\ReportArchive", u"machine");

    std::vector<Text> userFolders;
    if (auto users = files.ListFolder(u"C:\\Users")) {
        for (const FolderEntry& entry : *users) {
            if (!IsDotEntry(entry.name) && entry.facts.IsDirectory()) {
                userFolders.push_back(u"C:\\Users\\" + entry.name);
            }
        }
    }
    for (const Text& user : userFolders) {
        walk.WalkArchive(user + u"\\AppData\\Local\\Microsoft\\Windows\\WER\\ReportArchive", user);
    }
}

}  // namespace veltrano
