// Resource-only PE images (x64 DLLs with one .rsrc section and nothing to run), as message files,
// their language resource files (.mui) and .mun files are: a message table and, for a provider's
// binary, its WEVT_TEMPLATE. For the tests and the sample machine.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "base/text.h"

namespace veltrano::manifestwriter {

struct ResourceSpec {
    std::optional<uint16_t> typeId;  // a numeric type (11: message table) ...
    Text typeName;                   // ... or a named one ("WEVT_TEMPLATE")
    uint16_t name = 1;
    uint16_t language = 0x0409;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> WriteResourceDll(const std::vector<ResourceSpec>& resources);

// The RT_MESSAGETABLE data of messages (identifier -> text as stored, with its line ends),
// in UTF-16 entries as the message compiler writes them.
std::vector<uint8_t> WriteMessageTable(const std::map<uint32_t, Text>& messages);

// The usual resources of a provider's files: a message table in language, and when manifest is
// not empty the WEVT_TEMPLATE resource with it.
std::vector<ResourceSpec> ProviderResources(const std::map<uint32_t, Text>& messages,
                                            uint16_t language,
                                            const std::vector<uint8_t>& manifest = {});

}  // namespace veltrano::manifestwriter
