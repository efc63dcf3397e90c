// The lower pane: the selected error's summary, the detailed-log link and the description box.
#include "framework/app.h"
#include "framework/message_box.h"
#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "shell/time_text.h"
#include "ui/main_dialog.h"

namespace veltrano {
namespace {

constexpr char16_t kDetailsLinkId[] = u"details";

}  // namespace

Text CVeltranoDlg::RowKey(int row) const {
    const CListView list = list_.List();
    return list.ItemText(row, 0) + u"_" + list.ItemText(row, 1);
}

int CVeltranoDlg::SelectedRow() const {
    return list_.List().NextSelected();
}

bool CVeltranoDlg::DebugKeysDown() const {
    if (machine_.keys == nullptr)
        return false;
    auto held = [this](int key) {
        return std::abs(static_cast<int>(machine_.keys->StateOf(key))) > 100;
    };
    return held('K') && held('W');
}

void CVeltranoDlg::OnSelectionChanged(const NMLISTVIEW& change) {
    // Text changes of the cells while the list fills are not state changes.
    if ((change.uChanged & LVIF_STATE) == 0)
        return;
    const bool selected = (change.uChanged & LVIF_STATE) != 0 &&
                          (change.uNewState & LVIS_SELECTED) != 0 &&
                          (change.uOldState & LVIS_SELECTED) == 0;
    if (selected) {
        descriptionText_.clear();
        detailLink_.SetMarkup(u"");
        SetPaneMode(PaneMode::Summary);
        std::lock_guard lock(scan_->catalogue.CatalogueLock);
        ShowSummary(change.iItem);
    }
    TransferToControls();
}

bool CVeltranoDlg::SummaryFits(const Text& text) const {
    CWindow box(Item(IDC_SUMMARY));
    const RECT area = box.RectIn(hwnd_);
    RECT needed{area.left, area.top, area.right, area.top};
    HDC dc = ::GetDC(box.hwnd());
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(box.Send(WM_GETFONT)));
    const Text measured = text;
    ::DrawTextW(dc, Wide(measured), static_cast<int>(measured.size()), &needed,
                DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(box.hwnd(), dc);
    return Height(needed) <= Height(area);
}

void CVeltranoDlg::ShowSummary(int row) {
    const ErrorEntry* entry = scan_->catalogue.Find(RowKey(row));
    if (entry == nullptr)
        return;
    const Text detail = entry->ErrorText.value_or(Text());
    Text summary = entry->Category == CategoryApplicationError
                       ? entry->ErrorSummary + u"\r\n\r\nDetailed Description: \r\n" + detail
                       : detail;
    Text link;
    if (!SummaryFits(summary)) {
        summary = entry->ErrorSummary;
        link =
            Text(u"<a id=\"") + kDetailsLinkId + u"\">" + LocalText(LT_DETAILED_LOGS) + u"</a>\r\n";
    } else {
        link = LocalText(LT_LAST_RECORDED,
                         FileTimeToLocalText(*machine_.clock, entry->LastErrorDateTime)) +
               u"\r\n";
    }
    detailLink_.SetMarkup(link);
    summaryText_ = summary;
    TransferToControls();
}

void CVeltranoDlg::ShowDescription(int row) {
    const ErrorEntry* entry = scan_->catalogue.Find(RowKey(row));
    descriptionText_ =
        entry == nullptr
            ? Text()
            : entry->ErrorText.value_or(Text()) + u"\r\n" +
                  LocalText(LT_LAST_RECORDED,
                            FileTimeToLocalText(*machine_.clock, entry->LastErrorDateTime));
    SetPaneMode(PaneMode::Description);
    TransferToControls();
}

void CVeltranoDlg::OnLinkActivated(const Text& linkId) {
    const int row = SelectedRow();
    if (row < 0) {
        AppMessageBox(hwnd_, LocalText(LT_SELECT_ERROR), MB_OK);
        return;
    }
    if (linkId == kDetailsLinkId) {
        std::lock_guard lock(scan_->catalogue.CatalogueLock);
        ShowDescription(row);
        return;
    }
    OpenErrorLookup(row, DebugKeysDown());
}

void CVeltranoDlg::SetPaneMode(PaneMode mode) {
    auto* lower = layout_.FindPanelAs<CWndResizer::CSplitContainer>(u"LowerSplitter");
    if (lower == nullptr)
        return;
    const bool description = mode == PaneMode::Description;
    layout_.SetSplitPosition(*lower, description ? lowerSplitWidth_ : Width(WindowRect()));
    lower->SetGripVisible(description);
    lower->SetSplitterFixed(!description);
    layout_.ApplyToWindows(lower);
    descriptionBox_.Show(description);
    lookupButton_.Show(!description);
}

}  // namespace veltrano
