// Registry keys as a REGEDIT4 file, the text that "regedit /S" imports: the same keys that the
// hive writer puts into a hive file, for importing into a live registry (a Wine prefix).
#pragma once

#include <string>

#include "writers/hive/hive_writer.h"

namespace veltrano {

// The "REGEDIT4" header line and a blank line.
std::string RegEditHeader();

// One section per key of the tree below and including key, named rootPath followed by the path
// from key ("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet"), parents before children, each
// with its values: strings as "text", REG_DWORD as dword:, everything else as hex(<type>): with
// the bytes of the type's ANSI form (REGEDIT4 keeps strings as ANSI; text outside Windows-1252's
// ASCII part is replaced by "?").
std::string RegEditSections(const HiveWriterKey& key, const std::string& rootPath);

}  // namespace veltrano
