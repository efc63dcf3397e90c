// The report is a sequence of "error" elements after the XML declaration. Element texts are
// escaped and CDATA sections split around "]]>", and the file starts with the UTF-16LE
// byte-order mark, so that XML readers take it as it is.
#include "export/xml_report.h"

#include <vector>

#include "base/byte_store.h"
#include "shell/path_variables.h"
#include "shell/time_text.h"

namespace veltrano {
namespace {

constexpr char16_t kDeclaration[] = u"<?xml version=\"1.0\" ?>\r\n";
constexpr char16_t kReplacement = 0xFFFD;

// XML 1.0 has no form for most control characters, for U+FFFE and U+FFFF and for unpaired
// surrogates, not even inside CDATA; they become U+FFFD.
Text XmlCharacters(TextView text) {
    Text out(text);
    for (const CodePoint cp : CodePoints(text)) {
        const char32_t c = cp.value;
        const bool control = c < 0x20 && c != U'\t' && c != U'\n' && c != U'\r';
        if (control || c == 0xFFFE || c == 0xFFFF || cp.lone)
            out[cp.offset] = kReplacement;
    }
    return out;
}

// Text of a plain element, masked.
Text ElementText(TextView value) {
    const Text masked = XmlCharacters(MaskPathVariables(value));
    Text out;
    out.reserve(masked.size());
    for (char16_t c : masked) {
        switch (c) {
            case u'&':
                out += u"&amp;";
                break;
            case u'<':
                out += u"&lt;";
                break;
            case u'>':
                out += u"&gt;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

// A CDATA section of the masked value, with each "]]>" inside split over two sections.
Text CData(TextView value) {
    const Text masked = XmlCharacters(MaskPathVariables(value));
    Text out = u"<![CDATA[\r\n";
    size_t from = 0;
    for (size_t end = masked.find(u"]]>"); end != Text::npos; end = masked.find(u"]]>", from)) {
        out.append(masked, from, end + 2 - from);
        out += u"]]><![CDATA[";
        from = end + 2;
    }
    out.append(masked, from);
    out += u"\r\n]]>";
    return out;
}

void AppendTagged(Text& block, TextView tag, TextView content) {
    block += u"<";
    block += tag;
    block += u">";
    block += content;
    block += u"</";
    block += tag;
    block += u">\r\n";
}

void AppendElement(Text& block, TextView tag, TextView value) {
    AppendTagged(block, tag, ElementText(value));
}

void AppendCDataElement(Text& block, TextView tag, TextView value) {
    AppendTagged(block, tag, u"\r\n" + CData(value) + u"\r\n");
}

TextView CategoryText(int32_t category) {
    switch (category) {
        case CategoryReportFile:
            return u"WER";
        case CategoryEventLog:
            return u"Event Log";
        case CategoryApplicationHang:
            return u"Application Hang";
        case CategoryApplicationError:
            return u"Application Error";
        default:
            return u"";
    }
}

bool WriteUtf16(WritableFile& file, TextView text) {
    std::vector<uint8_t> bytes;
    AppendUtf16Le(bytes, text);
    return file.Write(bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

Text ErrorElementText(const ErrorEntry& entry, int number, Clock& clock) {
    Text block = u"<error id=\"" + DecimalText(number) + u"\">\r\n";
    AppendElement(block, u"AppName", entry.AppName);
    AppendElement(block, u"ErrorName", entry.ErrorName);
    const Text latest = entry.OccurrenceTimes.empty()
                            ? Text()
                            : FileTimeToLocalText(clock, *entry.OccurrenceTimes.begin());
    AppendElement(block, u"LastErrorDateTime", latest);
    AppendElement(block, u"Category", CategoryText(entry.Category));
    AppendElement(block, u"ErrorCount", DecimalText(entry.ErrorCount));
    AppendElement(block, u"AppPath", entry.AppPath);
    AppendCDataElement(block, u"ErrorSummary", entry.ErrorSummary);
    if (entry.MessageTemplate) {
        AppendCDataElement(block, u"ErrorText", *entry.MessageTemplate);
        AppendCDataElement(block, u"ErrorTextParams", entry.ErrorTextParams);
    } else {
        AppendCDataElement(block, u"ErrorText", entry.ErrorText.value_or(Text()));
    }
    block += u"</error>\r\n";
    return block;
}

bool WriteErrorElement(const ErrorEntry& entry, int number, WritableFile& file, Clock& clock) {
    return WriteUtf16(file, ErrorElementText(entry, number, clock));
}

int WriteErrorReport(FileSystem& files, Clock& clock, TextView reportPath,
                     const ErrorCatalogue& catalogue, uint32_t* openError) {
    auto file = files.CreateForWriting(reportPath);
    if (!file) {
        if (openError != nullptr)
            *openError = files.LastError();
        return kReportOpenFailed;
    }
    constexpr uint8_t kByteOrderMark[] = {0xFF, 0xFE};
    bool complete = file->Write(kByteOrderMark, sizeof kByteOrderMark) == sizeof kByteOrderMark;
    complete = WriteUtf16(*file, kDeclaration) && complete;
    int number = 0;
    for (const auto& [time, key] : catalogue.RecencyIndex) {
        const ErrorEntry* entry = catalogue.Find(key);
        if (entry == nullptr || entry->Linked == 1)
            continue;
        complete = WriteErrorElement(*entry, ++number, *file, clock) && complete;
    }
    return complete ? kReportWritten : kReportWriteFailed;
}

}  // namespace veltrano
