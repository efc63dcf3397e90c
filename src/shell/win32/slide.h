// The slide animation: a child window glides to a new place in twenty steps and is hidden at the
// end. The main dialog slides its status banner onto the status bar when the scan ends.
#pragma once

#include <windows.h>

namespace veltrano {

constexpr UINT_PTR kSlideTimerId = 0xFFEE;
constexpr int kSlideSteps = 20;

// Moves the child down by `down` pixels while its right edge moves by `widen` pixels (negative
// narrows it), over `seconds`. Does nothing while a slide of the same child runs.
void SlideWindow(HWND parent, HWND child, int down, int widen, double seconds);

// Whether any slide is running.
bool SlidePending();

// One timer tick of the child's slide (what the timer runs; tests call it directly).
void SlideTick(HWND child);

}  // namespace veltrano
