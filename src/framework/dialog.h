// Dialog base: created from a template resource (modal, or modeless for tests), the template
// passing through the application's control-container hook; messages dispatched to small
// virtual hooks. No exception ever leaves the dialog procedure.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/data_exchange.h"
#include "framework/window.h"

namespace veltrano {

class CDialog : public CWindow {
  public:
    CDialog(UINT templateId, HWND parent = nullptr) : templateId_(templateId), parent_(parent) {}
    ~CDialog() override;

    // Runs the dialog modally; returns the value given to EndDialog (-1 on failure).
    INT_PTR DoModal();
    // Creates the dialog modeless (tests drive it by messages); false on failure.
    bool Create(HWND parent = nullptr);
    void EndDialog(INT_PTR result);

    UINT TemplateId() const { return templateId_; }
    bool HasReplacementTemplate() const { return !replacementTemplate_.empty(); }
    const DLGTEMPLATE* SetReplacementTemplate(std::vector<uint8_t> bytes);

    // Transfers the bound data: from the controls when save is true, to them otherwise.
    bool UpdateData(bool save = true);

  protected:
    virtual void DoDataExchange(DataExchange&) {}
    virtual BOOL OnInitDialog();
    virtual bool OnCommand(UINT code, UINT id, HWND control);
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    virtual void OnOK();
    virtual void OnCancel();
    // Every other message; return true when handled, with the message's result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    const DLGTEMPLATE* PrepareTemplate();

    UINT templateId_;
    HWND parent_;
    bool modal_ = false;
    std::vector<uint8_t> replacementTemplate_;
};

}  // namespace veltrano
