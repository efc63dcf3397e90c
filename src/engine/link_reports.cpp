// The joining pass and the joined detail text.
#include "engine/link_reports.h"

#include "shell/exception_names.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

constexpr char16_t kSeparator[] = u"----------------------------\r\n";
constexpr char16_t kHeadingSuffix[] = u": \r\n";

Text JoinedText(const Text& eventText, const Text& reportText) {
    Text joined;
    joined.reserve(eventText.size() + reportText.size() + 200);
    joined += LocalText(LT_DETAILS_EVENT_LOG);
    joined += kHeadingSuffix;
    joined += kSeparator;
    joined += eventText;
    joined += kSeparator;
    joined += u"\r\n";
    joined += LocalText(LT_DETAILS_WER_FILE);
    joined += kHeadingSuffix;
    joined += kSeparator;
    joined += reportText;
    joined += kSeparator;
    return joined;
}

}  // namespace

Text ValueBeforeLineEnd(TextView text, TextView key) {
    const size_t start = text.find(key);
    if (start == TextView::npos)
        return {};
    const size_t valueStart = start + key.size();
    const size_t end = text.find(u"\r\n", valueStart);
    if (end == TextView::npos)
        return {};
    return Text(text.substr(valueStart, end - valueStart));
}

Text ReportSummary(TextView reportText) {
    return ValueBeforeLineEnd(reportText, u"UI[3]=");
}

void AppendExceptionCode(Text& summary, const Text& code, MessageTables* messages) {
    AppendCapped(summary, u"\r\n" + LocalText(LT_EXCEPTION_CODE) + code, kSummaryCapacity);
    const Text name = messages != nullptr ? ExceptionCodeTextName(*messages, code) : Text();
    if (!name.empty())
        AppendCapped(summary, u" (" + name + u")", kSummaryCapacity);
}

int32_t LinkReports(ErrorCatalogue& catalogue, MessageTables* messages) {
    int32_t count = static_cast<int32_t>(catalogue.entries.size());
    for (const auto& [reportId, reportKey] : catalogue.ReportFileIndex) {
        auto event = catalogue.EventReportIndex.find(reportId);
        if (event == catalogue.EventReportIndex.end())
            continue;
        ErrorEntry* report = catalogue.Find(reportKey);
        ErrorEntry* crash = catalogue.Find(event->second);
        if (report == nullptr || crash == nullptr)
            continue;
        --count;
        if (report->Linked == 1)
            continue;
        report->Linked = 1;
        if (!crash->ErrorText || !report->ErrorText)
            continue;

        Text summary = ReportSummary(*report->ErrorText);
        if (!summary.empty()) {
            if (crash->Category == CategoryApplicationError) {
                if (!crash->ExceptionCode.empty()) {
                    AppendExceptionCode(summary, crash->ExceptionCode, messages);
                }
            } else if (!crash->ErrorSummary.empty()) {
                summary += u"\r\n\r\n" + crash->ErrorSummary;
            }
            crash->ErrorSummary = CopyCapped(summary, kSummaryCapacity);
        }
        crash->ErrorText = JoinedText(*crash->ErrorText, *report->ErrorText);
    }
    return count;
}

}  // namespace veltrano
