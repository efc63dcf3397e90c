// Toolbar creation and button changes.
#include "framework/tool_bar.h"

#include <vector>

namespace veltrano {
namespace {

constexpr WORD kToolBarResourceType = 241;  // RT_TOOLBAR

// The button identifiers of a toolbar resource. Microsoft's resource compiler writes WORDs
// (version 1, width, height, count, identifiers); GNU windres writes DWORDs (width, height,
// count, identifiers). Empty when the bytes are neither.
std::vector<WORD> ToolBarIds(const BYTE* data, size_t size) {
    auto word = [data](size_t at) { return static_cast<WORD>(data[at] | data[at + 1] << 8); };
    auto dword = [data](size_t at) {
        return static_cast<DWORD>(data[at] | data[at + 1] << 8 | data[at + 2] << 16 |
                                  static_cast<DWORD>(data[at + 3]) << 24);
    };
    std::vector<WORD> ids;
    if (size >= 8 && word(0) == 1 && size >= 8 + 2u * word(6)) {
        for (size_t i = 0; i < word(6); ++i)
            ids.push_back(word(8 + 2 * i));
    } else if (size >= 12 && dword(8) <= (size - 12) / 4) {
        for (size_t i = 0; i < dword(8); ++i)
            ids.push_back(static_cast<WORD>(dword(12 + 4 * i)));
    }
    return ids;
}

}  // namespace

bool CToolBar::Create(HWND parent, DWORD style, int id) {
    hwnd_ = ::CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (hwnd_ == nullptr)
        return false;
    Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return true;
}

bool CToolBar::LoadToolBar(HINSTANCE instance, int resourceId) {
    HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(resourceId),
                                     MAKEINTRESOURCEW(kToolBarResourceType));
    if (resource == nullptr)
        return false;
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(instance, resource)));
    const DWORD size = ::SizeofResource(instance, resource);
    const std::vector<WORD> ids = ToolBarIds(data, data != nullptr ? size : 0);
    if (ids.empty())
        return false;
    std::vector<TBBUTTON> buttons(ids.size());
    int image = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        const WORD id = ids[i];
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
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_STYLE | TBIF_IMAGE;
    info.idCommand = id;
    info.fsStyle = style;
    // A separator keeps its width where a button keeps its image index.
    info.iImage = image;
    if ((style & kButtonSeparator) != 0) {
        info.dwMask |= TBIF_SIZE;
        info.cx = static_cast<WORD>(image);
    }
    Send(TB_SETBUTTONINFOW, index, reinterpret_cast<LPARAM>(&info));
}

void CToolBar::SetButtonText(int index, const Text& text) const {
    // The button is put in again with its text: a text given later through TB_SETBUTTONINFO is
    // not measured by every toolbar implementation, so the button would stay too narrow for it.
    TBBUTTON button = Button(index);
    button.iString = reinterpret_cast<INT_PTR>(Wide(text));
    Send(TB_DELETEBUTTON, index);
    Send(TB_INSERTBUTTONW, index, reinterpret_cast<LPARAM>(&button));
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
