// The description box's double click. The file is UTF-16 little-endian without byte-order mark,
// as the program writes every file meant for another program.
#include "shell/win32/my_edit.h"

namespace veltrano {

bool CMyEdit::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_LBUTTONDBLCLK)
        return false;
    // Without a temporary folder even the word selection is skipped.
    if (OpenInNotepad())
        return false;
    result = 0;
    return true;
}

bool CMyEdit::OpenInNotepad() {
    const Text text = GetText();
    const Text folder = files_.TempFolder();
    if (folder.empty() || folder.size() > 260)
        return false;
    const Text path = folder + kDescriptionFileName;
    auto file = files_.CreateForWriting(path);
    if (file == nullptr)
        return true;
    const size_t bytes = text.size() * sizeof(char16_t);
    const bool written = file->Write(text.data(), bytes) == bytes;
    file.reset();
    // Notepad would show a stale or cut-off text.
    if (written)
        shell_.Execute(0, u"open", u"notepad.exe", path, kShowNormal);
    return true;
}

}  // namespace veltrano
