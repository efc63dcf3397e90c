// The main window: construction, data exchange and message routing.
#include "ui/main_dialog.h"

#include <windowsx.h>

#include "engine/scan_messages.h"
#include "framework/app.h"
#include "resources/resource_ids.h"

namespace veltrano {
namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBanner = 0x000FC8FF;  // red 255, green 200, blue 15

}  // namespace

CVeltranoDlg::CVeltranoDlg(Machine& machine, HWND parent)
    : CDialog(IDD_VELTRANO_DIALOG, parent),
      machine_(machine),
      descriptionBox_(*machine.files, *machine.shell),
      whiteBrush_(::CreateSolidBrush(kWhite)),
      bannerBrush_(::CreateSolidBrush(kBanner)) {
    icon_ = ::LoadIconW(AppInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CVeltranoDlg::~CVeltranoDlg() = default;

void CVeltranoDlg::DoDataExchange(DataExchange& exchange) {
    exchange.Control(IDC_ERROR_LIST, list_);
    exchange.Text(IDC_DESCRIPTION, descriptionText_);
    exchange.Control(IDC_DESCRIPTION, descriptionBox_);
    exchange.Control(IDC_ANIMATION, animation_);
    exchange.Control(IDC_DETAIL_LINK, detailLink_);
    exchange.Text(IDC_SUMMARY, summaryText_);
    exchange.Control(IDC_LOOKUP_BUTTON, lookupButton_);
}

bool CVeltranoDlg::OnCommand(UINT, UINT id, HWND) {
    switch (id) {
        case ID_INTERVAL_WEEK:
        case ID_INTERVAL_MONTH:
        case ID_INTERVAL_6MONTHS:
        case ID_INTERVAL_ALL:
            SetStatusText(u"");
            SelectInterval(static_cast<int>(id - ID_INTERVAL_WEEK) + IntervalWeek, false);
            return true;
        case ID_LOOKUP:
        case IDC_LOOKUP_BUTTON:
            OpenErrorLookup(SelectedRow(), DebugKeysDown());
            return true;
        case ID_INFO:
            OpenAboutBox();
            return true;
        default:
            return false;
    }
}

bool CVeltranoDlg::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_ERROR_LIST && header.code == LVN_ITEMCHANGED) {
        OnSelectionChanged(reinterpret_cast<const NMLISTVIEW&>(header));
        return true;
    }
    if (header.idFrom == IDC_ERROR_LIST && header.code == NM_DBLCLK) {
        // The row under the pointer when the message was sent.
        const DWORD position = ::GetMessagePos();
        POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
        ::ScreenToClient(list_.hwnd(), &point);
        const LVHITTESTINFO hit = list_.List().HitTest(point);
        if (hit.iItem >= 0)
            OpenErrorLookup(hit.iItem, DebugKeysDown());
        return true;
    }
    if (header.idFrom == IDC_DETAIL_LINK && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        const auto& link = reinterpret_cast<const NMLINK&>(header);
        OnLinkActivated(FromWide(link.item.szID));
        result = 0;
        return true;
    }
    return false;
}

bool CVeltranoDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != IDM_ABOUTBOX)
                return false;
            OpenAboutBox();
            return true;
        case WM_PAINT: {
            if (!::IsIconic(hwnd_))
                return false;
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(hwnd_, &paint);
            ::SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            const RECT client = ClientRect();
            const int x = (Width(client) - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
            const int y = (Height(client) - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
            ::DrawIcon(dc, x, y, icon_);
            ::EndPaint(hwnd_, &paint);
            return true;
        }
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(icon_);
            return true;
        case WM_SCAN_DONE:
            OnScanDone();
            return true;
        case WM_SCAN_FIRST_WEEK:
            OnScanFirstWeek();
            return true;
        case WM_SCAN_PROGRESS:
            OnScanProgress(wParam);
            return true;
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            HDC dc = reinterpret_cast<HDC>(wParam);
            if (id == IDC_DESCRIPTION) {
                ::SetBkColor(dc, kWhite);
                result = reinterpret_cast<LRESULT>(whiteBrush_.get());
                return true;
            }
            if (id == IDC_BANNER) {
                ::SetBkColor(dc, kBanner);
                result = reinterpret_cast<LRESULT>(bannerBrush_.get());
                return true;
            }
            return false;
        }
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) != lookupButton_.hwnd())
                return false;
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        case WM_SIZE:
            if (LOWORD(lParam) >= 1 && HIWORD(lParam) >= 1 && toolBar_.IsWindow()) {
                FitToolBarSeparator();
            }
            return false;
        case WM_CLOSE:
            StoreSettings();
            return false;
        default:
            return false;
    }
}

}  // namespace veltrano
