// Toolbar creation and button changes.
#include "framework/tool_bar.h"

#include <cstring>
#include <vector>

namespace veltrano {
namespace {

constexpr WORD kToolBarResourceType = 241;  // RT_TOOLBAR

}  // namespace

bool CToolBar::Create(HWND parent, DWORD style, int id) {
    hwnd_ = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | style, 0, 0,
                              0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                              nullptr);
    if (hwnd_ == nullptr) return false;
    Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return true;
}

bool CToolBar::LoadToolBar(HINSTANCE instance, int resourceId) {
    HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(resourceId),
                                     MAKEINTRESOURCEW(kToolBarResourceType));
    if (resource == nullptr) return false;
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(instance, resource)));
    const DWORD size = ::SizeofResource(instance, resource);
    if (data == nullptr || size < 8) return false;
    WORD header[4];  // version, width, height, count
    std::memcpy(header, data, sizeof header);
    if (header[0] != 1 || size < 8 + 2u * header[3]) return false;
    std::vector<TBBUTTON> buttons(header[3]);
    int image = 0;
    for (WORD i = 0; i < header[3]; ++i) {
        WORD id = 0;
        std::memcpy(&id, data + 8 + 2 * i, 2);
        TBBUTTON& b = buttons[i];
        b.idCommand = id;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = id == 0 ? kButtonSeparator : BTNS_BUTTON;
        b.iBitmap = id == 0 ? 0 : image++;
        b.iString = -1;
    }
    return Send(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

void CToolBar::SetButtonInfo(int index, int id, BYTE style, int image) const {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_STYLE | TBIF_IMAGE | TBIF_SIZE;
    info.idCommand = id;
    info.fsStyle = style;
    info.iImage = (style & kButtonSeparator) != 0 ? 0 : image;
    // A separator's width stands where a button's image index would.
    info.cx = static_cast<WORD>((style & kButtonSeparator) != 0 ? image : 0);
    if ((style & kButtonSeparator) == 0) info.dwMask &= ~TBIF_SIZE;
    Send(TB_SETBUTTONINFOW, index, reinterpret_cast<LPARAM>(&info));
}

void CToolBar::SetButtonText(int index, const Text& text) const {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
    info.pszText = const_cast<wchar_t*>(Wide(text));
    Send(TB_SETBUTTONINFOW, index, reinterpret_cast<LPARAM>(&info));
}

Text CToolBar::ButtonText(int index) const {
    wchar_t buffer[256] = {};
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
    info.pszText = buffer;
    info.cchText = 256;
    Send(TB_GETBUTTONINFOW, index, reinterpret_cast<LPARAM>(&info));
    return FromWide(buffer);
}

}  // namespace veltrano
