// Transfers between a dialog's members and its controls, in either direction.
#pragma once

#include <windows.h>

#include "base/text.h"

namespace veltrano {

class CWindow;

class DataExchange {
  public:
    DataExchange(HWND dialog, bool save) : dialog_(dialog), save_(save) {}
    bool Saving() const { return save_; }

    // A control's text and a string member.
    void Text(int id, veltrano::Text& value);
    // A group of automatic radio buttons starting at firstId and the index of the checked one
    // (-1 for none).
    void Radio(int firstId, int& index);
    // Binds a wrapper to the dialog's control (subclassing it when the wrapper asks for that).
    void Control(int id, CWindow& control);

  private:
    HWND dialog_;
    bool save_;
};

}  // namespace veltrano
