// Link control (SysLink) wrapper.
#include "framework/link_control.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/link_markup.h"

namespace veltrano {
namespace {

// Copies a text into one of LITEM's fixed fields, cut to leave room for the terminator.
template <size_t N>
void CopyField(WCHAR (&field)[N], const Text& text) {
    const size_t length = std::min(text.size(), N - 1);
    std::copy_n(Wide(text), length, field);
    field[length] = 0;
}

}  // namespace

void CLinkCtrl::SetMarkup(TextView markup) const {
    const LinkMarkup parsed = ParseLinkMarkup(markup);
    SetText(parsed.text);
    for (size_t i = 0; i < parsed.links.size(); ++i) {
        const LinkMarkup::Link& link = parsed.links[i];
        LITEM item{};
        item.iLink = static_cast<int>(i);
        item.mask = LIF_ITEMINDEX | LIF_ITEMID | LIF_URL;
        CopyField(item.szID, link.id);
        CopyField(item.szUrl, link.url);
        Send(LM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace veltrano
