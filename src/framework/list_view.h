// List view control: one-line wrappers over its messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/window.h"

namespace veltrano {

class CListView : public CWindow {
  public:
    using CWindow::CWindow;
    int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    int ColumnCount() const {
        return static_cast<int>(::SendMessageW(Header(), HDM_GETITEMCOUNT, 0, 0));
    }
    HWND Header() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER)); }
    int InsertColumn(int index, const Text& title, int width) const {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = width;
        column.pszText = const_cast<wchar_t*>(Wide(title));
        column.iSubItem = index;
        return static_cast<int>(Send(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
    }
    bool DeleteColumn(int index) const { return Send(LVM_DELETECOLUMN, index) != 0; }
    int ColumnWidth(int index) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, index)); }
    void SetColumnWidth(int index, int width) const { Send(LVM_SETCOLUMNWIDTH, index, width); }
    int InsertItem(int index, const Text& text, int image) const {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(Wide(text));
        item.iImage = image;
        return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    void SetItemText(int row, int column, const Text& text) const {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t*>(Wide(text));
        Send(LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
    Text ItemText(int row, int column) const;
    int ItemImage(int row) const;
    bool DeleteAllItemsRaw() const { return Send(LVM_DELETEALLITEMS) != 0; }
    bool DeleteItemRaw(int row) const { return Send(LVM_DELETEITEM, row) != 0; }
    int NextSelected(int after = -1) const {
        return static_cast<int>(Send(LVM_GETNEXTITEM, after, LVNI_SELECTED));
    }
    void SetItemState(int row, UINT state, UINT mask) const {
        LVITEMW item{};
        item.state = state;
        item.stateMask = mask;
        Send(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    DWORD ExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    void SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style); }
    void SetSmallImages(HIMAGELIST images) const {
        Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    }
    // Item and sub-item under a client point (LVM_SUBITEMHITTEST).
    LVHITTESTINFO HitTest(POINT point) const {
        LVHITTESTINFO info{};
        info.pt = point;
        Send(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&info));
        return info;
    }
};

}  // namespace veltrano
