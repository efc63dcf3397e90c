// The page's texts: the string table's where the window has one, a small table of its own
// for the rest.
#include "report/html/page_texts.h"

#include "shell/local_texts.h"

namespace veltrano {
namespace {

struct PageText {
    const char* name;
    const char16_t* english;
    const char16_t* german;
};

constexpr PageText kOwnTexts[] = {
    {"title", u"Veltrano error report", u"Veltrano-Fehlerbericht"},
    {"scanTime", u"Scanned at", u"Untersucht am"},
    {"machine", u"Machine", u"Computer"},
    {"allMachines", u"All machines", u"Alle Computer"},
    {"timeline", u"Errors per day", u"Fehler pro Tag"},
    {"days30", u"30 days", u"30 Tage"},
    {"months6", u"6 months", u"6 Monate"},
    {"allRange", u"All", u"Alle"},
    {"upTo", u"errors up to %s; scanned %s", u"Fehler bis %s; untersucht am %s"},
    {"perMachine", u"One timeline per machine", u"Eine Zeitleiste pro Computer"},
    {"cat1", u"Report files", u"Berichtsdateien"},
    {"cat2", u"Event log", u"Ereignisprotokoll"},
    {"cat3", u"Hangs", u"Hänger"},
    {"cat4", u"Crashes", u"Abstürze"},
    {"day", u"Day", u"Tag"},
    {"weekOf", u"Week from", u"Woche ab"},
    {"total", u"Total", u"Gesamt"},
    {"search", u"Search names, paths and texts", u"Namen, Pfade und Texte durchsuchen"},
    {"showAllDays", u"Show every day", u"Alle Tage zeigen"},
    {"rowsShown", u"%s rows shown", u"%s Zeilen angezeigt"},
    {"read", u"What was read", u"Was gelesen wurde"},
    {"intervalCounts", u"Errors per interval", u"Fehler je Zeitraum"},
    {"lookup", u"Search online for a solution", u"Online nach einer Lösung suchen"},
    {"crashDump", u"Crash dump", u"Absturzabbild"},
    {"dumpFile", u"File", u"Datei"},
    {"exception", u"Exception", u"Ausnahme"},
    {"faultAt", u"Fault in", u"Fehler in"},
    {"agreement", u"Record and dump", u"Eintrag und Abbild"},
    {"agree0", u"agree", u"stimmen überein"},
    {"agree1", u"differ", u"weichen ab"},
    {"agree2", u"the record names no fault module", u"der Eintrag nennt kein fehlerhaftes Modul"},
    {"recordSays", u"The record says", u"Laut Eintrag"},
    {"dumpSays", u"The dump says", u"Laut Abbild"},
    {"signature", u"Signature", u"Signatur"},
    {"frames", u"Frames", u"Aufrufstapel"},
    {"how0", u"registers", u"Register"},
    {"how1", u"frame pointer", u"Rahmenzeiger"},
    {"how2", u"unwind data", u"Entladedaten"},
    {"how3", u"stack scan", u"Stapelsuche"},
    {"modules", u"Modules (%s)", u"Module (%s)"},
    {"moduleName", u"Module", u"Modul"},
    {"moduleVersion", u"Version", u"Version"},
    {"pdbName", u"PDB", u"PDB"},
    {"pdbId", u"PDB identifier", u"PDB-Kennung"},
    {"stopError", u"Stop error", u"Stoppfehler"},
    {"bugCheck", u"Bug check", u"Fehlerprüfung"},
    {"parameters", u"Parameters", u"Parameter"},
    {"driver", u"Driver", u"Treiber"},
    {"kernelDump", u"Kernel dump", u"Kernel-Speicherabbild"},
};

constexpr std::pair<const char*, int> kWindowTexts[] = {
    {"colApp", LT_COL_APP_SOURCE},          {"colName", LT_COL_ERROR_NAME},
    {"colCount", LT_COL_ERROR_COUNT},       {"colAge", LT_COL_LAST_TIME},
    {"colPath", LT_COL_APP_PATH},           {"interval1", LT_INTERVAL_WEEK},
    {"interval2", LT_INTERVAL_MONTH},       {"interval3", LT_INTERVAL_6MONTHS},
    {"interval4", LT_INTERVAL_ALL},         {"noErrors", LT_NO_ERRORS},
    {"detailLink", LT_DETAILED_LOGS},       {"selectError", LT_SELECT_ERROR},
    {"detailsEvent", LT_DETAILS_EVENT_LOG}, {"detailsWer", LT_DETAILS_WER_FILE},
};

}  // namespace

std::vector<std::pair<const char*, Text>> PageTexts() {
    const bool german = InterfaceLanguage() == kLanguageGerman;
    std::vector<std::pair<const char*, Text>> texts;
    for (const PageText& t : kOwnTexts)
        texts.emplace_back(t.name, german ? t.german : t.english);
    for (const auto& [name, id] : kWindowTexts)
        texts.emplace_back(name, LocalText(id));
    return texts;
}

}  // namespace veltrano
