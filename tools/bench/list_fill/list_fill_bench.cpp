// The main window's fill of the error list for "All" from a catalogue of 5,000 entries, against
// its peer measured in the same run: the same 5,000 rows' five texts and icons put into a plain
// list view, without the catalogue walk, the age texts and the tooltips.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "engine/error_rows.h"
#include "framework/list_view.h"
#include "shell/local_texts.h"
#include "support/engine_machine.h"
#include "support/test_drive.h"
#include "ui/main_dialog.h"

using namespace veltrano;
using Stopwatch = std::chrono::steady_clock;

namespace {

constexpr int kEntries = 5000;

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&message);
}

double Milliseconds(Stopwatch::time_point since) {
    return std::chrono::duration<double, std::milli>(Stopwatch::now() - since).count();
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);
    testing::EngineMachine m;
    testing::TestDrive drive;
    m.machine.files = &drive.files();
    auto& log = m.logs.Log(u"System");
    m.logs.Log(u"Application");
    for (int i = 0; i < kEntries; ++i) {
        log.records.push_back(testing::BuildRecord(
            m.Record(60 + 97 * i, u"Source" + DecimalText(i % 250), 7000 + i / 250)));
    }

    CVeltranoDlg dialog(m.machine);
    if (!dialog.Create())
        return 1;
    while (dialog.Scan()->running) {
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Pump();

    auto start = Stopwatch::now();
    dialog.SelectInterval(IntervalAll, false);
    const double fill = Milliseconds(start);
    const int rows = dialog.ErrorList().List().ItemCount();

    // Peer: the same rows into a plain report list.
    std::vector<ErrorRow> content;
    {
        std::lock_guard lock(dialog.Catalogue().CatalogueLock);
        content = BuildErrorRows(dialog.Catalogue(), IntervalAll, m.clock);
    }
    HWND plain = ::CreateWindowW(WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 800, 400,
                                 dialog.hwnd(), nullptr, nullptr, nullptr);
    CListView list(plain);
    for (int c = 0; c < 5; ++c)
        list.InsertColumn(c, u"c", 100);
    start = Stopwatch::now();
    for (size_t r = 0; r < content.size(); ++r) {
        const int row =
            list.InsertItem(static_cast<int>(r), content[r].columns[0], content[r].image);
        for (int c = 1; c < 5; ++c)
            list.SetItemText(row, c, content[r].columns[c]);
    }
    const double peer = Milliseconds(start);

    std::printf("rows: %d (catalogue of %d entries)\n", rows, kEntries);
    std::printf("fill list for All: %8.1f ms\n", fill);
    std::printf("plain list insert: %8.1f ms\n", peer);
    std::printf("ratio fill/plain:  %8.2f\n", fill / peer);
    ::DestroyWindow(plain);
    return rows == kEntries ? 0 : 2;
}
