// Status bar text reading.
#include "framework/status_bar.h"

#include <vector>

namespace veltrano {

Text CStatusBar::PaneText(int pane) const {
    const auto length = LOWORD(Send(SB_GETTEXTLENGTHW, pane));
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    Send(SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(buffer.data()));
    return FromWide(buffer.data());
}

}  // namespace veltrano
