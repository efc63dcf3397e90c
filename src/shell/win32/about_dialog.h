// The about box: name, version, legal notice and the maker's address, with a link to the
// maker's web page.
#pragma once

#include "framework/dialog.h"
#include "framework/link_control.h"
#include "platform/shell.h"

namespace veltrano {

class CAboutDlg : public CDialog {
  public:
    explicit CAboutDlg(Shell& shell, HWND parent = nullptr);

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;

  private:
    Shell& shell_;
    CWindow text_;
    CLinkCtrl link_;
};

}  // namespace veltrano
