// Compiled provider manifests (CRIM blocks, the data of a WEVT_TEMPLATE resource) for the tests
// and the sample machine, laid out as the message compiler lays out those of Windows binaries:
// the CRIM header and provider descriptors, then per provider its WEVT header with the element
// descriptors, its template table (TTBL with TEMP blocks: header, a binary XML fragment, item
// descriptors, names) and its event definitions (EVNT).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/offline/manifest/crim_manifest.h"

namespace veltrano::manifestwriter {

// The providers as the reader gives them back; EventTemplate::offset is not used (the writer
// places the templates), an event's templateIndex names one of its provider's templates.
std::vector<uint8_t> WriteCrim(const std::vector<manifest::ManifestProvider>& providers);

// The GUID of "{xxxxxxxx-xxxx-...}" or its bare form as the 16 bytes a manifest stores; all zero
// for text that is not one.
std::array<uint8_t, 16> GuidBytes(TextView text);

}  // namespace veltrano::manifestwriter
