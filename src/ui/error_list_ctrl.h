// CListCtrlEx: the report-view list of errors with a tooltip text per cell (row x 100 + column),
// shown when the pointer rests on a cell that has one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>

#include "framework/list_view.h"
#include "framework/subclassed_window.h"

namespace veltrano {

class CListCtrlEx : public CSubclassedWindow {
  public:
    ~CListCtrlEx() override;
    // The list view behind the wrapper.
    CListView List() const { return CListView(hwnd_); }

    // Creates the tooltip window that the cells' texts show in.
    void EnableToolTips();

    virtual void ResetToolTipTexts() { tipTexts_.clear(); }
    // Keeps an existing text of the cell.
    virtual bool SetItemToolTipText(int row, int column, const Text& text);
    virtual Text GetItemToolTipText(int row, int column) const;
    virtual bool DeleteAllItems();
    virtual bool DeleteItem(int row);
    // Answers the tooltip's narrow or wide text request.
    virtual bool OnToolTipText(NMHDR& header, LRESULT& result);
    // The tool identifier (row x 100 + column) of a client point, or -1 with no tool there.
    virtual int OnToolHitTest(POINT point, TTTOOLINFOW* tool) const;

    // Sizes the last column to the rest of the list's width.
    void FitLastColumn() const;
    HWND ToolTip() const { return tooltip_; }
    int CurrentTool() const { return currentTool_; }

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void TrackTool(POINT point);

    UINT hitMask_ = LVHT_ONITEMLABEL;
    std::string narrowTip_;
    std::wstring wideTip_;
    std::map<int, Text> tipTexts_;
    HWND tooltip_ = nullptr;
    int currentTool_ = -1;
};

}  // namespace veltrano
