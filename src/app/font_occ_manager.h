// CFontOccManager: gives every dialog the system's message font on Windows Vista and later.
#pragma once

#include "framework/app.h"
#include "framework/dialog_template.h"

namespace veltrano {

class CFontOccManager : public CControlContainerManager {
  public:
    const DLGTEMPLATE* PreCreateDialog(CDialog& dialog, const DLGTEMPLATE* dialogTemplate,
                                       size_t size) override;
};

// The system's message font and its size in points, as the screen measures it.
DialogFont SystemMessageFont();

}  // namespace veltrano
