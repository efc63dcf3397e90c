// Report file text.
#include "sample_machine/report_text.h"

#include "base/byte_store.h"

namespace veltrano::sample {
namespace {

class Lines {
  public:
    void Add(TextView key, TextView value) {
        if (!text_.empty())
            text_ += u"\r\n";
        text_ += Text(key) + u"=" + Text(value);
    }
    void Indexed(TextView key, size_t index, TextView suffix, TextView value) {
        Add(Text(key) + u"[" + UnsignedText(index) + u"]" + Text(suffix), value);
    }
    Text Take() { return std::move(text_); }

  private:
    Text text_;
};

}  // namespace

Text ReportFileText(const ReportFields& r) {
    Lines lines;
    lines.Add(u"Version", u"1");
    lines.Add(u"EventType", r.eventType);
    lines.Add(u"EventTime", UnsignedText(r.time));
    lines.Add(u"ReportType", u"2");
    lines.Add(u"Consent", u"1");
    lines.Add(u"UploadTime", UnsignedText(r.time + 23'810'000));
    lines.Add(u"ReportStatus", u"268435456");
    lines.Add(u"ReportIdentifier", r.reportId);
    lines.Add(u"IntegratorReportIdentifier", r.integratorReportId);
    if (r.wow64)
        lines.Add(u"Wow64Host", u"34404");
    lines.Add(u"Response.type", u"4");
    for (size_t i = 0; i < r.signature.size(); ++i) {
        lines.Indexed(u"Sig", i, u".Name", r.signature[i].first);
        lines.Indexed(u"Sig", i, u".Value", r.signature[i].second);
    }
    lines.Add(u"DynamicSig[1].Name", u"OS Version");
    lines.Add(u"DynamicSig[1].Value", u"10.0.19045.2.0.0.768.101");
    lines.Add(u"DynamicSig[2].Name", u"Locale ID");
    lines.Add(u"DynamicSig[2].Value", u"1033");
    for (size_t i = 0; i < r.ui.size(); ++i)
        lines.Indexed(u"UI", i + 2, u"", r.ui[i]);
    for (size_t i = 0; i < r.loadedModules.size(); ++i)
        lines.Indexed(u"LoadedModule", i, u"", r.loadedModules[i]);
    lines.Add(u"State[0].Key", u"Transport.DoneStage1");
    lines.Add(u"State[0].Value", u"1");
    lines.Add(u"FriendlyEventName", r.friendlyEventName);
    lines.Add(u"ConsentKey", r.eventType);
    lines.Add(u"AppName", r.appName);
    lines.Add(u"AppPath", r.appPath);
    if (!r.description.empty())
        lines.Add(u"ReportDescription", r.description);
    lines.Add(u"NsPartner", u"windows");
    lines.Add(u"NsGroup", u"windows8");
    lines.Add(u"MetadataHash", u"-1390845277");
    return lines.Take();
}

std::vector<uint8_t> ReportFileBytes(TextView text) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    AppendUtf16Le(bytes, text);
    return bytes;
}

}  // namespace veltrano::sample
