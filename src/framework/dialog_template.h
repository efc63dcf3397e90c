// Dialog templates as bytes: reading the font of a DLGTEMPLATE / DLGTEMPLATEEX and writing a copy
// with another font, as the pre-create-dialog hook needs.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/text.h"

namespace veltrano {

struct DialogFont {
    Text face;
    uint16_t pointSize = 0;
};

// The template's font; nullopt when it has none or the bytes are not a dialog template.
std::optional<DialogFont> TemplateFont(const uint8_t* data, size_t size);

// A copy of the template with its font replaced (or set, when it had none); nullopt when the
// bytes are not a dialog template.
std::optional<std::vector<uint8_t>> WithTemplateFont(const uint8_t* data, size_t size,
                                                     const DialogFont& font);

}  // namespace veltrano
