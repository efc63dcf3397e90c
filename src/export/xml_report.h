// The XML error report: one "error" element per listed catalogue entry, newest first, written as
// UTF-16LE with user-specific paths and names masked.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "engine/catalogue.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace veltrano {

constexpr int kReportWritten = 0;
constexpr int kReportOpenFailed = -1;
constexpr int kReportWriteFailed = -2;

// Writes the report file: the declaration, then the elements of the entries in RecencyIndex
// order that exist and are not Linked, numbered from 1. Returns kReportOpenFailed (with the
// system's error number in openError) when the file cannot be created, kReportWriteFailed when
// it could not be written completely. The caller guards the catalogue (or the scan is over).
int WriteErrorReport(FileSystem& files, Clock& clock, TextView reportPath,
                     const ErrorCatalogue& catalogue, uint32_t* openError = nullptr);

// The element block of one entry, masked by the path variables.
Text ErrorElementText(const ErrorEntry& entry, int number, Clock& clock);

// Writes the element block of one entry; false when it could not be written completely.
bool WriteErrorElement(const ErrorEntry& entry, int number, WritableFile& file, Clock& clock);

}  // namespace veltrano
