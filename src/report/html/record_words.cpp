// The record's own words.
#include "report/html/record_words.h"

#include "shell/local_texts.h"

namespace veltrano {
namespace {

struct Wording {
    const char16_t* english;
    const char16_t* german;
};

constexpr Wording kIntro = {u"The source's message text is not on this drive: %s.",
                            u"Der Meldungstext der Quelle ist nicht auf diesem Laufwerk: %s."};
constexpr Wording kStrings = {u"The record's own strings:", u"Die Zeichenfolgen des Eintrags:"};
constexpr Wording kNoStrings = {u"The record holds no strings.",
                                u"Der Eintrag enthält keine Zeichenfolgen."};
constexpr Wording kUnknown = {u"it could not be found", u"er wurde nicht gefunden"};

Wording Reason(TextPath path) {
    switch (path) {
        case TextPath::NoRegistry:
            return {u"the drive has no registry (SYSTEM and SOFTWARE hives) to name the source's "
                    u"message files",
                    u"das Laufwerk hat keine Registrierung (SYSTEM- und SOFTWARE-Struktur), die "
                    u"die Meldungsdateien der Quelle nennt"};
        case TextPath::NotRegistered:
            return {u"the registry names no message file for the source",
                    u"die Registrierung nennt keine Meldungsdatei für die Quelle"};
        case TextPath::FilesMissing:
            return {u"the source's message files are missing",
                    u"die Meldungsdateien der Quelle fehlen"};
        case TextPath::NoMessage:
            return {u"the source's message files hold no message for this event",
                    u"die Meldungsdateien der Quelle enthalten keine Meldung für dieses Ereignis"};
        case TextPath::FormattingFailed:
            return {u"the source's message does not format with the record's strings",
                    u"die Meldung der Quelle lässt sich mit den Zeichenfolgen nicht bilden"};
        case TextPath::MessageFile:
        case TextPath::Manifest:
            break;
    }
    return kUnknown;
}

Text Say(const Wording& w) {
    return InterfaceLanguage() == kLanguageGerman ? w.german : w.english;
}

}  // namespace

Text RecordWordsText(const ErrorEntry& entry) {
    const Text reason = Say(entry.MissingText ? Reason(*entry.MissingText) : kUnknown);
    Text text = FormatStrings(Say(kIntro), {reason}) + u"\r\n\r\n";
    if (entry.InsertionStrings.empty())
        return text + Say(kNoStrings) + u"\r\n";
    text += Say(kStrings) + u"\r\n";
    for (size_t i = 0; i < entry.InsertionStrings.size(); ++i)
        text += u"%" + UnsignedText(i + 1) + u": " + entry.InsertionStrings[i] + u"\r\n";
    return text;
}

}  // namespace veltrano
