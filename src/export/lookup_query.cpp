// The lookup query. Fields: 0 version digit and category, 1 to 4 the row's name, error, count
// and time, 5 checksum of 6 to 13, 6 error text, 7 application path, 8 Windows version and user
// language, 9 exception code, 10 and 11 the report's UI[3] and EventType values, 12 interval
// counts, total and age, 13 volume serial of C:, 14 checksum of 2 to 4, 15 error parameters.
#include "export/lookup_query.h"

#include <array>
#include <cstdio>
#include <mutex>
#include <string>

#include "base/crc32.h"
#include "export/url_encode.h"
#include "shell/local_texts.h"
#include "shell/path_variables.h"

namespace veltrano {
namespace {

constexpr int kFields = 16;
constexpr size_t kTextLimit = 1000;  // characters of error text and parameters sent

// The value after the first occurrence of key, up to the next CR LF; "" when the key is missing
// or no CR LF follows.
Text ReportValue(TextView text, TextView key) {
    const size_t at = text.find(key);
    if (at == TextView::npos)
        return {};
    const size_t start = at + key.size();
    const size_t end = text.find(u"\r\n", start);
    if (end == TextView::npos)
        return {};
    return Text(text.substr(start, end - start));
}

// The first count tokens between CR and LF characters, joined by one space, trimmed.
Text FirstLines(TextView text, int count) {
    Text joined;
    size_t pos = 0;
    for (int taken = 0; taken < count; ++taken) {
        pos = text.find_first_not_of(u"\r\n", pos);
        if (pos == TextView::npos)
            break;
        size_t end = text.find_first_of(u"\r\n", pos);
        if (end == TextView::npos)
            end = text.size();
        if (taken > 0)
            joined += u' ';
        joined += text.substr(pos, end - pos);
        pos = end;
    }
    return Text(Trim(joined));
}

struct ErrorTexts {
    Text text;
    Text parameters;
};

// The error text and parameters sent for an entry, by its category.
ErrorTexts ChooseTexts(const ErrorEntry& entry, TextView ui3) {
    const TextView errorText = entry.ErrorText ? TextView(*entry.ErrorText) : TextView();
    switch (entry.Category) {
        case CategoryEventLog:
            if (entry.MessageTemplate)
                return {*entry.MessageTemplate, entry.ErrorTextParams};
            return {Text(errorText), {}};
        case CategoryApplicationHang:
            if (entry.MessageTemplate) {
                return {FirstLines(*entry.MessageTemplate, 1), entry.ErrorTextParams};
            }
            return {entry.ErrorSummary, {}};
        case CategoryReportFile:
            if (entry.ErrorSummary != LocalText(LT_LOGGED_BY_WER))
                return {entry.ErrorSummary, {}};
            if (!ui3.empty())
                return {Text(ui3), {}};
            return {FirstLines(errorText, 2), {}};
        default:
            if (entry.ErrorSummary != LocalText(LT_APP_STOPPED))
                return {entry.ErrorSummary, {}};
            return {FirstLines(errorText, 2), {}};
    }
}

Text Formatted(const char* format, auto... values) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return Ascii(buffer);
}

Text Checksum(const std::array<Text, kFields>& fields, int first, int last) {
    Text joined;
    for (int i = first; i <= last; ++i)
        joined += fields[i];
    return Formatted("0x%08x", static_cast<unsigned>(TextCrc32(joined)));
}

}  // namespace

Text LookupUrl(const Text& query) {
    return Text(u"http://") + VELTRANO_LOOKUP_HOST_TEXT + u"/search.pl?" + query;
}

uint32_t TextCrc32(TextView text) {
    const std::string utf8 = Utf16ToUtf8(text);
    return Crc32(utf8.data(), utf8.size());
}

Text BuildLookupQuery(const LookupRow& row, const LookupContext& context,
                      const ErrorCatalogue& catalogue, SystemInfo& system, bool debug) {
    std::array<Text, kFields> f;
    if (!context.fileVersion.empty())
        f[0] = context.fileVersion.substr(0, 1);
    f[0] += DecimalText(row.imageIndex + 1);
    f[1] = UrlEncode(row.columns[0]);
    f[2] = UrlEncode(row.columns[1]);
    f[3] = row.columns[2];
    f[4] = UrlEncode(row.columns[3]);

    ErrorTexts texts;
    int32_t totalErrors = 0;
    int32_t maxAgeDays = 0;
    {
        std::lock_guard lock(catalogue.CatalogueLock);
        totalErrors = catalogue.TotalErrors;
        maxAgeDays = catalogue.MaxAgeDays;
        if (const ErrorEntry* entry = catalogue.Find(row.columns[0] + u"_" + row.columns[1])) {
            f[9] = entry->ExceptionCode;
            const TextView errorText = entry->ErrorText ? TextView(*entry->ErrorText) : TextView();
            const Text ui3 = ReportValue(errorText, u"UI[3]=");
            f[10] = UrlEncode(ui3);
            f[11] = UrlEncode(ReportValue(errorText, u"EventType="));
            texts = ChooseTexts(*entry, ui3);
        }
    }
    f[6] = UrlEncode(MaskPathVariables(texts.text).substr(0, kTextLimit));
    f[15] = UrlEncode(MaskPathVariables(texts.parameters).substr(0, kTextLimit));
    f[7] = UrlEncode(MaskPathVariables(row.columns[4]));

    const WindowsVersion version = system.Version();
    f[8] = Formatted("%d.%d.%x", version.major, version.minor,
                     static_cast<unsigned>(system.UserDefaultLanguage()));
    f[12] =
        Formatted("%d.%d.%d.%d", context.weekCount, context.monthCount, totalErrors, maxAgeDays);
    f[13] = Formatted("%lu", static_cast<unsigned long>(system.VolumeSerial(u"C:\\").value_or(0)));
    f[5] = Checksum(f, 6, 13);
    f[14] = Checksum(f, 2, 4);

    Text query;
    for (int i = 0; i < kFields; ++i) {
        if (i > 0)
            query += u'|';
        query += f[i];
    }
    if (debug)
        query += u"|-DEBUG";
    return query;
}

}  // namespace veltrano
