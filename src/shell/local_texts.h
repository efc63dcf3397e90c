// The program's English and German texts: one process-wide table, filled once at start-up, and
// LocalText to fetch an entry in the chosen language with its "%s" placeholders filled.
#pragma once

#include <cstdint>

#include "base/text.h"

namespace veltrano {

enum LocalTextId : int {
    LT_COL_APP_SOURCE,
    LT_COL_ERROR_NAME,
    LT_COL_ERROR_COUNT,
    LT_COL_LAST_TIME,
    LT_COL_APP_PATH,
    LT_INTERVAL_WEEK,
    LT_INTERVAL_MONTH,
    LT_INTERVAL_6MONTHS,
    LT_INTERVAL_ALL,
    LT_BUTTON_SEARCH,
    LT_BUTTON_INFO,
    LT_NO_ERRORS,
    LT_RECORDED_AT,
    LT_LAST_RECORDED,
    LT_DETAILED_LOGS,
    LT_ERRORS_FOUND,
    LT_ERRORS_TOTAL,
    LT_PLEASE_WAIT,
    LT_APP_STOPPED,
    LT_EXCEPTION_CODE,
    LT_LOGGED_BY_WER,
    LT_DETAILS_EVENT_LOG,
    LT_DETAILS_WER_FILE,
    LT_AGO_ONE_SECOND,
    LT_AGO_ONE_MINUTE,
    LT_AGO_ONE_HOUR,
    LT_AGO_ONE_DAY,
    LT_AGO_SECONDS,
    LT_AGO_MINUTES,
    LT_AGO_HOURS,
    LT_AGO_DAYS,
    LT_WEB_PAGE,
    LT_CONFIRM_REMOVE,
    LT_PRODUCT_NAME,
    LT_LIKE_QUESTION,
    LT_KEEP_OPTION,
    LT_KEEP_NOTE,
    LT_REMOVE_OPTION,
    LT_REMOVE_NOTE,
    LT_SELECT_ERROR,
    LT_OPEN_FILE_FAILED,
    LT_FILLED_ENTRIES,  // not an entry: the number of entries the table fills
};

constexpr int kLocalTextCapacity = 500;
constexpr int kLanguageEnglish = 0;
constexpr int kLanguageGerman = 1;

// The maker's web host, used by LT_WEB_PAGE.
inline constexpr char16_t kMakerWebHost[] = u"www.brenlow.example";

// Chooses the language from the user's default language identifier and the "-lang:" option of
// the command line (the text after the program name), then fills the table.
void InitLocalTexts(uint16_t userDefaultLanguage, TextView commandLine);

// The value of the first "-lang:" option as a hexadecimal number, or -1.
int32_t ParseLanguageOption(TextView commandLine);

// 0 English, 1 German.
int InterfaceLanguage();

// The entry in the interface language, used as a format whose "%s" take a1 to a5 in order.
Text LocalText(int id, TextView a1 = {}, TextView a2 = {}, TextView a3 = {}, TextView a4 = {},
               TextView a5 = {});

}  // namespace veltrano
