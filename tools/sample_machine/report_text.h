// The text of a Windows Error Reporting report file ("Report.wer") as Windows 10 writes it: one
// "key=value" line each, CRLF between lines; the file itself is UTF-16LE with a byte-order mark.
#pragma once

#include <utility>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"

namespace veltrano::sample {

struct ReportFields {
    Text eventType;  // "APPCRASH", "AppHangB1", "LiveKernelEvent"
    FileTime time = 0;
    Text reportId;            // ReportIdentifier
    Text integratorReportId;  // IntegratorReportIdentifier: the "Report Id" of the event
    bool wow64 = false;
    std::vector<std::pair<Text, Text>> signature;  // Sig[n].Name, Sig[n].Value
    std::vector<Text> ui;                          // UI[2], UI[3], ... (none for kernel reports)
    std::vector<Text> loadedModules;
    Text friendlyEventName;
    Text appName;
    Text appPath;
    Text description;  // ReportDescription, when not empty
};

Text ReportFileText(const ReportFields& report);

// The file's bytes: byte-order mark and UTF-16LE units.
std::vector<uint8_t> ReportFileBytes(TextView text);

}  // namespace veltrano::sample
