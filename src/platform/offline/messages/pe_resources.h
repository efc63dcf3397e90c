// Resources of PE images (Windows executables, DLLs and their language resource files) read
// from the file's bytes without loading it: headers, section table, and the three-level
// resource directory (type, name, language).
#pragma once

#include <cstdint>
#include <vector>

#include "base/byte_view.h"
#include "base/text.h"

namespace veltrano {

struct PeResource {
    uint16_t language = 0;
    ByteView data;  // inside the image's bytes
};

// True when the bytes start with the DOS and PE headers of an image.
bool IsPeImage(ByteView image);

// The resources of a numeric type and numeric name in the order of the resource directory (which
// sorts them by language). Empty when the image has none or its directory is damaged.
std::vector<PeResource> FindPeResources(ByteView image, uint16_t type, uint16_t name);
// The same for a type known by its name ("WEVT_TEMPLATE"), compared without letter case.
std::vector<PeResource> FindPeResources(ByteView image, TextView typeName, uint16_t name);

}  // namespace veltrano
