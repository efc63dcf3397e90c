// Slides run on a window timer of the child with a timer procedure: the tick reaches us through
// DispatchMessage without the child's window procedure, so any control (a static one included)
// can slide without being subclassed. The records live in one process-wide map, touched only by
// the window thread.
#include "shell/win32/slide.h"

#include <map>

namespace veltrano {
namespace {

struct SlideRecord {
    UINT_PTR timerId = kSlideTimerId;
    HWND child = nullptr;
    HWND parent = nullptr;
    RECT target{};
    double seconds = 0;
    int stepCount = kSlideSteps;
    int stepsDone = 0;
    bool repaint = true;
    bool hideAtEnd = true;
    double left = 0, top = 0, right = 0, bottom = 0;
    double stepLeft = 0, stepRight = 0, stepTop = 0, stepBottom = 0;
};

std::map<HWND, SlideRecord>& Slides() {
    static std::map<HWND, SlideRecord> slides;
    return slides;
}

RECT RectInParent(HWND child, HWND parent) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void MoveTo(const SlideRecord& slide, const RECT& r) {
    ::MoveWindow(slide.child, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 slide.repaint ? TRUE : FALSE);
    ::InvalidateRect(slide.parent, &r, TRUE);
}

// The timer interval in milliseconds; odd durations (negative, not a number, huge) are clamped
// so the conversion stays defined.
UINT StepInterval(double seconds, int steps) {
    const double ms = seconds * 1000.0 / steps;
    if (!(ms > 0))
        return 0;
    if (ms >= static_cast<double>(USER_TIMER_MAXIMUM))
        return USER_TIMER_MAXIMUM;
    return static_cast<UINT>(ms);
}

void CALLBACK OnSlideTimer(HWND child, UINT, UINT_PTR, DWORD) {
    SlideTick(child);
}

}  // namespace

void SlideWindow(HWND parent, HWND child, int down, int widen, double seconds) {
    auto& slides = Slides();
    if (slides.count(child) != 0)
        return;
    SlideRecord slide;
    slide.child = child;
    slide.parent = parent;
    const RECT now = RectInParent(child, parent);
    slide.target = {now.left, now.top + down, now.right + widen, now.bottom + down};
    slide.seconds = seconds;
    slide.left = now.left;
    slide.top = now.top;
    slide.right = now.right;
    slide.bottom = now.bottom;
    slide.stepLeft = 0;
    slide.stepRight = static_cast<double>(widen) / slide.stepCount;
    slide.stepTop = slide.stepBottom = static_cast<double>(down) / slide.stepCount;
    slides[child] = slide;
    // Without its timer a record would never end and would block every later slide.
    if (::SetTimer(child, kSlideTimerId, StepInterval(seconds, slide.stepCount), &OnSlideTimer) ==
        0) {
        slides.erase(child);
    }
}

bool SlidePending() {
    return !Slides().empty();
}

void SlideTick(HWND child) {
    auto& slides = Slides();
    const auto found = slides.find(child);
    if (found == slides.end())
        return;
    SlideRecord& slide = found->second;
    if (!::IsWindow(slide.child) || !::IsWindow(slide.parent)) {
        slides.erase(found);
        return;
    }
    if (slide.stepsDone == slide.stepCount) {
        ::KillTimer(slide.child, slide.timerId);
        MoveTo(slide, slide.target);
        if (slide.hideAtEnd)
            ::ShowWindow(slide.child, SW_HIDE);
        slides.erase(found);
        return;
    }
    slide.left += slide.stepLeft;
    slide.top += slide.stepTop;
    slide.right += slide.stepRight;
    slide.bottom += slide.stepBottom;
    const RECT next{static_cast<LONG>(slide.left), static_cast<LONG>(slide.top),
                    static_cast<LONG>(slide.right), static_cast<LONG>(slide.bottom)};
    const RECT current = RectInParent(slide.child, slide.parent);
    if (!::EqualRect(&next, &current))
        MoveTo(slide, next);
    ++slide.stepsDone;
}

}  // namespace veltrano
