// The error list: rows per interval, tooltips, the empty notice, status texts and the interval
// chosen at the end of the scan.
#include <gtest/gtest.h>

#include "ui_fixture.h"

namespace veltrano {
namespace {
using testing::UiTest;

constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 86400;

class MainDialogListTest : public UiTest {
  protected:
    // `count` error records of one source, one hour apart, the newest `agoSeconds` ago.
    void AddErrors(const Text& source, uint32_t id, int count, int64_t agoSeconds) {
        for (int i = 0; i < count; ++i) {
            AddRecord(u"System", m.Record(agoSeconds + i * kHour, source, id));
        }
    }
    std::vector<Text> Column(int column) {
        std::vector<Text> cells;
        const CListView list = dialog->ErrorList().List();
        for (int row = 0; row < list.ItemCount(); ++row)
            cells.push_back(list.ItemText(row, column));
        return cells;
    }
    void Press(int command) { ::SendMessageW(dialog->hwnd(), WM_COMMAND, command, 0); }
    Text Status() { return dialog->StatusBar().PaneText(0); }
};

TEST_F(MainDialogListTest, RowsCountsAgesAndIconsPerInterval) {
    AddErrors(u"Disk", 7, 3, 2 * kHour);       // last week, 3 times
    AddErrors(u"Tcpip", 4227, 2, 20 * kDay);   // last month
    AddErrors(u"DCOM", 10016, 1, 100 * kDay);  // six months
    AddErrors(u"Old", 1, 4, 400 * kDay);       // older
    Open();
    EXPECT_EQ(dialog->CurrentInterval(), IntervalWeek);
    EXPECT_EQ(Column(0), std::vector<Text>{u"Disk"});
    EXPECT_EQ(Column(2), std::vector<Text>{u"3"});
    EXPECT_EQ(Column(3), std::vector<Text>{u"2 hours ago"});
    EXPECT_EQ(dialog->ErrorList().List().ItemImage(0), CategoryEventLog - 1);

    Press(ID_INTERVAL_MONTH);
    EXPECT_EQ(Column(0), (std::vector<Text>{u"Disk", u"Tcpip"}));
    Press(ID_INTERVAL_6MONTHS);
    EXPECT_EQ(Column(1), (std::vector<Text>{u"7", u"4227", u"10016"}));
    Press(ID_INTERVAL_ALL);
    EXPECT_EQ(Column(0), (std::vector<Text>{u"Disk", u"Tcpip", u"DCOM", u"Old"}));
    EXPECT_EQ(Column(2).back(), u"4");
    EXPECT_EQ(Column(3).back(), u"400 days ago");
    EXPECT_TRUE(dialog->ToolBar().IsButtonChecked(ID_INTERVAL_ALL));
    EXPECT_FALSE(dialog->ToolBar().IsButtonChecked(ID_INTERVAL_WEEK));
}

TEST_F(MainDialogListTest, RecencyOrderKeepsTiesAndJoinedReportsNeverShow) {
    // Two sources with the same latest time: the one read first (newer in the log) comes first.
    AddRecord(u"System", m.Record(kHour, u"First", 1));
    AddRecord(u"System", m.Record(kHour, u"Second", 1));
    testing::ReportFields report;
    report.appName = u"Notepad";
    report.reportId = u"rid-1";
    report.eventTime =
        DecimalText(static_cast<int64_t>(m.clock.UtcNow() - 3 * kHour * kTicksPerSecond));
    AddReport("AppCrash_n", report);
    AddRecord(u"Application",
              m.Record(3 * kHour, u"Application Error", 1000,
                       testing::CrashStrings(u"notepad.exe", u"C:\\n.exe", u"c0000005", u"rid-1")));
    Open();
    Press(ID_INTERVAL_ALL);
    EXPECT_EQ(Column(0),
              (std::vector<Text>{u"First", u"Second", u"Application Error: notepad.exe"}));
    EXPECT_EQ(dialog->ErrorList().List().ItemImage(2), CategoryApplicationError - 1);
}

TEST_F(MainDialogListTest, StatusTextsWithAndWithoutTotals) {
    AddErrors(u"Disk", 7, 1, kHour);
    AddErrors(u"Old", 1, 1, 40 * kDay);
    Open();
    EXPECT_EQ(Status(),
              u"1 errors found, occurred in the last 7 days (Total: 2 errors in the last 0 days)");
    Press(ID_INTERVAL_ALL);
    EXPECT_EQ(Status(), u"2 errors found, occurred in the last 0 days");
}

TEST_F(MainDialogListTest, EmptyIntervalShowsTheNoticeAndHidesTheLookupButton) {
    AddErrors(u"Old", 1, 1, 400 * kDay);
    Open();
    // Nothing in the last week, month or six months: the list ends on the last week.
    EXPECT_EQ(dialog->CurrentInterval(), IntervalWeek);
    EXPECT_EQ(dialog->ErrorList().List().ItemCount(), 0);
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_EMPTY_NOTICE)));
    EXPECT_EQ(ItemText(IDC_EMPTY_NOTICE), u"No error logged in this interval");
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_LOOKUP_BUTTON)));
    EXPECT_TRUE(StartsWith(Status(), u"0 errors found, occurred in the last 7 days"));
    Press(ID_INTERVAL_ALL);
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_EMPTY_NOTICE)));
    EXPECT_EQ(dialog->ErrorList().List().ItemCount(), 1);
}

TEST_F(MainDialogListTest, TheFirstIntervalWithErrorsIsChosen) {
    AddErrors(u"Tcpip", 4227, 1, 20 * kDay);
    Open();
    EXPECT_EQ(dialog->CurrentInterval(), IntervalMonth);
    EXPECT_TRUE(dialog->ToolBar().IsButtonChecked(ID_INTERVAL_MONTH));
}

TEST_F(MainDialogListTest, NothingFoundEndsOnTheLastWeek) {
    Open();
    EXPECT_EQ(dialog->CurrentInterval(), IntervalWeek);
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_EMPTY_NOTICE)));
    EXPECT_TRUE(dialog->ToolBar().IsButtonEnabled(ID_INTERVAL_ALL));
}

TEST_F(MainDialogListTest, TooltipsListTheOccurrencesOfCountAndTimeCells) {
    AddErrors(u"Ten", 1, 10, kHour);
    AddErrors(u"Eleven", 2, 11, 2 * kHour);
    AddErrors(u"Many", 3, 25, 3 * kHour);
    Open();
    CListCtrlEx& list = dialog->ErrorList();
    auto lines = [&](int row) { return SplitLines(list.GetItemToolTipText(row, 2)).size(); };
    EXPECT_EQ(lines(0), 11u);  // heading + 10 times
    EXPECT_EQ(lines(1), 11u);  // heading + 8 times + "..." + the first
    EXPECT_EQ(lines(2), 11u);
    EXPECT_EQ(SplitLines(list.GetItemToolTipText(1, 3))[9], u"...");
    EXPECT_EQ(list.GetItemToolTipText(0, 3), list.GetItemToolTipText(0, 2));
    EXPECT_EQ(list.GetItemToolTipText(0, 0), u"");
    EXPECT_EQ(list.GetItemToolTipText(0, 4), u"");
}

TEST_F(MainDialogListTest, TooltipRequestAnswersOverCountAndTimeCellsOnly) {
    AddErrors(u"Disk", 7, 2, kHour);
    Open();
    ::ShowWindow(dialog->hwnd(), SW_SHOW);
    CListCtrlEx& list = dialog->ErrorList();
    const CListView view = list.List();
    auto requestAt = [&](int column, bool forTheWholeWindow = false) -> Text {
        RECT cell{};
        cell.top = column;
        cell.left = LVIR_LABEL;
        view.Send(LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell));
        POINT point{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        EXPECT_GE(list.OnToolHitTest(point, nullptr), 0);
        ::ClientToScreen(list.hwnd(), &point);
        ::SetCursorPos(point.x, point.y);
        ::PostMessageW(list.hwnd(), WM_NULL, 0, 0);
        UiTest::Pump();
        NMTTDISPINFOW request{};
        request.hdr.hwndFrom = list.ToolTip();
        request.hdr.code = TTN_GETDISPINFOW;
        if (forTheWholeWindow) {
            request.hdr.idFrom = reinterpret_cast<UINT_PTR>(list.hwnd());
            request.uFlags = TTF_IDISHWND;
        }
        LRESULT result = 1;
        list.OnToolTipText(request.hdr, result);
        EXPECT_EQ(result, 0);
        return request.lpszText == nullptr ? Text() : FromWide(request.lpszText);
    };
    EXPECT_TRUE(StartsWith(requestAt(2), u"Error was recorded at:"));
    EXPECT_TRUE(StartsWith(requestAt(3), u"Error was recorded at:"));
    EXPECT_EQ(requestAt(1), u"");
    // The pointer rests on a cell with a text, but the request is for the window's own tool.
    EXPECT_EQ(requestAt(2, true), u"");
}

TEST(ListCtrlEx, TipTextsFollowDeletions) {
    HWND parent = ::CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND hwnd = ::CreateWindowW(WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, parent,
                                nullptr, nullptr, nullptr);
    CListCtrlEx list;
    list.Subclass(hwnd);
    for (int c = 0; c < 3; ++c)
        list.List().InsertColumn(c, u"c", 50);
    for (int r = 0; r < 3; ++r)
        list.List().InsertItem(r, u"row", 0);
    EXPECT_TRUE(list.SetItemToolTipText(1, 2, u"first"));
    EXPECT_TRUE(list.SetItemToolTipText(1, 2, u"second"));
    EXPECT_EQ(list.GetItemToolTipText(1, 2), u"first");  // an existing text stays
    list.SetItemToolTipText(2, 1, u"later row");
    EXPECT_TRUE(list.DeleteItem(1));
    EXPECT_EQ(list.GetItemToolTipText(1, 2), u"");
    EXPECT_EQ(list.GetItemToolTipText(2, 1), u"later row");  // not renumbered
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemToolTipText(2, 1), u"");
    ::DestroyWindow(parent);
}

}  // namespace
}  // namespace veltrano
