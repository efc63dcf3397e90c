// The main window's initialisation, step by step: system menu, icons, list, status bar,
// toolbar, banner font, lookup button, layout, size, settings, and finally the scan.
#include <windowsx.h>

#include "framework/app.h"
#include "layout/layout.h"
#include "layout/win32/window_host.h"
#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "shell/path_variables.h"
#include "ui/main_dialog.h"

namespace veltrano {
namespace {

constexpr int kToolBarId = 0xE800;    // the framework's standard toolbar identifier
constexpr int kStatusBarId = 0xE801;  // ... and status bar identifier
constexpr COLORREF kMagenta = 0xFF00FF;
constexpr int kSeparatorWidth = 10;
constexpr BYTE kSeparatorCheckGroup = kButtonSeparator | kButtonCheck | kButtonGroup;  // 7

HBITMAP LoadDibBitmap(int id, UINT extraFlags = 0) {
    return static_cast<HBITMAP>(::LoadImageW(AppInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0,
                                             0, LR_CREATEDIBSECTION | extraFlags));
}

}  // namespace

BOOL CVeltranoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddAboutMenuEntry();
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    list_.List().SetExtendedStyle(list_.List().ExtendedStyle() | LVS_EX_FULLROWSELECT);
    CreateListImages();
    list_.EnableToolTips();
    CreateStatusBar();
    if (!CreateToolBar())
        EndDialog(IDCANCEL);
    SetBannerFont();
    PlaceLookupButton();
    if (!BuildLayout())
        EndDialog(IDCANCEL);
    EnlargeWindow();
    RestoreSettings();
    if (machine_.environment != nullptr)
        BuildPathVariables(*machine_.environment);
    StartScan();
    return TRUE;
}

void CVeltranoDlg::AddAboutMenuEntry() {
    const Text about = LoadResourceString(AppInstance(), IDS_ABOUTBOX);
    HMENU menu = ::GetSystemMenu(hwnd_, FALSE);
    if (about.empty() || menu == nullptr)
        return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, Wide(about));
}

void CVeltranoDlg::CreateListImages() {
    listImages_.reset(::ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 4, 1));
    ScopedGdiObject rows(LoadDibBitmap(IDB_ROW_ICONS));
    ::ImageList_AddMasked(listImages_.get(), static_cast<HBITMAP>(rows.get()), kMagenta);
    list_.List().SetSmallImages(listImages_.get());
}

void CVeltranoDlg::CreateStatusBar() {
    statusBar_.Create(hwnd_, kStatusBarId);
    statusBar_.SetSinglePane();
    statusBar_.SetPaneText(0, LoadResourceString(AppInstance(), ID_INDICATOR_COUNT));
    statusBar_.Reposition();
}

bool CVeltranoDlg::CreateToolBar() {
    const DWORD style = TBSTYLE_LIST | TBSTYLE_TOOLTIPS | WS_TABSTOP | CCS_TOP | CCS_NORESIZE |
                        CCS_NOPARENTALIGN | CCS_NODIVIDER;
    if (!toolBar_.Create(hwnd_, style, kToolBarId) ||
        !toolBar_.LoadToolBar(AppInstance(), IDR_TOOLBAR)) {
        return false;
    }
    toolBarImages_.reset(::ImageList_Create(16, 15, ILC_COLOR8, 6, 6));
    ScopedGdiObject strip(LoadDibBitmap(IDB_TOOLBAR, LR_LOADMAP3DCOLORS));
    ::ImageList_Add(toolBarImages_.get(), static_cast<HBITMAP>(strip.get()), nullptr);
    toolBar_.SetImageList(toolBarImages_.get());

    const int intervals[] = {ID_INTERVAL_WEEK, ID_INTERVAL_MONTH, ID_INTERVAL_6MONTHS,
                             ID_INTERVAL_ALL};
    for (int i = 0; i < 4; ++i) {
        toolBar_.SetButtonInfo(2 * i, intervals[i], kButtonCheck | kButtonGroup, i);
        toolBar_.SetButtonInfo(2 * i + 1, 0, kSeparatorCheckGroup, kSeparatorWidth);
    }
    toolBar_.SetButtonInfo(8, ID_LOOKUP, BTNS_BUTTON, 4);
    toolBar_.SetButtonInfo(9, 0, kButtonSeparator, kSeparatorWidth);
    toolBar_.SetButtonInfo(10, ID_INFO, BTNS_BUTTON, 5);
    const int texts[] = {LT_INTERVAL_WEEK, LT_INTERVAL_MONTH, LT_INTERVAL_6MONTHS,
                         LT_INTERVAL_ALL,  LT_BUTTON_SEARCH,  LT_BUTTON_INFO};
    for (int i = 0; i < 6; ++i)
        toolBar_.SetButtonText(2 * i, LocalText(texts[i]));
    toolBar_.Send(TB_AUTOSIZE);  // the buttons take the width of their texts
    PlaceToolBar();
    return true;
}

void CVeltranoDlg::PlaceToolBar() {
    const RECT first = toolBar_.ItemRect(0);
    const RECT window = WindowRect();
    toolBar_.HideButton(ID_LOOKUP, true);
    const SIZE total = toolBar_.TotalSize();
    toolBar_.SetButtonInfo(9, 0, kButtonSeparator, Width(window) - total.cx - 20);
    toolBar_.SetSizes({Width(first), Height(first) + 7}, {16, 15});
    statusBar_.Reposition();
    const SIZE height = toolBar_.TotalSize();
    ::SetWindowPos(toolBar_.hwnd(), nullptr, 5, 2, Width(window), height.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CVeltranoDlg::FitToolBarSeparator() {
    const TBBUTTON separator = toolBar_.Button(9);
    const SIZE total = toolBar_.TotalSize();
    toolBar_.SetButtonInfo(9, 0, kButtonSeparator,
                           Width(WindowRect()) + separator.iBitmap - total.cx - 30);
    const RECT first = toolBar_.ItemRect(0);
    toolBar_.SetSizes({Width(first), Height(first)}, {16, 15});
}

void CVeltranoDlg::SetBannerFont() {
    bannerFont_.reset(CreatePointFont(180, u"Segoe UI"));
    for (int id : {IDC_BANNER, IDC_EMPTY_NOTICE}) {
        CWindow(Item(id)).SetFont(static_cast<HFONT>(bannerFont_.get()), true);
    }
}

void CVeltranoDlg::PlaceLookupButton() {
    lookupBitmap_.reset(
        LoadDibBitmap(InterfaceLanguage() == kLanguageGerman ? IDB_LOOKUP_DE : IDB_LOOKUP_EN));
    lookupButton_.Send(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(lookupBitmap_.get()));
    BITMAP info{};
    ::GetObjectW(lookupBitmap_.get(), sizeof info, &info);
    const RECT window = WindowRect();
    ::SetWindowPos(lookupButton_.hwnd(), nullptr, Width(window) - info.bmWidth - 35,
                   Height(window) - info.bmHeight - 75, info.bmWidth, info.bmHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CVeltranoDlg::BuildLayout() {
    using Panel = CWndResizer::CPanel;
    using Split = CWndResizer::CSplitContainer;
    if (!layout_.IsAttached() && !layout_.Attach(MakeWindowHost(hwnd_)))
        return false;

    // Splits a pair of control panels, names the container and hangs it below a parent.
    auto split = [this](const char16_t* name, int first, int second, Panel* parent) -> Split* {
        if (layout_.FindPanel(name) != nullptr)
            return nullptr;
        Panel* a = layout_.UIPanelFor(first);
        Panel* b = layout_.UIPanelFor(second);
        if (a == nullptr || b == nullptr)
            return nullptr;
        Split* container = layout_.CreateSplit(a, b);
        if (container == nullptr)
            return nullptr;
        container->SetName(name);
        if (!layout_.Root()->AddChildPanel(container))
            return nullptr;
        if (parent != nullptr && !parent->AddChildPanel(container))
            return nullptr;
        container->SetAnchorFlags(AnchorAll);
        return container;
    };

    Split* mainSplit = split(u"MainSplitter", IDC_ERROR_LIST, IDC_LOWER_FRAME, nullptr);
    if (mainSplit == nullptr)
        return false;
    mainSplit->SetGripVisible(true);

    Split* lower = split(u"LowerSplitter", IDC_LOWER_LEFT_FRAME, IDC_DESCRIPTION,
                         layout_.UIPanelFor(IDC_LOWER_FRAME));
    if (lower == nullptr)
        return false;
    lower->SetGripVisible(true);
    lowerSplitWidth_ = layout_.GetSplitPosition(u"LowerSplitter").value_or(0);

    Split* lowerLeft = split(u"LowerLeftSplitter", IDC_SUMMARY, IDC_DETAIL_LINK,
                             layout_.UIPanelFor(IDC_LOWER_LEFT_FRAME));
    if (lowerLeft == nullptr)
        return false;
    lowerLeft->SetGripVisible(false);
    lowerLeft->SetSplitterFixed(true);
    lowerLeft->SetFixedPanel(FixedSecond);

    Panel* link = layout_.UIPanelFor(IDC_DETAIL_LINK);
    const RECT linkRect = CWindow(Item(IDC_DETAIL_LINK)).WindowRect();
    const Size linkSize{Width(linkRect), Height(linkRect)};
    if (link == nullptr || !link->SetMaxExtent(linkSize) || !link->SetMinExtent(linkSize)) {
        return false;
    }

    const std::pair<int, uint32_t> anchors[] = {
        {IDC_LOOKUP_BUTTON, AnchorRight | AnchorBottom},
        {IDC_ERROR_LIST, AnchorAll},
        {IDC_ANIMATION, AnchorTop | AnchorCenterHorizontal},
        {kStatusBarId, AnchorLeft | AnchorRight | AnchorBottom},
        {kToolBarId, AnchorLeft | AnchorTop | AnchorRight},
    };
    for (const auto& [id, flags] : anchors) {
        Panel* panel = layout_.UIPanelFor(id);
        if (panel == nullptr)
            return false;
        // The list's panel is a split side by now, whose container places it: that refusal is
        // by design and not a failed layout.
        panel->SetAnchorFlags(flags);
    }
    Panel* listPanel = layout_.UIPanelFor(IDC_ERROR_LIST);
    for (int id : {IDC_BANNER, IDC_EMPTY_NOTICE}) {
        Panel* floating = layout_.UIPanelFor(id);
        if (floating == nullptr || !listPanel->AddChildPanel(floating) ||
            !floating->SetAnchorFlags(AnchorLeft | AnchorRight | AnchorBottom |
                                      AnchorCenterVertical)) {
            return false;
        }
    }

    auto* grip = layout_.FindPanelAs<CWndResizer::CVisualPanel>(u"_resizeGrip");
    if (grip == nullptr)
        return false;
    if (!grip->IsVisible()) {
        grip->SetVisible(true);
        Invalidate();
    }
    layout_.Relayout();
    return true;
}

void CVeltranoDlg::EnlargeWindow() {
    const RECT window = WindowRect();
    ::MoveWindow(hwnd_, 0, 0, static_cast<int>(Width(window) * 1.2),
                 static_cast<int>(Height(window) * 1.15), TRUE);
}

}  // namespace veltrano
