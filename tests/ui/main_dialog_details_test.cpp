// The lower pane: summary, the detailed-log link, the description box, and the lookup.
#include <gtest/gtest.h>

#include "ui_fixture.h"

namespace veltrano {
namespace {
using testing::UiTest;

class MainDialogDetailsTest : public UiTest {
  protected:
    void AddCrash(const Text& program, int64_t agoSeconds, const Text& reportId) {
        AddRecord(u"Application", m.Record(agoSeconds, u"Application Error", 1000,
                                           testing::CrashStrings(program, u"C:\\Apps\\" + program,
                                                                 u"c0000005", reportId)));
    }
    void Select(int row) {
        const CListView list = dialog->ErrorList().List();
        list.SetItemState(-1, 0, LVIS_SELECTED);
        list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    void ClickLink(const Text& id) {
        NMLINK link{};
        link.hdr.hwndFrom = Item(IDC_DETAIL_LINK);
        link.hdr.idFrom = IDC_DETAIL_LINK;
        link.hdr.code = NM_CLICK;
        const std::wstring wide(id.begin(), id.end());
        lstrcpynW(link.item.szID, wide.c_str(), MAX_LINKID_TEXT);
        ::SendMessageW(dialog->hwnd(), WM_NOTIFY, IDC_DETAIL_LINK, reinterpret_cast<LPARAM>(&link));
    }
    // The control's first link, and Return on it: the notification the control itself sends.
    Text FirstLinkId() {
        LITEM item{};
        item.mask = LIF_ITEMINDEX | LIF_ITEMID;
        if (!::SendMessageW(Item(IDC_DETAIL_LINK), LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)))
            return u"(no link)";
        return FromWide(item.szID);
    }
    void PressReturnOnLink() {
        ::SetFocus(Item(IDC_DETAIL_LINK));
        ::SendMessageW(Item(IDC_DETAIL_LINK), WM_KEYDOWN, VK_RETURN, 0);
    }
    bool DescriptionOpen() { return ::IsWindowVisible(Item(IDC_DESCRIPTION)) != 0; }
};

TEST_F(MainDialogDetailsTest, ShortTextFitsTheSummaryBox) {
    m.messages.nativeApi.clear();
    m.RegisterSource(u"Application", u"Application Error", u"%SystemRoot%\\System32\\wer.dll",
                     {{1000, u"Faulting application name: %1%nException code: 0x%7"}});
    AddCrash(u"tiny.exe", 600, u"r1");
    Open();
    Select(0);
    EXPECT_EQ(ItemText(IDC_SUMMARY),
              u"The application encountered an error and stopped working.\r\n\r\n"
              u"Detailed Description: \r\nFaulting application name: tiny.exe\r\n"
              u"Exception code: 0xc0000005");
    EXPECT_TRUE(StartsWith(ItemText(IDC_DETAIL_LINK), u"This error was last recorded at "));
    EXPECT_FALSE(DescriptionOpen());
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_LOOKUP_BUTTON)) || !::IsWindowVisible(dialog->hwnd()));
}

TEST_F(MainDialogDetailsTest, LongTextGoesBehindTheDetailsLinkAndOpensTheDescription) {
    AddCrash(u"big.exe", 600, u"r2");
    AddRecord(u"System", m.Record(1200, u"Disk", 7));
    Open();
    Select(0);
    EXPECT_TRUE(StartsWith(ItemText(IDC_SUMMARY),
                           u"The application encountered an error and stopped working."));
    EXPECT_EQ(ItemText(IDC_DETAIL_LINK), u"<a>Click here to see the detailed logs</a>\r\n");
    EXPECT_EQ(FirstLinkId(), u"details");
    PressReturnOnLink();
    EXPECT_TRUE(DescriptionOpen());
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_LOOKUP_BUTTON)));
    EXPECT_NE(ItemText(IDC_DESCRIPTION).find(u"Report Id: r2"), Text::npos);
    EXPECT_EQ(dialog->Layout().GetSplitPosition(u"LowerSplitter"), dialog->LowerSplitWidth());
    // Selecting another row closes it again.
    Select(1);
    EXPECT_FALSE(DescriptionOpen());
    EXPECT_EQ(ItemText(IDC_DESCRIPTION), u"");
}

TEST_F(MainDialogDetailsTest, LinkAndLookupWithoutASelectionAskForOne) {
    AddRecord(u"System", m.Record(600, u"Disk", 7));
    Open();
    dialog->ErrorList().List().SetItemState(-1, 0, LVIS_SELECTED);
    ClickLink(u"details");
    ::SendMessageW(dialog->hwnd(), WM_COMMAND, IDC_LOOKUP_BUTTON, 0);
    EXPECT_EQ(messageBoxes,
              (std::vector<Text>{u"Please select an error", u"Please select an error"}));
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(MainDialogDetailsTest, LookupOpensTheBrowserOnTheQueryOfTheRow) {
    class HeldKeys : public KeyState {
      public:
        bool held = false;
        int16_t StateOf(int key) override { return held && (key == 'K' || key == 'W') ? -128 : 0; }
    } keys;
    m.machine.keys = &keys;
    AddRecord(u"System", m.Record(600, u"Disk", 7));
    Open();
    Select(0);
    ::SendMessageW(dialog->hwnd(), WM_COMMAND, IDC_LOOKUP_BUTTON, 0);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].verb, u"open");
    EXPECT_EQ(shell.calls[0].show, kShowNormal);
    const Text& url = shell.calls[0].file;
    EXPECT_TRUE(StartsWith(url, u"http://"));
    EXPECT_NE(url.find(u"/search.pl?"), Text::npos);
    EXPECT_NE(url.find(u"|Disk|7|1|"), Text::npos);
    EXPECT_FALSE(url.ends_with(u"|-DEBUG"));
    keys.held = true;
    ClickLink(u"lookup");  // a link without the "details" identifier also looks up
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_TRUE(shell.calls[1].file.ends_with(u"|-DEBUG"));
}

TEST_F(MainDialogDetailsTest, DoubleClickLooksUpTheRowUnderThePointer) {
    AddRecord(u"System", m.Record(600, u"Disk", 7));
    AddRecord(u"System", m.Record(900, u"Tcpip", 4227));
    Open();
    ::ShowWindow(dialog->hwnd(), SW_SHOW);
    Select(0);
    auto doubleClickRow = [&](int row) {
        RECT cell{};
        cell.left = LVIR_LABEL;
        dialog->ErrorList().List().Send(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        POINT point{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        ::ClientToScreen(dialog->ErrorList().hwnd(), &point);
        ::SetCursorPos(point.x, point.y);
        ::PostMessageW(dialog->hwnd(), WM_NULL, 0, 0);
        UiTest::Pump();  // the message position is now the pointer's
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = dialog->ErrorList().hwnd();
        click.hdr.idFrom = IDC_ERROR_LIST;
        click.hdr.code = NM_DBLCLK;
        ::SendMessageW(dialog->hwnd(), WM_NOTIFY, IDC_ERROR_LIST, reinterpret_cast<LPARAM>(&click));
    };
    doubleClickRow(1);  // not the selected row: the one under the pointer
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_NE(shell.calls[0].file.find(u"|Tcpip|4227|"), Text::npos);
}

}  // namespace
}  // namespace veltrano
