// The error list for an interval: its rows, cell tooltips, the empty-interval notice and the
// status text.
#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "ui/main_dialog.h"

namespace veltrano {
namespace {

struct ColumnSpec {
    int title;
    int width;
};
constexpr ColumnSpec kColumns[] = {
    {LT_COL_APP_SOURCE, 220}, {LT_COL_ERROR_NAME, 160}, {LT_COL_ERROR_COUNT, 80},
    {LT_COL_LAST_TIME, 150},  {LT_COL_APP_PATH, 250},
};
constexpr int kCountColumn = 2;
constexpr int kAgeColumn = 3;

}  // namespace

void CVeltranoDlg::ClearTexts() {
    descriptionText_.clear();
    summaryText_.clear();
    detailLink_.SetMarkup(u"");
    TransferToControls();
}

void CVeltranoDlg::SelectInterval(int interval, bool scanning) {
    list_.DeleteAllItems();
    CWindow notice(Item(IDC_EMPTY_NOTICE));
    notice.Show(false);
    ClearTexts();
    currentInterval_ = interval;
    EnableControls(false);
    SetStatusText(LocalText(LT_PLEASE_WAIT));
    int button = 0;
    {
        std::lock_guard lock(scan_->catalogue.CatalogueLock);
        if (interval >= IntervalWeek && interval <= IntervalAll) {
            FillList(interval);
            button = ID_INTERVAL_WEEK + interval - IntervalWeek;
        }
    }
    const CListView list = list_.List();
    if (scanning) {
        list_.Enable(true);
    } else {
        EnableControls(true);
        if (button != 0)
            toolBar_.CheckButton(button, true);
        SetIntervalStatusText(interval);
    }
    if (list.ItemCount() > 0) {
        list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    } else {
        if (!scanning) {
            notice.SetText(LocalText(LT_NO_ERRORS));
            notice.Show(true);
        }
        lookupButton_.Show(false);
    }
    ::SetFocus(list_.hwnd());
    TransferToControls();
}

void CVeltranoDlg::FillList(int interval) {
    const CListView list = list_.List();
    const int columns = list.ColumnCount();
    for (int i = 0; i < columns; ++i)
        list.DeleteColumn(0);
    for (int i = 0; i < 5; ++i) {
        list.InsertColumn(i, LocalText(kColumns[i].title), kColumns[i].width);
    }
    list_.FitLastColumn();

    Clock& clock = *machine_.clock;
    const auto rows = BuildErrorRows(scan_->catalogue, interval, clock);
    list.Send(WM_SETREDRAW, FALSE);
    int index = 0;
    for (const ErrorRow& row : rows) {
        list.InsertItem(index, row.columns[0], row.image);
        for (int column = 1; column <= kAgeColumn; ++column) {
            list.SetItemText(index, column, row.columns[column]);
        }
        list_.SetItemToolTipText(index, kAgeColumn, row.tooltip);
        list_.SetItemToolTipText(index, kCountColumn, row.tooltip);
        list.SetItemText(index, 4, row.columns[4]);
        ++index;
    }
    list.Send(WM_SETREDRAW, TRUE);
    list.Invalidate();
}

void CVeltranoDlg::SetIntervalStatusText(int interval) {
    Text text;
    {
        std::lock_guard lock(scan_->catalogue.CatalogueLock);
        text = IntervalStatusText(scan_->catalogue, interval,
                                  static_cast<size_t>(list_.List().ItemCount()), *machine_.clock);
    }
    SetStatusText(text);
}

}  // namespace veltrano
