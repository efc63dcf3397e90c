// A window made of plain data for the layout engine's tests: child controls that really move,
// a mouse capture, a cursor and a record of what was invalidated and painted.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "layout/canvas.h"
#include "layout/layout_host.h"

namespace veltrano {

// Readable rectangles in test failures.
void PrintTo(const Rect& r, std::ostream* out);

namespace testing {

struct FakeWindow {
    static constexpr LayoutHost::Cursor kArrow = 1;
    static constexpr LayoutHost::Cursor kSizeWestEast = 32644;
    static constexpr LayoutHost::Cursor kSizeNorthSouth = 32645;
    // The frame a window adds around its client area.
    static constexpr Size kFrame{16, 39};

    Rect client{0, 0, 800, 500};
    std::optional<LayoutHost::ScrollRange> horizontalScroll;
    std::optional<LayoutHost::ScrollRange> verticalScroll;
    std::map<int32_t, Rect> controls;
    Size gripExtent{17, 17};
    // Client rectangles where another window covers this one.
    std::vector<Rect> covered;

    bool hookRefused = false;
    bool hooked = false;
    int hookCount = 0;
    bool captured = false;
    LayoutHost::Cursor cursor = kArrow;
    std::vector<std::vector<LayoutHost::ControlPlacement>> batches;
    std::vector<Rect> invalidated;
    int wholeInvalidations = 0;

    std::unique_ptr<LayoutHost> MakeHost();
    void Resize(int32_t width, int32_t height) { client = {0, 0, width, height}; }
};

// Records the drawing calls as text, one line each.
class RecordingCanvas : public Canvas {
  public:
    bool themed = true;
    int themesOpened = 0;
    // Outlives the canvas: a panel keeps its theme until it is deleted.
    std::shared_ptr<int> themesClosed = std::make_shared<int>(0);
    std::vector<std::string> calls;

    Pen SelectSolidPen(uint32_t colour) override;
    void RestorePen(Pen pen) override;
    void DrawRectangle(const Rect& area) override;
    uint32_t ButtonShadowColour() const override { return 0x808080; }
    std::unique_ptr<Theme> OpenTheme(TextView classList) override;
    void DrawThemeBackground(Theme& theme, int32_t part, int32_t state, const Rect& area,
                             const Rect& clip) override;
    void DrawFrameControl(const Rect& area, uint32_t kind, uint32_t style) override;

  private:
    Pen selected_ = 0;
};

std::string Show(const Rect& r);

}  // namespace testing
}  // namespace veltrano
