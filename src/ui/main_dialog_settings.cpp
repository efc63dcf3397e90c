// The window size and splitter position kept in the current user's registry hive.
#include "resources/resource_ids.h"
#include "shell/maker.h"
#include "shell/win32/install_entry.h"
#include "ui/main_dialog.h"

namespace veltrano {
namespace {

constexpr char16_t kHeight[] = u"DlgHeight";
constexpr char16_t kWidth[] = u"DlgWidth";
constexpr char16_t kSplit[] = u"SplitPos";
constexpr int kMinimumHeight = 250;
constexpr int kMinimumWidth = 500;
constexpr int kSplitAfterMinimumHeight = 120;
constexpr int kBelowSplit = 130;

}  // namespace

void CVeltranoDlg::RestoreSettings() {
    if (machine_.registry == nullptr)
        return;
    auto read = [this](const char16_t* name) {
        return static_cast<int>(
            machine_.registry->ReadUserDword(kSettingsKeyPath, name).value_or(0));
    };
    int height = read(kHeight);
    int width = read(kWidth);
    int position = read(kSplit);
    if (height == 0 || width == 0 || position == 0)
        return;
    if (height < kMinimumHeight) {
        height = kMinimumHeight;
        position = kSplitAfterMinimumHeight;
    }
    if (width < kMinimumWidth)
        width = kMinimumWidth;
    ::SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    const int bottom = WindowRect().bottom;
    if (bottom - position < kBelowSplit)
        position = bottom - kBelowSplit;
    layout_.SetSplitPosition(u"MainSplitter", position);
    if (auto* banner = layout_.UIPanelFor(IDC_BANNER)) {
        const RECT listRect = list_.WindowRect();
        const RECT bannerRect = CWindow(Item(IDC_BANNER)).WindowRect();
        banner->SetMaxExtent({Width(listRect), Height(bannerRect)});
    }
}

void CVeltranoDlg::StoreSettings() {
    if (machine_.files != nullptr && IsRunningFromTemp(*machine_.files))
        OfferToKeep(hwnd_, machine_);
    if (machine_.registry == nullptr)
        return;
    const RECT window = WindowRect();
    machine_.registry->WriteUserDword(kSettingsKeyPath, kHeight,
                                      static_cast<uint32_t>(Height(window)));
    machine_.registry->WriteUserDword(kSettingsKeyPath, kWidth,
                                      static_cast<uint32_t>(Width(window)));
    machine_.registry->WriteUserDword(
        kSettingsKeyPath, kSplit,
        static_cast<uint32_t>(layout_.GetSplitPosition(u"MainSplitter").value_or(0)));
}

}  // namespace veltrano
