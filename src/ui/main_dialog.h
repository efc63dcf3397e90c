// CVeltranoDlg: the program's main window. It owns the controls, the layout engine, the error
// catalogue the scan fills, and the settings that survive between runs.
#pragma once

#include <windows.h>

#include <memory>

#include "engine/catalogue.h"
#include "engine/error_rows.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/link_control.h"
#include "framework/status_bar.h"
#include "framework/tool_bar.h"
#include "layout/layout.h"
#include "platform/machine.h"
#include "shell/win32/my_edit.h"
#include "ui/error_list_ctrl.h"
#include "ui/scan_state.h"

namespace veltrano {

class CVeltranoDlg : public CDialog {
  public:
    explicit CVeltranoDlg(Machine& machine, HWND parent = nullptr);
    ~CVeltranoDlg() override;

    // The catalogue the scan fills; read it under CatalogueLock.
    ErrorCatalogue& Catalogue() { return scan_->catalogue; }
    std::shared_ptr<ScanState> Scan() const { return scan_; }

    // Controls and state, for the window's own parts and its tests.
    CListCtrlEx& ErrorList() { return list_; }
    CToolBar& ToolBar() { return toolBar_; }
    CStatusBar& StatusBar() { return statusBar_; }
    CWndResizer& Layout() { return layout_; }
    int CurrentInterval() const { return currentInterval_; }
    const IntervalCounts& Counts() const { return counts_; }
    const Text& SummaryText() const { return summaryText_; }
    const Text& DescriptionText() const { return descriptionText_; }
    const Text& ArchivePath() const { return archivePath_; }
    int LowerSplitWidth() const { return lowerSplitWidth_; }

    // Select interval (1 to 4); the toolbar commands call it with scanning false.
    void SelectInterval(int interval, bool scanning);
    // The lookup of the error in a row, as the lookup button and the double click start it.
    void OpenErrorLookup(int row, bool debug);

    enum class PaneMode { Summary, Description };
    void SetPaneMode(PaneMode mode);

  protected:
    void DoDataExchange(DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT code, UINT id, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    virtual void OpenAboutBox();

  private:
    // Initialisation steps.
    void AddAboutMenuEntry();
    void CreateListImages();
    void CreateStatusBar();
    bool CreateToolBar();
    void PlaceToolBar();
    void SetBannerFont();
    void PlaceLookupButton();
    bool BuildLayout();
    void EnlargeWindow();
    void RestoreSettings();
    void StoreSettings();
    void FitToolBarSeparator();

    // Scan lifecycle.
    void StartScan();
    void OnScanFirstWeek();
    void OnScanProgress(WPARAM text);
    void OnScanDone();
    void EnableControls(bool enable);

    // The list.
    void FillList(int interval);
    void SetIntervalStatusText(int interval);
    void ClearTexts();

    // The details pane.
    void OnSelectionChanged(const NMLISTVIEW& change);
    void ShowSummary(int row);
    void ShowDescription(int row);
    void OnLinkActivated(const Text& linkId);
    bool SummaryFits(const Text& text) const;
    Text RowKey(int row) const;
    int SelectedRow() const;
    bool DebugKeysDown() const;

    void SetStatusText(const Text& text);
    void TransferToControls() { UpdateData(false); }

    Machine& machine_;
    HICON icon_ = nullptr;
    CWndResizer layout_;
    ScopedImageList listImages_;
    int lowerSplitWidth_ = 0;
    CListCtrlEx list_;
    std::shared_ptr<ScanState> scan_;
    Text descriptionText_;
    CMyEdit descriptionBox_;
    Text summaryText_;
    Text archivePath_;
    CStatusBar statusBar_;
    CWindow animation_;
    CToolBar toolBar_;
    ScopedImageList toolBarImages_;
    CLinkCtrl detailLink_;
    ScopedGdiObject whiteBrush_;
    ScopedGdiObject bannerBrush_;
    ScopedFont bannerFont_;
    CWindow lookupButton_;
    ScopedGdiObject lookupBitmap_;
    int currentInterval_ = 0;
    IntervalCounts counts_;
};

}  // namespace veltrano
