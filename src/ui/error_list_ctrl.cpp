// The error list's cell tooltips.
#include "ui/error_list_ctrl.h"

#include <vector>

namespace veltrano {
namespace {

constexpr int kColumnsPerRow = 100;
constexpr int kTipWidth = 400;

int CellKey(int row, int column) {
    return row * kColumnsPerRow + column;
}

}  // namespace

CListCtrlEx::~CListCtrlEx() {
    if (tooltip_ != nullptr && ::IsWindow(tooltip_))
        ::DestroyWindow(tooltip_);
}

void CListCtrlEx::EnableToolTips() {
    if (tooltip_ != nullptr)
        return;
    tooltip_ =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, nullptr, nullptr);
}

bool CListCtrlEx::SetItemToolTipText(int row, int column, const Text& text) {
    tipTexts_.emplace(CellKey(row, column), text);
    return true;
}

Text CListCtrlEx::GetItemToolTipText(int row, int column) const {
    auto found = tipTexts_.find(CellKey(row, column));
    return found == tipTexts_.end() ? Text() : found->second;
}

bool CListCtrlEx::DeleteAllItems() {
    if (!List().DeleteAllItemsRaw())
        return false;
    ResetToolTipTexts();
    return true;
}

bool CListCtrlEx::DeleteItem(int row) {
    if (!List().DeleteItemRaw(row))
        return false;
    const int columns = List().ColumnCount();
    for (int column = 0; column < columns; ++column)
        tipTexts_.erase(CellKey(row, column));
    return true;
}

int CListCtrlEx::OnToolHitTest(POINT point, TTTOOLINFOW* tool) const {
    const CListView list = List();
    const LVHITTESTINFO hit = list.HitTest(point);
    if ((hit.flags & hitMask_) == 0 || hit.iItem < 0)
        return -1;
    const int id = CellKey(hit.iItem, hit.iSubItem);
    if (tool != nullptr) {
        tool->hwnd = hwnd_;
        tool->uId = static_cast<UINT_PTR>(id);
        tool->rect = list.ClientRect();
        tool->lpszText = LPSTR_TEXTCALLBACKW;
    }
    return id;
}

void CListCtrlEx::TrackTool(POINT point) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    const int id = OnToolHitTest(point, &tool);
    if (id == currentTool_)
        return;
    if (currentTool_ >= 0) {
        TTTOOLINFOW old{};
        old.cbSize = sizeof old;
        old.hwnd = hwnd_;
        old.uId = static_cast<UINT_PTR>(currentTool_);
        ::SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&old));
    }
    currentTool_ = id;
    // A new identifier per cell makes the tooltip ask again when the pointer enters a cell.
    if (id >= 0)
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool CListCtrlEx::OnToolTipText(NMHDR& header, LRESULT& result) {
    ::SendMessageW(header.hwndFrom, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    ::SendMessageW(header.hwndFrom, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(0x7FFF, 0));
    result = 0;
    // The tool that stands for the whole list window has no text of its own: only cells do.
    if (header.idFrom == reinterpret_cast<UINT_PTR>(hwnd_))
        return true;
    const DWORD position = ::GetMessagePos();
    POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ::ScreenToClient(hwnd_, &point);
    const CListView list = List();
    const LVHITTESTINFO hit = list.HitTest(point);
    if ((hit.flags & hitMask_) == 0 || hit.iItem < 0)
        return true;
    auto found = tipTexts_.find(CellKey(hit.iItem, hit.iSubItem));
    if (found == tipTexts_.end())
        return true;
    if (header.code == TTN_GETDISPINFOA) {
        const std::wstring wide(found->second.begin(), found->second.end());
        const int bytes =
            ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
        narrowTip_.assign(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrowTip_.data(), bytes, nullptr,
                              nullptr);
        reinterpret_cast<NMTTDISPINFOA&>(header).lpszText = narrowTip_.data();
    } else {
        wideTip_.assign(found->second.begin(), found->second.end());
        reinterpret_cast<NMTTDISPINFOW&>(header).lpszText = wideTip_.data();
    }
    return true;
}

void CListCtrlEx::FitLastColumn() const {
    const CListView list = List();
    const int columns = list.ColumnCount();
    if (columns > 0)
        list.SetColumnWidth(columns - 1, LVSCW_AUTOSIZE_USEHEADER);
}

bool CListCtrlEx::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: {
            if (tooltip_ == nullptr)
                return false;
            if (message == WM_MOUSEMOVE) {
                TrackTool({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            }
            MSG relay{hwnd_, message, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
            ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
            return false;
        }
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.hwndFrom != tooltip_ ||
                (header.code != TTN_GETDISPINFOW && header.code != TTN_GETDISPINFOA)) {
                return false;
            }
            return OnToolTipText(header, result);
        }
        case WM_SIZE:
            result = Default(message, wParam, lParam);
            FitLastColumn();
            return true;
        default:
            return false;
    }
}

}  // namespace veltrano
