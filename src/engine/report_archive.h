// Reader of the Windows Error Reporting archive: walks the report archive folders of the machine
// and of every user profile and merges each report file into the catalogue.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/text.h"
#include "engine/catalogue.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace veltrano {

// The report text as the archive reader takes it: UTF-16LE units read in 1024-byte chunks, each
// chunk up to its first zero unit; a byte-order mark stays. nullopt when the file cannot be read.
std::optional<Text> ReadReportText(FileSystem& files, TextView path);

// Fills the occurrence's fields from the report's "Key=Value" lines.
void ParseReportText(TextView text, ErrorOccurrence& occurrence);

// Whether a file name is a report file name ("x.wer", lower-case extension only).
bool IsReportFileName(TextView name);

// A folder of report folders: an archive (reports sent or handled) or a queue (reports waiting).
struct ReportFolder {
    Text path;
    // Folders that are one folder reached by two paths ("C:\Users\All Users" is a junction to
    // "C:\ProgramData") share a name, so that a report read through both counts once.
    Text name;
    bool queued = false;
};

// What reading a report folder found.
struct ReportFolderFacts {
    Text path;
    bool queued = false;
    bool listed = false;  // the folder could be enumerated
    int32_t reports = 0;  // report files read
};

// The machine's archives: its own, "All Users"' and every user profile's; with queues, the
// queues beside them after all archives (so that a report both sent and queued is taken as sent).
std::vector<ReportFolder> MachineReportFolders(FileSystem& files, bool withQueues);

// Merges every report file below the folders into the catalogue, folder by folder.
std::vector<ReportFolderFacts> ReadReportFolders(ErrorCatalogue& catalogue, FileSystem& files,
                                                 Clock& clock,
                                                 const std::vector<ReportFolder>& folders);

// Walks the machine's archives and merges every report file into the catalogue.
void ReadReportArchive(ErrorCatalogue& catalogue, FileSystem& files, Clock& clock);

}  // namespace veltrano
