// The data window behind the layout tests.
#include "layout/fake_window.h"

#include <algorithm>
#include <utility>

namespace veltrano {

void PrintTo(const Rect& r, std::ostream* out) {
    *out << testing::Show(r);
}

namespace testing {

namespace {

class FakeHost : public LayoutHost {
  public:
    explicit FakeHost(FakeWindow& window) : w_(window) {}

    bool Hook(CWndResizer&) override {
        if (w_.hookRefused)
            return false;
        w_.hooked = true;
        ++w_.hookCount;
        return true;
    }
    void Unhook() override { w_.hooked = false; }
    Rect ClientRect() const override { return w_.client; }
    std::optional<ScrollRange> HorizontalScroll() const override { return w_.horizontalScroll; }
    std::optional<ScrollRange> VerticalScroll() const override { return w_.verticalScroll; }
    std::optional<Rect> ControlRect(int32_t id) const override {
        const auto it = w_.controls.find(id);
        if (it == w_.controls.end())
            return std::nullopt;
        return it->second;
    }
    void MoveControls(const std::vector<ControlPlacement>& placements) override {
        w_.batches.push_back(placements);
        for (const auto& p : placements) {
            if (w_.controls.count(p.controlId) != 0)
                w_.controls[p.controlId] = p.area;
        }
    }
    void Invalidate(const Rect& area) override { w_.invalidated.push_back(area); }
    void InvalidateAll() override { ++w_.wholeInvalidations; }
    void CaptureMouse() override { w_.captured = true; }
    void ReleaseMouse() override { w_.captured = false; }
    Cursor CurrentCursor() const override { return w_.cursor; }
    void SetCursor(Cursor cursor) override { w_.cursor = cursor; }
    void ShowSizeCursor(SplitOrientation orientation) override {
        w_.cursor = orientation == SplitSideBySide ? FakeWindow::kSizeWestEast
                                                   : FakeWindow::kSizeNorthSouth;
    }
    bool IsWindowAt(Point p) const override {
        if (!w_.client.Contains(p))
            return false;
        return std::none_of(w_.covered.begin(), w_.covered.end(),
                            [p](const Rect& r) { return r.Contains(p); });
    }
    Size SizeGripExtent() const override { return w_.gripExtent; }
    Size WindowExtentFor(Size client) const override {
        return {client.width + FakeWindow::kFrame.width, client.height + FakeWindow::kFrame.height};
    }

  private:
    FakeWindow& w_;
};

class FakeTheme : public Canvas::Theme {
  public:
    explicit FakeTheme(std::shared_ptr<int> closed) : closed_(std::move(closed)) {}
    ~FakeTheme() override { ++*closed_; }

  private:
    std::shared_ptr<int> closed_;
};

}  // namespace

std::unique_ptr<LayoutHost> FakeWindow::MakeHost() {
    return std::make_unique<FakeHost>(*this);
}

std::string Show(const Rect& r) {
    std::string out(1, '(');
    for (int32_t v : {r.left, r.top, r.right, r.bottom}) {
        out += std::to_string(v);
        out += ',';
    }
    out.back() = ')';
    return out;
}

Canvas::Pen RecordingCanvas::SelectSolidPen(uint32_t colour) {
    calls.push_back("pen " + std::to_string(colour));
    return std::exchange(selected_, colour);
}

void RecordingCanvas::RestorePen(Pen pen) {
    calls.push_back("restore " + std::to_string(pen));
    selected_ = pen;
}

void RecordingCanvas::DrawRectangle(const Rect& area) {
    calls.push_back("rect " + Show(area));
}

std::unique_ptr<Canvas::Theme> RecordingCanvas::OpenTheme(TextView classList) {
    calls.push_back("open " + Utf16ToUtf8(classList));
    if (!themed)
        return nullptr;
    ++themesOpened;
    return std::make_unique<FakeTheme>(themesClosed);
}

void RecordingCanvas::DrawThemeBackground(Theme&, int32_t part, int32_t state, const Rect& area,
                                          const Rect& clip) {
    calls.push_back("theme " + std::to_string(part) + "/" + std::to_string(state) + " " +
                    Show(area) + " clip " + Show(clip));
}

void RecordingCanvas::DrawFrameControl(const Rect& area, uint32_t kind, uint32_t style) {
    calls.push_back("frame " + std::to_string(kind) + "/" + std::to_string(style) + " " +
                    Show(area));
}

}  // namespace testing
}  // namespace veltrano
