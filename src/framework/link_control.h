// Link control (SysLink) wrapper.
#pragma once

#include "framework/window.h"

namespace veltrano {

class CLinkCtrl : public CWindow {
  public:
    using CWindow::CWindow;
    // Shows the markup with its links' identifiers and addresses, whatever the control's font
    // (see link_markup.h for why the attributes are not left to the control's own parsing).
    void SetMarkup(TextView markup) const;
};

}  // namespace veltrano
