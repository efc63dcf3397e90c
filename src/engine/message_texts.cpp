// Message-file lookup and formatting of event messages.
#include "engine/message_texts.h"

namespace veltrano {
namespace {

constexpr size_t kExpandedPathLimit = 32767;

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

Text MessageFileOf(Machine& machine, TextView logName, TextView source) {
    if (machine.registry == nullptr)
        return {};
    const Text key =
        u"SYSTEM\\CurrentControlSet\\services\\eventlog\\" + Text(logName) + u"\\" + Text(source);
    Text file = machine.registry->ReadMachineString(key, u"EventMessageFile");
    if (file.empty()) {
        const Text guid = machine.registry->ReadMachineString(key, u"providerGuid");
        if (!guid.empty()) {
            file = machine.registry->ReadMachineString(
                u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\" + guid,
                u"MessageFileName");
        }
    }
    if (file.empty())
        return {};
    if (const size_t semicolon = file.find(u';'); semicolon != Text::npos)
        file.resize(semicolon);
    const Text expanded = machine.environment != nullptr ? machine.environment->Expand(file) : file;
    if (expanded.size() > kExpandedPathLimit)
        return {};
    return expanded;
}

std::unique_ptr<MessageModule> LoadMessageModule(Machine& machine, TextView logName,
                                                 TextView source) {
    if (machine.messages == nullptr)
        return nullptr;
    const Text file = MessageFileOf(machine, logName, source);
    if (file.empty())
        return nullptr;
    return machine.messages->LoadAsData(file);
}

namespace {

// Replaces every "%" followed by digits by the module's message of that number; nullopt when
// one of them cannot be loaded. The text between them goes over whole.
std::optional<Text> SubstituteParameters(MessageModule& module, TextView text) {
    Text out;
    out.reserve(text.size());
    size_t copied = 0;
    for (size_t i = text.find(u'%'); i != TextView::npos; i = text.find(u'%', i)) {
        if (i + 1 >= text.size() || !IsDigit(text[i + 1])) {
            ++i;
            continue;
        }
        size_t end = i + 1;
        uint64_t number = 0;
        while (end < text.size() && IsDigit(text[end])) {
            number = number * 10 + static_cast<uint64_t>(text[end] - u'0');
            if (number > 0xFFFFFFFFu)
                return std::nullopt;
            ++end;
        }
        auto parameter = module.Format(static_cast<uint32_t>(number), nullptr);
        if (!parameter)
            return std::nullopt;
        out.append(text.substr(copied, i - copied));
        out += *parameter;
        i = copied = end;
    }
    out.append(text.substr(copied));
    return out;
}

}  // namespace

Text NormaliseLineEnds(TextView text) {
    Text out;
    out.reserve(text.size() + 8);
    // Runs between bare line feeds go over whole.
    size_t copied = 0;
    for (size_t i = text.find(u'\n'); i != TextView::npos; i = text.find(u'\n', i + 1)) {
        if (i > 0 && text[i - 1] == u'\r')
            continue;
        out.append(text.substr(copied, i - copied));
        out.push_back(u'\r');
        copied = i;
    }
    out.append(text.substr(copied));
    return out;
}

int HighestInsertNumber(TextView message) {
    int highest = 0;
    for (size_t i = 0; i + 1 < message.size(); ++i) {
        if (message[i] != u'%' || !IsDigit(message[i + 1]))
            continue;
        int number = 0;
        size_t j = i + 1;
        for (; j < message.size() && IsDigit(message[j]); ++j) {
            number = number < 100000 ? number * 10 + (message[j] - u'0') : number;
        }
        if (number > highest)
            highest = number;
        i = j - 1;
    }
    return highest;
}

MessageTexts ResolveMessageTexts(Machine& machine, const EventRecordView& record,
                                 TextView logName) {
    // One load serves the formatted text and the template: looking the module up a second time
    // would read the same registry values and load the same file again.
    auto module = LoadMessageModule(machine, logName, record.SourceName());
    if (!module)
        return {};
    return ResolveMessageTexts(*module, record, nullptr);
}

MessageTexts ResolveMessageTexts(MessageModule& module, const EventRecordView& record,
                                 const EventRecordView::Strings* known) {
    MessageTexts texts;
    const std::optional<Text> messageTemplate = module.Format(record.EventID(), nullptr);
    const int inserts = messageTemplate ? HighestInsertNumber(*messageTemplate) : 0;
    std::optional<Text> text;
    if (inserts <= 0 || record.NumStrings() < inserts) {
        text = messageTemplate;
    } else {
        EventRecordView::Strings read;
        if (known == nullptr)
            read = record.InsertionStrings();
        const EventRecordView::Strings& strings = known != nullptr ? *known : read;
        for (size_t i = 0; i < strings.values.size(); ++i) {
            if (i > 0)
                texts.ErrorTextParams += u"|";
            texts.ErrorTextParams += strings.values[i];
        }
        text = module.Format(record.EventID(), strings.complete ? &strings.values : nullptr);
        if (text) {
            if (auto substituted = SubstituteParameters(module, *text))
                text = std::move(substituted);
        }
    }
    if (text)
        texts.ErrorText = NormaliseLineEnds(*text);
    if (messageTemplate)
        texts.MessageTemplate = NormaliseLineEnds(*messageTemplate);
    return texts;
}

TextPath ClassicTextPath(Machine& machine, TextView logName, TextView source, uint32_t eventId) {
    const Text file = MessageFileOf(machine, logName, source);
    if (file.empty())
        return TextPath::NotRegistered;
    auto module = machine.messages != nullptr ? machine.messages->LoadAsData(file) : nullptr;
    if (!module)
        return TextPath::FilesMissing;
    return module->Format(eventId, nullptr) ? TextPath::FormattingFailed : TextPath::NoMessage;
}

std::optional<Text> QueryEventText(Machine& machine, TextView logName, uint32_t recordNumber) {
    if (machine.eventQuery == nullptr)
        return std::nullopt;
    return machine.eventQuery->EventText(logName, recordNumber);
}

}  // namespace veltrano
