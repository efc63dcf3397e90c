// The keep-or-remove question for systems without the task dialog: a heading, two options with
// their notes, and OK. The title-bar close button is disabled; Escape leaves the first option.
#pragma once

#include "framework/dialog.h"
#include "platform/win32/scoped_handle.h"

namespace veltrano {

class CXPOptions : public CDialog {
  public:
    explicit CXPOptions(HWND parent = nullptr);
    ~CXPOptions() override;

    // Set by the caller before the dialog runs.
    Text heading;
    Text keepNote;
    Text removeNote;
    // 0 the first option, 1 the second, -1 none; stored back only by OK.
    int option = 0;

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    BOOL OnInitDialog() override;

  private:
    ScopedGdiObject headingFont_;
    ScopedGdiObject optionFont_;
};

}  // namespace veltrano
