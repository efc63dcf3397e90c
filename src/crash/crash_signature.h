// A crash's signature: the module, its version and the offset of the first frame outside the
// system's exception dispatch, the same for the same fault on every machine that runs the same
// build (no load addresses, no paths), and a short hash of it for grouping and lookup.
//
// The hash is FNV-1a, 32 bits (offset basis 0x811C9DC5, prime 0x01000193), over the UTF-8 bytes
// of "<module>|<version>|0x<offset>": the module's file name in lower case, its file version as
// "a.b.c.d" in decimal (empty when the module has none) and the offset in lower-case hex without
// leading zeros; written as 8 lower-case hex digits. "app.exe|1.2.3.4|0x1a2b" hashes to d9134ec2.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"

namespace veltrano::crash {

struct CrashSignature {
    Text module;   // file name only, lower-case
    Text version;  // "10.0.17134.254"; empty when the module has no version resource
    uint64_t offset = 0;
    size_t frame = 0;  // which of the walk's frames it names
    Text input;        // the text hashed, "<module>|<version>|0x<offset>"
    Text hash;         // 8 lower-case hex digits
};

uint32_t Fnv1a32(std::string_view bytes);

CrashSignature MakeSignature(TextView module, TextView version, uint64_t offset, size_t frame);

// A VS_FIXEDFILEINFO version (most significant part in the high word) as "a.b.c.d".
Text VersionText(uint64_t version);

// Lower-case hex without leading zeros ("1a2b", "0").
Text HexText(uint64_t value);

}  // namespace veltrano::crash
