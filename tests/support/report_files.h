// Report files in the format Windows Error Reporting writes (UTF-16LE with byte-order mark,
// CRLF, no final line break), for tests.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"

namespace veltrano::testing {

struct ReportFields {
    Text eventType = u"APPCRASH";
    Text appName = u"Notepad";
    Text appPath = u"C:\\Windows\\System32\\notepad.exe";
    Text friendlyEventName = u"Stopped working";
    Text eventTime = u"134089200000000000";
    Text reportId = u"00000000-0000-0000-0000-000000000000";
    Text description;  // ReportDescription line when not empty
    Text ui3 = u"Notepad has stopped working";
    // The signature's fault, written as Sig[3] and Sig[6] when not empty.
    Text faultModule;
    Text faultOffset;
};

Text ReportText(const ReportFields& fields);
std::vector<uint8_t> ReportBytes(const ReportFields& fields);

}  // namespace veltrano::testing
