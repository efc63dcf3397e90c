// The detail text of an event whose source's message text is not to be had: a sentence saying
// so and why, then the record's own insertion strings, in the interface language.
#pragma once

#include "engine/catalogue.h"

namespace veltrano {

Text RecordWordsText(const ErrorEntry& entry);

}  // namespace veltrano
