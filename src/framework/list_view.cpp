// List view helpers that need a buffer.
#include "framework/list_view.h"

#include <vector>

namespace veltrano {

Text CListView::ItemText(int row, int column) const {
    for (size_t capacity = 256;; capacity *= 4) {
        std::vector<wchar_t> buffer(capacity, L'\0');
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(capacity);
        const auto n =
            static_cast<size_t>(Send(LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
        if (n + 1 < capacity || capacity > (1u << 20))
            return FromWide(buffer.data());
    }
}

int CListView::ItemImage(int row) const {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.iImage;
}

}  // namespace veltrano
