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

// Walks the archive roots and merges every report file into the catalogue.
void ReadReportArchive(ErrorCatalogue& catalogue, FileSystem& files, Clock& clock);

}  // namespace veltrano
