// Opens the about box, the question dialog and the task-dialog question in English and German and
// saves a picture of each as a BMP file in the folder named on the command line.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/local_texts.h"
#include "shell/win32/about_dialog.h"
#include "shell/win32/keep_question.h"
#include "shell/win32/xp_options.h"

namespace {

using namespace veltrano;

class NoShell : public Shell {
  public:
    bool Execute(uintptr_t, TextView, TextView, TextView, int) override { return true; }
};

// Lets the window paint itself completely.
void Settle(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const DWORD until = ::GetTickCount() + 300;
    MSG message;
    while (::GetTickCount() < until) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(10);
    }
}

// The window as the screen shows it, written as a 24-bit bottom-up BMP.
bool WriteWindow(HWND window, const std::wstring& path) {
    Settle(window);
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<size_t>(stride) * height);
    const int lines = ::GetDIBits(memory, bitmap, 0, height, pixels.data(),
                                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (lines != height)
        return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return out.good();
}

bool SaveWindow(HWND window, const std::wstring& path) {
    if (window != nullptr && WriteWindow(window, path))
        return true;
    std::fwprintf(stderr, L"could not take %ls\n", path.c_str());
    return false;
}

void Place(HWND window) {
    ::SetWindowPos(window, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

// The task dialog runs modally: a thread timer photographs it and then answers it.
std::wstring g_taskDialogPath;
bool g_taskDialogSaved = false;

BOOL CALLBACK FindTaskDialog(HWND window, LPARAM found) {
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, 64);
    if (!::IsWindowVisible(window) || std::wstring(title) != L"Veltrano")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK ShootTaskDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindTaskDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr)
        return;
    ::KillTimer(nullptr, timer);
    Place(dialog);
    g_taskDialogSaved = SaveWindow(dialog, g_taskDialogPath);
    ::SendMessageW(dialog, TDM_CLICK_BUTTON, kKeepButtonId, 0);
}

bool ShootLanguage(const std::wstring& folder, uint16_t language, const wchar_t* suffix) {
    InitLocalTexts(language, u"");
    NoShell shell;
    bool ok = true;
    {
        CAboutDlg about(shell);
        ok = about.Create() && ok;
        Place(about.hwnd());
        ok = SaveWindow(about.hwnd(), folder + L"\\about_" + suffix + L".bmp") && ok;
    }
    {
        CXPOptions question;
        question.heading = LocalText(LT_LIKE_QUESTION);
        question.keepNote = LocalText(LT_KEEP_NOTE);
        question.removeNote = LocalText(LT_REMOVE_NOTE);
        ok = question.Create() && ok;
        Place(question.hwnd());
        ok = SaveWindow(question.hwnd(), folder + L"\\question_" + suffix + L".bmp") && ok;
    }
    g_taskDialogPath = folder + L"\\taskdialog_" + suffix + L".bmp";
    g_taskDialogSaved = false;
    ::SetTimer(nullptr, 0, 50, &ShootTaskDialog);
    const int answer = AskWithTaskDialog(nullptr);
    if (answer != kKeepProgram)
        std::fprintf(stderr, "the task dialog answered %d\n", answer);
    return answer == kKeepProgram && g_taskDialogSaved && ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: veltrano_dialog_shots <output folder>\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const std::wstring folder = argv[1];
    const bool ok = ShootLanguage(folder, 0x0409, L"en") && ShootLanguage(folder, 0x0407, L"de");
    if (!ok)
        std::fprintf(stderr, "some pictures could not be taken\n");
    return ok ? 0 : 1;
}
