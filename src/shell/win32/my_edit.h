// The read-only description box: a double click opens its whole text in Notepad, through a file
// in the temporary folder.
#pragma once

#include "framework/subclassed_window.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace veltrano {

inline constexpr char16_t kDescriptionFileName[] = u"full-error-description.txt";

class CMyEdit : public CSubclassedWindow {
  public:
    CMyEdit(FileSystem& files, Shell& shell) : files_(files), shell_(shell) {}

  protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    // Writes the text for Notepad and starts it; false when the temporary folder is unknown.
    bool OpenInNotepad();

    FileSystem& files_;
    Shell& shell_;
};

}  // namespace veltrano
