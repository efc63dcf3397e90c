// Report files for tests.
#include "support/report_files.h"

#include "support/temp_tree.h"

namespace veltrano::testing {

Text ReportText(const ReportFields& s) {
    Text t;
    auto line = [&t](TextView key, TextView value) {
        if (!t.empty())
            t += u"\r\n";
        t += Text(key) + u"=" + Text(value);
    };
    line(u"Version", u"1");
    line(u"EventType", s.eventType);
    line(u"EventTime", s.eventTime);
    line(u"ReportType", u"2");
    line(u"Consent", u"1");
    line(u"ReportIdentifier", u"7d1e4b2c-0000-4000-8000-" + s.reportId.substr(0, 12));
    line(u"IntegratorReportIdentifier", s.reportId);
    line(u"Response.type", u"4");
    line(u"Sig[0].Name", u"Application Name");
    line(u"Sig[0].Value", s.appPath.substr(s.appPath.rfind(u'\\') + 1));
    line(u"Sig[1].Name", u"Exception Code");
    line(u"Sig[1].Value", u"c0000005");
    if (!s.faultModule.empty()) {
        line(u"Sig[3].Name", u"Fault Module Name");
        line(u"Sig[3].Value", s.faultModule);
        line(u"Sig[6].Name", u"Exception Offset");
        line(u"Sig[6].Value", s.faultOffset);
    }
    line(u"UI[2]", s.appPath);
    line(u"UI[3]", s.ui3);
    line(u"UI[4]", u"Windows can check online for a solution to the problem.");
    line(u"LoadedModule[0]", s.appPath);
    line(u"LoadedModule[1]", u"C:\\Windows\\SYSTEM32\\ntdll.dll");
    line(u"State[0].Key", u"Transport.DoneStage1");
    line(u"State[0].Value", u"1");
    line(u"FriendlyEventName", s.friendlyEventName);
    line(u"ConsentKey", s.eventType);
    line(u"AppName", s.appName);
    line(u"AppPath", s.appPath);
    if (!s.description.empty())
        line(u"ReportDescription", s.description);
    line(u"ApplicationIdentity", u"00000000000000000000000000000000");
    line(u"MetadataHash", u"1234567890");
    return t;
}

std::vector<uint8_t> ReportBytes(const ReportFields& fields) {
    return Utf16Bytes(ReportText(fields));
}

}  // namespace veltrano::testing
