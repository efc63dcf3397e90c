// The query of the online error lookup: sixteen "|"-separated fields describing one error of
// the list, the program and the computer, with two checksums over the fields.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "engine/catalogue.h"
#include "platform/clock.h"

namespace veltrano {

constexpr int kLookupColumns = 5;

// What the window reads of the chosen list row.
struct LookupRow {
    int imageIndex = 0;  // the list keeps the Category minus one there
    // "AppName / SourceName", "Error Name / ID", "Error Count" (of the shown interval),
    // "Last Error Time", "App Path", as displayed.
    Text columns[kLookupColumns];
};

// What the window knows beside the row.
struct LookupContext {
    Text fileVersion;        // the program's file version text, "" when it cannot be read
    int32_t weekCount = 0;   // errors of the last week, as the window counted them
    int32_t monthCount = 0;  // errors of the last month
};

// CRC-32 of the UTF-8 form of the text (0 for an empty text).
uint32_t TextCrc32(TextView text);

// The lookup page's address for a query (the host is a build setting, VELTRANO_LOOKUP_HOST).
Text LookupUrl(const Text& query);

// The query (without the URL head). Takes CatalogueLock itself while it reads the catalogue, so
// the caller must not hold it. The debug flag appends "|-DEBUG".
Text BuildLookupQuery(const LookupRow& row, const LookupContext& context,
                      const ErrorCatalogue& catalogue, SystemInfo& system, bool debug);

}  // namespace veltrano
