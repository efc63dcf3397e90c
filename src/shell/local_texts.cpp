// The string table and the language choice.
#include "shell/local_texts.h"

#include <array>

namespace veltrano {
namespace {

struct TextPair {
    const char16_t* english;
    const char16_t* german;
};

// Entries in the program's order; the index is the identifier.
constexpr TextPair kTexts[] = {
    {u"AppName / SourceName", u"AppName / Quelle"},
    {u"Error Name / ID", u"Fehler Name / ID"},
    {u"Error Count", u"Fehleranzahl"},
    {u"Last Error Time", u"Letztes Auftreten"},
    {u"App Path", u"Datei"},
    {u"Last Week", u"Letzte Woche"},
    {u"Last Month", u"Letzten Monat"},
    {u"6 Months", u"6 Monate"},
    {u"All", u"Alle"},
    {u"Google", u"Google"},
    {u"Info", u"Info"},
    {u"No error logged in this interval", u"Es ist kein Fehler in diesem Zeitraum aufgetreten."},
    {u"Error was recorded at:", u"Fehler wurde aufgezeichnet am:"},
    {u"This error was last recorded at %s", u"Dieser Fehler wurde zuletzt aufgezeichnet am %s"},
    {u"Click here to see the detailed logs",
     u"Klicken Sie hier, um die detaillierte Fehlerprotokolle zu sehen"},
    {u"%s errors found, occurred in the last %s days",
     u"%s Fehler gefunden, aufgetreten in den letzten %s Tagen"},
    {u"Total: %s errors in the last %s days",
     u"Insgesamt wurden %s Fehler in den letzten %s Tagen"},
    {u"Please Wait ...", u"Bitte Warten ..."},
    {u"The application encountered an error and stopped working.",
     u"Die Anwendung hat einen Fehler festgestellt und funktioniert nicht mehr."},
    {u"Exception Code returned was ", u"Der zurückgegebene Ausnahmecode war "},
    {u"The application encountered an error that was logged by Windows Error Reporting.",
     u"Die Anwendung hat einen Fehler festgestellt, die von der "
     u"Windows-Fehlerberichterstattung protokolliert wurde."},
    {u"Details from the event log", u"Einzelheiten aus dem Ereignisprotokoll"},
    {u"Details from WER file", u"Einzelheiten von der WER Datei"},
    {u"1 second ago", u"vor 1 Sekunde"},
    {u"1 minute ago", u"vor 1 Minute"},
    {u"1 hour ago", u"vor 1 Stunde"},
    {u"1 day ago", u"vor 1 Tag"},
    {u"%s seconds ago", u"vor %s Sekunden"},
    {u"%s minutes ago", u"vor %s Minuten"},
    {u"%s hours ago", u"vor %s Stunden"},
    {u"%s days ago", u"vor %s Tagen"},
    {nullptr, nullptr},  // LT_WEB_PAGE: built from the maker's host
    {u"Are you sure you want to remove Veltrano from your computer?",
     u"Wollen Sie wirklich Veltrano deinstallieren?"},
    {u"Veltrano", u"Veltrano"},
    {u"Do you like Veltrano?", u"Gefällt Ihnen Veltrano?"},
    {u"Yes, I want to keep the program!", u"Ja, ich möchte das Programm behalten!"},
    {u"To start the program click on the icon on your desktop.",
     u"Um das Programm zu starten klicken Sie auf das Icon auf dem Desktop."},
    {u"No, I don't like it.", u"Nein, es gefällt mir nicht."},
    {u"Veltrano will be removed from your computer.",
     u"Veltrano wird von diesem Computer gelöscht."},
    {u"Please select an error", u"Bitte markieren Sie zuerst einen Fehler"},
    {u"Failed to open file %s: %s", u"Konnte die Datei nicht öffnen %s: %s"},
};
static_assert(std::size(kTexts) == LT_FILLED_ENTRIES, "one pair per identifier");

int g_language = kLanguageEnglish;
std::array<std::array<Text, 2>, kLocalTextCapacity> g_table;

void FillTable() {
    for (int id = 0; id < LT_FILLED_ENTRIES; ++id) {
        if (kTexts[id].english == nullptr)
            continue;
        g_table[id][kLanguageEnglish] = kTexts[id].english;
        g_table[id][kLanguageGerman] = kTexts[id].german;
    }
    g_table[LT_WEB_PAGE][kLanguageEnglish] = Text(kMakerWebHost) + u"/software/veltrano";
    g_table[LT_WEB_PAGE][kLanguageGerman] =
        Text(kMakerWebHost) + u"/software/veltrano/index-de.html";
}

}  // namespace

int32_t ParseLanguageOption(TextView commandLine) {
    if (commandLine.empty())
        return -1;
    size_t pos = 0;
    while (pos < commandLine.size()) {
        while (pos < commandLine.size() && commandLine[pos] == u' ')
            ++pos;
        size_t end = pos;
        while (end < commandLine.size() && commandLine[end] != u' ')
            ++end;
        const TextView token = commandLine.substr(pos, end - pos);
        pos = end;
        if (token.size() < 7)
            continue;
        if (token.substr(0, 6) == u"-lang:") {
            uint32_t value = 0;
            if (!ParseHex(token.substr(6), value))
                return -1;
            return static_cast<int32_t>(value);
        }
    }
    return -1;
}

void InitLocalTexts(uint16_t userDefaultLanguage, TextView commandLine) {
    g_language = kLanguageEnglish;
    int primary = userDefaultLanguage & 0xFF;
    const int32_t option = ParseLanguageOption(commandLine);
    if (option > 0)
        primary = option & 0xFF;
    if (primary == 7)
        g_language = kLanguageGerman;
    FillTable();
}

int InterfaceLanguage() {
    return g_language;
}

Text LocalText(int id, TextView a1, TextView a2, TextView a3, TextView a4, TextView a5) {
    if (id < 0 || id >= kLocalTextCapacity)
        return {};
    return FormatStrings(g_table[id][g_language],
                         {Text(a1), Text(a2), Text(a3), Text(a4), Text(a5)});
}

}  // namespace veltrano
