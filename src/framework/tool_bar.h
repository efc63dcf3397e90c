// Toolbar control: created from a toolbar resource (RT_TOOLBAR: button identifiers, 0 for a
// separator), with one-line wrappers over the button messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/window.h"

namespace veltrano {

// Button styles as toolbar resources and SetButtonInfo use them.
constexpr BYTE kButtonSeparator = BTNS_SEP;  // 1
constexpr BYTE kButtonCheck = BTNS_CHECK;    // 2
constexpr BYTE kButtonGroup = BTNS_GROUP;    // 4

class CToolBar : public CWindow {
  public:
    using CWindow::CWindow;
    // Creates the toolbar as a child with the given styles and control identifier.
    bool Create(HWND parent, DWORD style, int id);
    // Adds the buttons of a toolbar resource; image indexes count the non-separators.
    bool LoadToolBar(HINSTANCE instance, int resourceId);

    int ButtonCount() const { return static_cast<int>(Send(TB_BUTTONCOUNT)); }
    TBBUTTON Button(int index) const {
        TBBUTTON button{};
        Send(TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
        return button;
    }
    int IndexOf(int id) const { return static_cast<int>(Send(TB_COMMANDTOINDEX, id)); }
    // Identifier, style and image (the width for a separator) of the button at an index.
    void SetButtonInfo(int index, int id, BYTE style, int image) const;
    void SetButtonText(int index, const Text& text) const;
    Text ButtonText(int index) const;
    RECT ItemRect(int index) const {
        RECT r{};
        Send(TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    void HideButton(int id, bool hide) const { Send(TB_HIDEBUTTON, id, MAKELPARAM(hide, 0)); }
    bool IsButtonHidden(int id) const { return Send(TB_ISBUTTONHIDDEN, id) != 0; }
    void EnableButton(int id, bool enable) const {
        Send(TB_ENABLEBUTTON, id, MAKELPARAM(enable, 0));
    }
    bool IsButtonEnabled(int id) const { return Send(TB_ISBUTTONENABLED, id) != 0; }
    void CheckButton(int id, bool check) const { Send(TB_CHECKBUTTON, id, MAKELPARAM(check, 0)); }
    bool IsButtonChecked(int id) const { return Send(TB_ISBUTTONCHECKED, id) != 0; }
    // Width and height of all visible buttons and separators together.
    SIZE TotalSize() const {
        SIZE size{};
        Send(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
        return size;
    }
    void SetSizes(SIZE button, SIZE image) const {
        Send(TB_SETBITMAPSIZE, 0, MAKELPARAM(image.cx, image.cy));
        Send(TB_SETBUTTONSIZE, 0, MAKELPARAM(button.cx, button.cy));
    }
    void SetImageList(HIMAGELIST images) const {
        Send(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    }
};

}  // namespace veltrano
