// Joins report files to the crash events that announced the same report: the event's entry gets
// the report's summary and full text, the report's entry is hidden. Safe to run again.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "engine/catalogue.h"
#include "platform/message_tables.h"

namespace veltrano {

// Returns the number of distinct errors (entries minus joined pairs). The caller holds
// CatalogueLock. messages may be null (exception codes then get no names).
int32_t LinkReports(ErrorCatalogue& catalogue, MessageTables* messages);

// The text after "UI[3]=" up to the next CR LF; empty when either is missing.
Text ReportSummary(TextView reportText);

// The value after the first occurrence of key up to the next CR LF; empty when either is missing.
Text ValueBeforeLineEnd(TextView text, TextView key);

// ": Exception Code returned was <code> (<name>)" style line appended to a summary.
void AppendExceptionCode(Text& summary, const Text& code, MessageTables* messages);

}  // namespace veltrano
