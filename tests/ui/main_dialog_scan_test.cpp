// The scan as the window shows it: progress texts, the early last-week list, the end, and a
// window closed while the scan still runs.
#include <gtest/gtest.h>

#include <mutex>

#include "engine/scan_messages.h"
#include "ui/scan_state.h"
#include "ui_fixture.h"

namespace veltrano {
namespace {
using testing::UiTest;

class MainDialogScanTest : public UiTest {
  protected:
    void Post(uint32_t message, const Text* text = nullptr) {
        ::SendMessageW(dialog->hwnd(), message,
                       text != nullptr ? reinterpret_cast<WPARAM>(new Text(*text)) : 0, 0);
    }
    bool BannerVisible() { return ::IsWindowVisible(Item(IDC_BANNER)) != 0; }
};

TEST_F(MainDialogScanTest, ProgressBeforeTheFirstWeekGoesToTheStatusBarOnly) {
    Open();
    const Text progress = u"12 errors found, occurred in the last 30 days";
    Post(WM_SCAN_PROGRESS, &progress);
    EXPECT_EQ(dialog->StatusBar().PaneText(0), progress);
    EXPECT_FALSE(BannerVisible());
    EXPECT_EQ(ItemText(IDC_BANNER), progress);  // held, shown only while the banner is visible
}

TEST_F(MainDialogScanTest, FirstWeekShowsTheBannerAndTheListWhileTheScanRuns) {
    Open();
    Post(WM_SCAN_FIRST_WEEK);
    EXPECT_TRUE(BannerVisible());
    EXPECT_EQ(ItemText(IDC_BANNER), u"Loading ...");
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_ANIMATION)));
    EXPECT_EQ(dialog->StatusBar().PaneText(0), u"");
    EXPECT_FALSE(dialog->ToolBar().IsButtonEnabled(ID_INTERVAL_ALL));  // toolbar stays disabled
    EXPECT_TRUE(::IsWindowEnabled(dialog->ErrorList().hwnd()));
    const Text progress = u"5 errors found, occurred in the last 9 days";
    Post(WM_SCAN_PROGRESS, &progress);
    EXPECT_EQ(ItemText(IDC_BANNER), progress);
    Post(WM_SCAN_PROGRESS);  // a null text shows as empty
    EXPECT_EQ(ItemText(IDC_BANNER), u"");
}

TEST_F(MainDialogScanTest, ScanWithoutTheFirstWeekEndsEnabledAndExports) {
    AddRecord(u"System", m.Record(3600, u"Disk", 7));
    // The temporary folder as the drive sees it.
    const Text temp = drive.files().TempFolder();
    drive.tree().MakeFolder(Utf16ToUtf8(temp.substr(3)));
    Open();
    EXPECT_TRUE(dialog->ToolBar().IsButtonEnabled(ID_INTERVAL_WEEK));
    EXPECT_TRUE(dialog->ToolBar().IsButtonHidden(ID_LOOKUP));
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_ANIMATION)));
    EXPECT_FALSE(BannerVisible());
    // The export of the end of the scan: an archive in the temporary folder's "VTDir".
    EXPECT_NE(dialog->ArchivePath().find(u"VTDir"), Text::npos);
    EXPECT_TRUE(drive.files().Facts(dialog->ArchivePath()).has_value());
}

TEST_F(MainDialogScanTest, ClosingDuringAScanNeitherCrashesNorWaits) {
    for (int i = 0; i < 300; ++i) {
        AddRecord(u"System", m.Record(60 * i, u"Src" + DecimalText(i % 7), 7, {Text(400, u'x')}));
    }
    // Each round's worker is held inside a read of the System log while the window closes.
    std::mutex gate;
    m.logs.Log(u"System").onRead = [&gate] { std::lock_guard hold(gate); };
    for (int round = 0; round < 15; ++round) {
        std::unique_lock closed(gate);
        dialog = std::make_unique<testing::TestMainDialog>(m.machine);
        ASSERT_TRUE(dialog->Create());
        UiTest::Pump();
        ::SendMessageW(dialog->hwnd(), WM_CLOSE, 0, 0);
        dialog.reset();  // the window and its members go while the worker still reads
        EXPECT_TRUE(ScanStillRunning());
        closed.unlock();
        while (ScanStillRunning())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        DiscardPendingScanMessages();
    }
}

}  // namespace
}  // namespace veltrano
