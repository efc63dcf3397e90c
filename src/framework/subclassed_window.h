// A control wrapper that sees the control's messages first (SetWindowSubclass).
#pragma once

#include <windows.h>

#include "framework/window.h"

namespace veltrano {

class CSubclassedWindow : public CWindow {
  public:
    ~CSubclassedWindow() override;
    bool Subclass(HWND hwnd);
    void Unsubclass();

  protected:
    // Return true when handled (result set); otherwise the control's own procedure runs.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
    bool subclassed_ = false;
};

}  // namespace veltrano
