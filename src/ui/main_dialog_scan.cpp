// The scan as the main window sees it: the animation while it runs, the early last-week list,
// the progress texts, and at the end the banner's slide, the interval choice and the export.
#include <windows.h>
#include <commctrl.h>

#include "export/report_export.h"
#include "framework/app.h"
#include "framework/message_box.h"
#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "shell/win32/slide.h"
#include "ui/main_dialog.h"

namespace veltrano {

void CVeltranoDlg::StartScan() {
    list_.DeleteAllItems();
    ClearTexts();
    EnableControls(false);
    animation_.Show(true);
    Animate_OpenEx(animation_.hwnd(), AppInstance(), MAKEINTRESOURCEW(IDR_SCAN_ANIMATION));
    Animate_Play(animation_.hwnd(), 0, -1, -1);
    SetStatusText(LocalText(LT_PLEASE_WAIT));
    scan_ = std::make_shared<ScanState>(hwnd_);
    StartScanWorker(scan_, machine_);
}

void CVeltranoDlg::OnScanFirstWeek() {
    Animate_Stop(animation_.hwnd());
    Animate_Close(animation_.hwnd());
    animation_.Show(false);
    SelectInterval(IntervalWeek, true);
    SetStatusText(u"");
    CWindow banner(Item(IDC_BANNER));
    banner.SetText(u"Loading ...");
    banner.Show(true);
}

void CVeltranoDlg::OnScanProgress(WPARAM text) {
    std::unique_ptr<Text> owned(reinterpret_cast<Text*>(text));
    const Text progress = owned ? *owned : Text();
    CWindow(Item(IDC_BANNER)).SetText(progress);
    SetStatusText(progress);
    TransferToControls();
}

void CVeltranoDlg::OnScanDone() {
    if (animation_.IsVisible()) {
        Animate_Stop(animation_.hwnd());
        Animate_Close(animation_.hwnd());
        animation_.Show(false);
    }
    if (!SlidePending()) {
        CWindow banner(Item(IDC_BANNER));
        const RECT bar = statusBar_.RectIn(hwnd_);
        const RECT bannerRect = banner.RectIn(hwnd_);
        SlideWindow(hwnd_, banner.hwnd(), bar.bottom - bannerRect.bottom, -Width(bannerRect), 1.0);
    }
    {
        std::lock_guard lock(scan_->catalogue.CatalogueLock);
        counts_ = CountIntervals(scan_->catalogue);
    }
    SelectInterval(IntervalWeek, false);
    for (int next : {IntervalMonth, IntervalHalfYear, IntervalWeek}) {
        if (list_.List().ItemCount() > 0)
            break;
        SelectInterval(next, false);
    }
    archivePath_ = ExportErrorReport(machine_, scan_->catalogue, [this](const Text& message) {
        AppMessageBox(hwnd_, message, MB_OK);
    });
    EnableControls(true);
}

void CVeltranoDlg::EnableControls(bool enable) {
    list_.Enable(enable);
    for (int id :
         {ID_INTERVAL_WEEK, ID_INTERVAL_MONTH, ID_INTERVAL_6MONTHS, ID_INTERVAL_ALL, ID_LOOKUP}) {
        toolBar_.EnableButton(id, enable);
    }
}

void CVeltranoDlg::SetStatusText(const Text& text) {
    statusBar_.SetPaneText(0, text);
}

}  // namespace veltrano
