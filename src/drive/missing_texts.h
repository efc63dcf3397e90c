// Why an error record's message text did not come out on an analysed drive: through the source's
// message file, through the provider's manifest, or why neither, told apart from a drive that
// lacks its registry.
#pragma once

#include <cstdint>

#include "engine/catalogue.h"
#include "platform/machine.h"
#include "platform/offline/manifest/manifest_event_query.h"

namespace veltrano {

// Why a record that the message-file path gave no text still has none. query: the manifest port
// with its reasons, null where there is none; registryMissing: the drive lacks SYSTEM or SOFTWARE.
TextPath WhyNoText(Machine& machine, manifest::ManifestEventQuery* query,
                   const RecordOrigin& record, bool registryMissing);

// Notes on every event entry without a text why it has none.
void ExplainMissingTexts(ErrorCatalogue& catalogue, Machine& machine,
                         manifest::ManifestEventQuery* query, bool registryMissing);

}  // namespace veltrano
